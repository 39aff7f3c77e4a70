#!/bin/sh
# Runs a command on a private Xvfb server with a 24-bit 2560x1600 screen
# (room for the editor at twice its size):
#   with-xvfb.sh XVFB COMMAND [ARGUMENT...]
# The server picks a free display number itself (-displayfd), so parallel
# runs of this and of other trees on the machine never race for one. It does
# not reset when its last client leaves (-noreset): between two cases no
# client is connected, and a connection made during a reset is refused.
set -u
xvfb=$1
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/zel001-xvfb.XXXXXX") || exit 1
"$xvfb" -displayfd 3 -noreset -screen 0 2560x1600x24 -nolisten tcp 3>"$dir/display" 2>"$dir/log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT
trap 'exit 1' HUP INT TERM

# The number arrives, newline-terminated, once the server accepts clients.
tries=0
until grep -q '^[0-9][0-9]*$' "$dir/display" 2>/dev/null; do
  if ! kill -0 "$server" 2>/dev/null || [ "$tries" -ge 200 ]; then
    echo "with-xvfb.sh: Xvfb did not start:" >&2
    cat "$dir/log" >&2
    exit 1
  fi
  tries=$((tries + 1))
  sleep 0.05
done

DISPLAY=":$(cat "$dir/display")" "$@"
