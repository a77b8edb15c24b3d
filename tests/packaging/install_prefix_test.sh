#!/usr/bin/env bash
# install_prefix_test.sh BUILD_DIR: an install with another prefix (as into a home folder)
# puts every file under that prefix, the settings file too. Installed under DESTDIR, so that a
# file meant for a fixed place such as /usr/local/etc shows up outside the prefix instead of
# landing there.
set -euo pipefail
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$1" --prefix /opt/vistrel-test >/dev/null
outside=$(cd "$root" && find . -type f ! -path './opt/vistrel-test/*')
if [ -n "$outside" ]; then
  echo "installed outside the prefix:"
  echo "$outside"
  exit 1
fi
for file in bin/vistrel bin/vistrel-tool bin/vistrel-service etc/vistrel/service.conf \
  share/metainfo/vistrel.metainfo.xml lib/systemd/system/vistrel-service.service; do
  [ -f "$root/opt/vistrel-test/$file" ] || { echo "not installed: $file"; exit 1; }
done
