#!/usr/bin/env bash
# lintian_test.sh DIST_DIR: lintian on the package that packaging_deb_contents built, with no
# error allowed (its warnings are printed). Skipped (77) without VISTREL_PACKAGE_TEST=1 or
# without lintian.
set -euo pipefail
if [ "${VISTREL_PACKAGE_TEST:-}" != 1 ]; then
  echo "VISTREL_PACKAGE_TEST=1 builds and checks the package: skipped"
  exit 77
fi
command -v lintian >/dev/null || { echo "lintian is not installed: skipped"; exit 77; }
debs=("$1"/vistrel_*.deb)
[ -f "${debs[0]}" ] || { echo "no package in $1"; exit 1; }
lintian --fail-on error --display-info "${debs[@]}"
