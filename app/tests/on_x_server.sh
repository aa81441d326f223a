#!/usr/bin/env bash
# Runs a command on a real X server of the given size with a window manager
# (Xvfb and openbox), as a user's desktop has them: windows get frames and
# the window manager places them. Usage: on_x_server.sh WIDTHxHEIGHT COMMAND...
# Exits 77 (skipped) where Xvfb or openbox is missing.
set -u
size=$1
shift
command -v Xvfb >/dev/null && command -v openbox >/dev/null || { echo "Xvfb or openbox missing: skipped"; exit 77; }
work=$(mktemp -d)
trap 'kill "${wm:-}" "${server:-}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
sleep 1
"$@"
