#!/usr/bin/env bash
# Starts the built program in a real X server as a user would, finds its window by its
# caption, checks that it is at least the minimum size and not blank, and ends it with the
# keyboard through File, Exit.
set -euo pipefail

program=$(realpath "$1")
# shellcheck source=in_xvfb.sh
source "$(dirname "$0")/in_xvfb.sh"

start_work window

"$program" &
pid=$!

step "find the window by its caption"
win=$(xdotool search --sync --onlyvisible --name "^${caption}\$" | head -n 1) || fail "no window"
[ -n "$win" ] || fail "no window captioned '$caption'"

step "check its size"
eval "$(xdotool getwindowgeometry --shell "$win")"
# 8400 x 5280 twips is 560 x 352 pixels; without a window manager there is no frame.
[ "$WIDTH" -ge 560 ] && [ "$HEIGHT" -ge 352 ] || fail "window is only ${WIDTH}x${HEIGHT}"
echo "   ${WIDTH}x${HEIGHT}"

step "take a screenshot"
sleep 0.5
import -window root "$work/start.png"
spread=$(convert "$work/start.png" -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.01) }' || fail "the screenshot is blank"

step "File, Exit with the keyboard"
xdotool windowfocus --sync "$win"
xdotool key --delay 150 alt+f Up Return
wait_ended $pid || fail "the program is still running after File, Exit"
wait $pid
status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
pid=
echo "PASS: window smoke test"
