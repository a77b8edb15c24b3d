#!/bin/sh
# verify_unit.sh UNIT: systemd-analyze verify on UNIT, failing on any complaint (it exits with
# 0 after a misspelt or ill-valued setting, which it only reports and ignores). Skipped (77)
# without systemd-analyze.
command -v systemd-analyze >/dev/null 2>&1 || {
  echo "systemd-analyze is not installed: skipped"
  exit 77
}
complaints=$(systemd-analyze verify --man=no "$1" 2>&1)
status=$?
[ -z "$complaints" ] || echo "$complaints"
[ "$status" -eq 0 ] && [ -z "$complaints" ]
