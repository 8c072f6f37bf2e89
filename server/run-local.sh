#!/usr/bin/env bash
# Runs a score server for a local game on the game's default address.
#
#   run-local.sh start SERVER_EXE   starts it in the background unless something
#                                   already listens on 127.0.0.1:8471; prints the
#                                   new server's process id (nothing otherwise)
#   run-local.sh stop PID           stops that server and waits for its end
#
# The scores go to the user's data folder (see quenvale-server --help); the
# update files come from server/files beside this script, whose version text
# matches the game's, so no update is offered.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
host=127.0.0.1
port=8471

listening() { (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; }
# A server that has ended may linger as a zombie until its adoptive parent reaps it.
running() { [ -n "$(ps -o stat= -p "$1" 2>/dev/null | grep -v '^Z')" ]; }

case "${1:-}" in
start)
  exe=${2:?usage: run-local.sh start SERVER_EXE}
  listening && exit 0
  log=$(mktemp "${TMPDIR:-/tmp}/quenvale-server.XXXXXX")
  "$exe" --listen "$host:$port" --files "$here/files" >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    if grep -q '^listening on ' "$log"; then
      rm -f "$log"
      echo "$pid"
      exit 0
    fi
    running "$pid" || break
    sleep 0.1
  done
  echo "run-local.sh: the score server did not start:" >&2
  cat "$log" >&2
  rm -f "$log"
  kill "$pid" 2>/dev/null || true
  exit 1
  ;;
stop)
  pid=${2:?usage: run-local.sh stop PID}
  kill -TERM "$pid" 2>/dev/null || exit 0
  for _ in $(seq 100); do
    running "$pid" || exit 0
    sleep 0.1
  done
  echo "run-local.sh: the score server $pid did not stop" >&2
  exit 1
  ;;
*)
  echo "usage: run-local.sh start SERVER_EXE | stop PID" >&2
  exit 2
  ;;
esac
