#!/usr/bin/env bash
# A whole session in the built program, in a real X server, driven only with the keyboard
# through the real dialogs, as a user would: load a map, refuse a bad size, generate a grid,
# zoom, scroll, read the dimensions, save, open the About box and exit. Each step prints a
# line; a failing run keeps its screenshots and files for inspection.
#
#   tests/smoke/session.sh build/tessara build/tests/session_check [README_SHOT]
#
# README_SHOT, when given, receives the screenshot of the gridded map.
set -euo pipefail

program=$(realpath "$1")
checker=$(realpath "$2")
readme_shot=${3:+$(realpath -m "$3")}
# shellcheck source=in_xvfb.sh
source "$(dirname "$0")/in_xvfb.sh"

start_work session

# The viewport's part of a screenshot: the window sits at the screen's corner, 1000 x 760,
# and its viewport starts below the menu bar and ends above the controls.
view() { convert "$work/$1.png" -crop 940x430+20+40 +repage "$work/$1-view.png"; }
# Whether the viewport's part of two screenshots differ.
view_differs() { differs "$work/$1-view.png" "$work/$2-view.png"; }

# A map with features at known places: a solid block in the top-left corner, a gradient,
# and lines and words across it.
convert -size 3000x2000 gradient:khaki-olivedrab \
    -fill 'rgb(40,90,200)' -draw 'rectangle 0,0 399,299' \
    -stroke 'rgb(120,60,20)' -strokewidth 9 -draw 'line 0,1900 2999,200' \
    -stroke none -fill 'rgb(30,30,30)' -font DejaVu-Sans -pointsize 120 -annotate +1100+1000 'Hill 112' \
    -quality 92 map.jpg

"$program" &
pid=$!

step "1. the main window shows at least its minimum size, and is not blank"
win=$(wait_window "$caption") || fail "no window captioned '$caption'"
eval "$(xdotool getwindowgeometry --shell "$win")"
echo "   ${WIDTH}x${HEIGHT}"
# 8400 x 5280 twips is 560 x 352 pixels; without a window manager there is no frame.
[ "$WIDTH" -ge 560 ] && [ "$HEIGHT" -ge 352 ] || fail "the window is only ${WIDTH}x${HEIGHT}"
xdotool windowmove --sync "$win" 0 0 windowsize --sync "$win" 1000 760
xdotool windowfocus --sync "$win"
settle
shot start
spread=$(convert "$work/start.png" -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.01) }' || fail "the screenshot is blank"

step "2. File, Load Map Picture: the map typed into the open dialog loads and shows"
keys alt+f Return
wait_window "Open" >/dev/null || fail "no open dialog titled 'Open'"
settle 0.5
xdotool type --delay 15 "$work/map.jpg"
keys Return
wait_gone "Open" || fail "the open dialog stayed up"
settle
shot loaded
view start
view loaded
view_differs start loaded || fail "the viewport did not change"
# The map's blue block fills the viewport's top-left corner.
blue=$(convert "$work/loaded-view.png" -crop 300x200+0+0 -fuzz 8% -fill black \
    +opaque 'rgb(40,90,200)' -fill white -opaque 'rgb(40,90,200)' -format '%[fx:mean]' info:)
echo "   share of the viewport's corner in the map's blue: $blue"
awk -v b="$blue" 'BEGIN { exit !(b > 0.9) }' || fail "the map is not shown from its top-left corner"

step "3. an invalid map size brings 'Invalid map size'; Enter closes it; nothing changed"
keys Tab ctrl+a
xdotool type "ten"
keys Tab ctrl+a
xdotool type "5"
keys Tab Tab Tab space
wait_window "Invalid map size" >/dev/null || fail "no window titled 'Invalid map size'"
shot invalid
keys Return
wait_gone "Invalid map size" || fail "the message stayed up after Enter"
settle
shot after-invalid
view after-invalid
view_differs loaded after-invalid && fail "the viewport changed"
[ -e tmp.bmp ] && fail "tmp.bmp was written"
echo "   viewport unchanged, no tmp.bmp"

step "4. sizes 100 and 5, red, 3 pixels, Generate Hex Grid: tmp.bmp holds the grid"
# The focus went back to the map size; the colour list starts at black, thickness at 1.
keys ctrl+a
xdotool type "100"
keys Tab Tab Down Down Down Down Tab Down Down Tab space
for _ in $(seq 100); do [ -s tmp.bmp ] && break; sleep 0.1; done
[ -s tmp.bmp ] || fail "no tmp.bmp in the current directory"
settle 1.5
shot gridded
"$checker" grid map.jpg tmp.bmp 100 5 4 3 || fail "tmp.bmp does not hold the expected grid"
view gridded
view_differs after-invalid gridded || fail "the grid does not show"
[ -z "$readme_shot" ] || convert "$work/gridded.png" -crop 1000x760+0+0 +repage "$readme_shot"

step "5. Zoom, 1:2 and a scroll change the view; Map Dimensions opens its report"
keys alt+z Down Down Down Return
settle
shot zoomed
view zoomed
view_differs gridded zoomed || fail "zooming to 1:2 did not change the view"
# From the button, past the viewport, to the vertical scroll bar: a page down.
keys Tab Tab Next
settle
shot scrolled
view scrolled
view_differs zoomed scrolled || fail "scrolling did not change the view"
keys alt+d
wait_window "Map Dimensions" >/dev/null || fail "no window titled 'Map Dimensions'"
shot dimensions
keys Return
wait_gone "Map Dimensions" || fail "the report stayed up after Enter"

step "6. File, Save Map: a name without extension is saved as a .bmp equal to tmp.bmp"
keys alt+f Down Return
wait_window "Save As" >/dev/null || fail "no save dialog titled 'Save As'"
settle 0.5
keys ctrl+a
xdotool type --delay 15 "$work/gridded"
keys Return
wait_gone "Save As" || fail "the save dialog stayed up"
for _ in $(seq 100); do [ -s gridded.bmp ] && break; sleep 0.1; done
[ -s gridded.bmp ] || fail "no gridded.bmp"
[ "$(head -c 2 gridded.bmp)" = BM ] || fail "gridded.bmp is not a bitmap"
"$checker" same tmp.bmp gridded.bmp || fail "gridded.bmp differs from tmp.bmp"

step "7. Help, About opens 'About Tessara'; Esc closes it; File, Exit ends with status 0"
keys alt+h Up Return
about=$(wait_window "About Tessara") || fail "no window titled 'About Tessara'"
settle
shot about
xdotool windowfocus --sync "$about"
keys Escape
wait_gone "About Tessara" || fail "the About box stayed up after Esc"
xdotool windowfocus --sync "$win"
keys alt+f Up Return
wait_ended "$pid" || fail "the program is still running after File, Exit"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit status $status"
echo "PASS: a whole session"
