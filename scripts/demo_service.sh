#!/usr/bin/env bash
# The local catalogue service behind `scripts/run.sh`: vistrel-service on 127.0.0.1 with the
# demo catalogue (demo/tables) and the demo media (demo/media), shared by every run of the
# program that is up at the same time and stopped when the last of them ends.
#
#   demo_service.sh start OWNER_PID   start the service or reuse the running one; OWNER_PID
#                                     (a live process, normally the caller) is counted as a
#                                     user until it ends; prints the service's base URL
#   demo_service.sh stop OWNER_PID    OWNER_PID no longer uses the service; the service stops
#                                     when no user is left
#   demo_service.sh status            prints the base URL of the running service, or fails
#
# Everything lives in $XDG_DATA_HOME/Orvane/Vistrel-demo-service (default
# ~/.local/share/Orvane/Vistrel-demo-service): the database, the tables it was imported from,
# the log, the pid and URL of the running service, one file per user. A watcher started with
# the service stops it once every user has ended, so a run that is killed outright (or a
# program that crashes together with its shell) does not leave the service behind.
#
# The tables name the service as http://127.0.0.1:8780. When that port is taken, the service
# takes the next free one up to 8799, and the tables are imported again with that address in
# the channel URLs; the import happens only when the address or the tables change.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SERVICE_BIN="${VISTREL_SERVICE_BIN:-$ROOT/build/vistrel-service}"
TABLES="${VISTREL_DEMO_TABLES:-$ROOT/demo/tables}"
MEDIA="$ROOT/demo/media"
TABLE_BASE_URL="http://127.0.0.1:8780"
FIRST_PORT=8780
LAST_PORT=8799

