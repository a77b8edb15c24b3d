#!/bin/sh
# vistrel-service stands apart from the program's network client: neither libcurl among the
# shared libraries it loads, nor the program's client or browser libraries among those it was
# linked with.
# Usage: service_links_test.sh PROGRAM LINKED-LIBRARIES-FILE
set -eu
program=$1
linked=$2
status=0
if ldd "$program" | grep -i curl; then
  echo "vistrel-service loads libcurl" >&2
  status=1
fi
if grep -E -i 'curl|vistrel_service_client|vistrel_browser' "$linked"; then
  echo "vistrel-service is linked with the libraries above" >&2
  status=1
fi
exit $status
