#!/usr/bin/env bash
# Starts the built program in a real X server, loads a map through File, Load Map Picture,
# and pans it by holding the right mouse button near the viewport's bottom-right corner:
# the view must move while the button is held and stop when it is released. Then it starts
# a second drag and chooses File, Exit with the keyboard while it runs: the program must end
# at once and cleanly.
set -euo pipefail

program=$(realpath "$1")
# shellcheck source=in_xvfb.sh
source "$(dirname "$0")/in_xvfb.sh"

start_work drag
# The viewport's area of a screenshot, 900x700 window at the screen's corner.
view() { convert "$1" -crop 840x460+20+40 +repage "$2"; }

convert -size 2000x1500 gradient:yellow-navy -fill black -stroke black -strokewidth 3 \
    -draw "line 0,0 1999,1499" -font DejaVu-Sans -pointsize 80 -fill red -annotate +800+750 "CENTRE" \
    BMP3:map.bmp

"$program" &
pid=$!

step "find the window and give it room"
win=$(xdotool search --sync --onlyvisible --name "^${caption}\$" | head -n 1) || fail "no window"
xdotool windowmove --sync "$win" 0 0
xdotool windowsize --sync "$win" 900 700
xdotool windowfocus --sync "$win"

step "load the map through the open dialog"
xdotool key --delay 150 alt+f Return
sleep 1.5
xdotool type --delay 20 "$work/map.bmp"
xdotool key Return
sleep 1.5
import -window root "$work/before.png"

step "hold the right button near the bottom-right corner of the viewport"
xdotool mousemove 850 490 mousedown 3
sleep 0.6
import -window root "$work/during.png"
xdotool mouseup 3
sleep 0.3
import -window root "$work/released.png"
sleep 0.7
import -window root "$work/later.png"
for shot in before during released later; do view "$work/$shot.png" "$work/$shot-view.png"; done
differs "$work/before-view.png" "$work/during-view.png" || fail "the view did not move"
differs "$work/during-view.png" "$work/released-view.png" ||
    fail "the view stopped before the release"
differs "$work/released-view.png" "$work/later-view.png" &&
    fail "the view went on moving after the release"

step "File, Exit during a second drag"
xdotool mousemove 40 60 mousedown 3
sleep 0.3
xdotool key --delay 150 alt+f Up Return
ended=0
wait_ended $pid || ended=$?
xdotool mouseup 3
[ "$ended" -eq 0 ] || fail "the program is still running after File, Exit"
status=0
wait $pid || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
pid=
echo "PASS: drag smoke test"
