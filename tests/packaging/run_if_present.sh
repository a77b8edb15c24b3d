#!/bin/sh
# run_if_present.sh TOOL COMMAND...: runs COMMAND, or exits with 77 (the test is skipped) when
# TOOL is not installed.
tool=$1
shift
command -v "$tool" >/dev/null 2>&1 || {
  echo "$tool is not installed: skipped"
  exit 77
}
exec "$@"
