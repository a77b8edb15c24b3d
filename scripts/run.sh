#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program against a catalogue service.
#
# Unless VISTREL_SERVICE_URL names a service already, a local one with the demo catalogue is
# started on 127.0.0.1 (scripts/demo_service.sh: reused when another run has it up, on
# another port when 8780 is taken) and stopped when the program ends, however it ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh

# The program, wherever the build puts it.
PROGRAM=""
for candidate in build/vistrel build/src/gui/vistrel; do
  if [ -x "$candidate" ]; then
    PROGRAM="$candidate"
    break
  fi
done
if [ -z "$PROGRAM" ]; then
  echo "run.sh: the program (build/src/gui/vistrel) was not built; see the build output above." >&2
  exit 1
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "run.sh: run it from the desktop's terminal, or with QT_QPA_PLATFORM set." >&2
  exit 1
fi

if [ -n "${VISTREL_SERVICE_URL:-}" ]; then
  echo "run.sh: using the catalogue service at $VISTREL_SERVICE_URL"
else
  trap 'bash scripts/demo_service.sh stop $$' EXIT
  # A signal ends the script through the EXIT trap, so the service goes with it.
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
  VISTREL_SERVICE_URL="$(bash scripts/demo_service.sh start $$)"
  export VISTREL_SERVICE_URL
  echo "run.sh: demo catalogue service at $VISTREL_SERVICE_URL"
fi

# Not exec: the traps above must run after the program, also when it crashes.
status=0
"./$PROGRAM" "$@" || status=$?
exit "$status"