# The program's own rule for the data home: an unset, empty or relative XDG_DATA_HOME is ignored.
DATA_HOME="${XDG_DATA_HOME:-}"
case "$DATA_HOME" in
  /*) ;;
  *) DATA_HOME="$HOME/.local/share" ;;
esac
STATE="$DATA_HOME/Orvane/Vistrel-demo-service"
DB="$STATE/catalogue.sqlite"
IMPORTED_TABLES="$STATE/tables"
IMPORT_STAMP="$STATE/imported"
PID_FILE="$STATE/service.pid"
URL_FILE="$STATE/service.url"
LOG_FILE="$STATE/service.log"
USERS="$STATE/users"

die() {
  echo "demo_service: $*" >&2
  exit 1
}

# Serialises every change of the state folder between concurrent runs and the watcher. The
# processes started while it is held close descriptor 9, or they would hold it for good.
lock_state() {
  mkdir -p "$STATE" "$USERS"
  exec 9>"$STATE/lock"
  flock 9
}

alive() { [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null; }

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Succeeds when process `pid` holds the socket listening on 127.0.0.1:`port`, so that a service
# that lost the port to another one started at the same moment is not taken for the winner.
listens_on() {
  local pid="$1" addr inode
  addr="$(printf '0100007F:%04X' "$2")"
  while read -r inode; do
    [ -n "$(find "/proc/$pid/fd" -lname "socket:\[$inode\]" -print -quit 2>/dev/null)" ] && return 0
  done < <(awk -v addr="$addr" '$2 == addr && $4 == "0A" { print $10 }' /proc/net/tcp)
  return 1
}

# The pid of the running service, when the pid file names a live vistrel-service that uses
# this database; empty otherwise.
running_service_pid() {
  local pid
  pid="$(cat "$PID_FILE" 2>/dev/null || true)"
  alive "$pid" || return 0
  tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "--db $DB" || return 0
  echo "$pid"
}

# Drops the user files of processes that have ended; succeeds when a user is left.
prune_users() {
  local file left=1
  for file in "$USERS"/*; do
    [ -e "$file" ] || continue
    if alive "$(basename "$file")"; then left=0; else rm -f "$file"; fi
  done
  return $left
}

stop_service() {
  local pid="$1"
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    alive "$pid" || break
    sleep 0.1
  done
  if alive "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
  rm -f "$PID_FILE" "$URL_FILE"
}

tables_digest() { cat "$TABLES"/*.dat | sha256sum | cut -d' ' -f1; }

# Imports the demo tables with `base_url` in place of the address they are written with,
# unless the database already holds exactly that.
import_catalogue() {
  local base_url="$1" stamp
  stamp="$base_url $(tables_digest)"
  if [ -f "$DB" ] && [ "$(cat "$IMPORT_STAMP" 2>/dev/null || true)" = "$stamp" ]; then
    return 0
  fi
  rm -rf "$IMPORTED_TABLES"
  mkdir -p "$IMPORTED_TABLES"
  local table
  for table in "$TABLES"/*.dat; do
    sed "s#$TABLE_BASE_URL/#$base_url/#g" "$table" >"$IMPORTED_TABLES/$(basename "$table")"
  done
  "$SERVICE_BIN" import --db "$DB" --tables "$IMPORTED_TABLES" >&2 ||
    die "the demo catalogue could not be imported (see the message above)"
  echo "$stamp" >"$IMPORT_STAMP"
}

# The demo guide's times are relative to the moment it is made: a fresh one at every start,
# so the channels have a "now" and a "next". A guide that fails leaves the catalogue as it is.
import_guide() {
  if python3 "$ROOT/demo/make_guide.py" --tables "$TABLES" >"$STATE/guide.xml" &&
    "$SERVICE_BIN" import --db "$DB" --guide "$STATE/guide.xml" >&2; then
    return 0
  fi
  echo "demo_service: the demo guide could not be imported; the channels have no guide" >&2
}

# Starts the service on `port`; succeeds once it listens there, fails when it ends first (the
# port was taken meanwhile) or does not listen within 10 s.
launch_on_port() {
  local port="$1" pid=""
  rm -f "$PID_FILE"
  # A session of its own: Ctrl+C in the terminal of one run must not stop a service that
  # other runs use; the runs and the watcher stop it.
  # shellcheck disable=SC2016  # the inner shell expands them: its own pid, then the command
  setsid bash -c 'echo $$ >"$0"; exec "$@"' "$PID_FILE" \
    "$SERVICE_BIN" serve --db "$DB" --host 127.0.0.1 --port "$port" --media "$MEDIA" \
    </dev/null >"$LOG_FILE" 2>&1 9>&- &
  for _ in $(seq 100); do
    pid="$(cat "$PID_FILE" 2>/dev/null || true)"
    [ -n "$pid" ] && break
    sleep 0.1
  done
  for _ in $(seq 100); do
    alive "$pid" || return 1
    listens_on "$pid" "$port" && return 0
    sleep 0.1
  done
  kill -TERM "$pid" 2>/dev/null || true
  return 1
}

# Ports to try: the one of the last import first (so its URLs stay valid), then the range.
candidate_ports() {
  local last
  last="$(sed -n 's#^http://127\.0\.0\.1:\([0-9]*\) .*#\1#p' "$IMPORT_STAMP" 2>/dev/null || true)"
  [ -n "$last" ] && echo "$last"
  seq "$FIRST_PORT" "$LAST_PORT" | grep -vx "${last:-none}"
}

start() {
  local owner="$1" pid port
  alive "$owner" || die "no such process: $owner"
  [ -x "$SERVICE_BIN" ] || die "$SERVICE_BIN is missing: build first (bash scripts/build.sh)"
  lock_state
  touch "$USERS/$owner"
  pid="$(running_service_pid)"
  if [ -n "$pid" ] && [ -s "$URL_FILE" ]; then
    cat "$URL_FILE"
    return 0
  fi
  [ -n "$pid" ] && stop_service "$pid"
  for port in $(candidate_ports); do
    port_in_use "$port" && continue
    import_catalogue "http://127.0.0.1:$port"
    import_guide
    if launch_on_port "$port"; then
      echo "http://127.0.0.1:$port" >"$URL_FILE"
      setsid bash "$0" watch </dev/null >/dev/null 2>&1 9>&- &
      cat "$URL_FILE"
      return 0
    fi
  done
  rm -f "$USERS/$owner"
  die "no free port between $FIRST_PORT and $LAST_PORT, or the service did not start (log: $LOG_FILE)"
}

# Stops the service when no user is left; succeeds when the service has ended.
stop_if_unused() {
  local pid
  pid="$(running_service_pid)"
  [ -z "$pid" ] && return 0
  prune_users && return 1
  stop_service "$pid"
}

stop() {
  local owner="$1"
  lock_state
  rm -f "$USERS/$owner"
  stop_if_unused || true
}

watch() {
  while sleep 2; do
    (
      lock_state
      [ -n "$(running_service_pid)" ] || exit 0
      stop_if_unused
    ) && exit 0
  done
}

status() {
  if [ -z "$(running_service_pid)" ] || [ ! -s "$URL_FILE" ]; then die "not running"; fi
  cat "$URL_FILE"
}

case "${1:-}" in
  start) start "${2:?usage: demo_service.sh start OWNER_PID}" ;;
  stop) stop "${2:?usage: demo_service.sh stop OWNER_PID}" ;;
  watch) watch ;;
  status) status ;;
  *)
    echo "usage: demo_service.sh start OWNER_PID | stop OWNER_PID | status" >&2
    exit 2
    ;;
esac
