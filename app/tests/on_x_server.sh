#!/usr/bin/env bash
# Runs a command on a real X server of the given size with a window manager
# (Xvfb and openbox), as a user's desktop has them: windows get frames and
# the window manager places them. Usage: on_x_server.sh WIDTHxHEIGHT COMMAND...
# Exits 77 (skipped) where Xvfb or openbox is missing.
set -u
size=$1
shift
command -v Xvfb >/dev/null && command -v openbox >/dev/null && command -v xprop >/dev/null ||
  { echo "Xvfb, openbox or xprop missing: skipped"; exit 77; }
work=$(mktemp -d)
trap 'kill "${wm:-}" "${server:-}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
# The window manager is at work once it has named itself on the root window
# (on a busy machine that takes longer than a second).
for _ in $(seq 200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || { cat "$work/openbox.log"; exit 1; }
"$@"
