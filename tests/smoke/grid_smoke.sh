#!/usr/bin/env bash
# The Grid menu in the built program, in a real X server, driven with the keyboard and the
# mouse: Grid Options shows the grid's outline over the map without changing it, Esc closes
# it, and Measure Hexes, with two clicked hex centres three hexes apart, fits the grid so
# that Generate Hex Grid draws a hexagon around the first point.
set -euo pipefail

program=$(realpath "$1")
# shellcheck source=in_xvfb.sh
source "$(dirname "$0")/in_xvfb.sh"

start_work grid
# The share of black pixels in the viewport's part of a screenshot.
black_share() {
    convert "$work/$1.png" -crop 900x400+20+40 +repage -fill white +opaque black \
        -format '%[fx:1-mean]' info:
}
# Whether the bitmap has a black pixel within one pixel of (x, y).
black_near() {
    convert "$work/tmp.bmp" -crop "3x1+$(($1 - 1))+$2" +repage -format '%[fx:minima.r]' info: |
        awk '{ exit !($1 == 0) }'
}

# A white map with a blue block at its top-left corner, to find it on the screen.
convert -size 1200x900 xc:white -fill 'rgb(40,90,200)' -draw 'rectangle 0,0 19,19' map.bmp

"$program" &
pid=$!
step "1. load a map and type its sizes: 100 units wide, hexes of 8 (96 pixels)"
win=$(wait_window "$caption") || fail "no main window"
xdotool windowmove --sync "$win" 0 0 windowsize --sync "$win" 1000 760
xdotool windowfocus --sync "$win"
sleep 0.8
keys alt+f Return
wait_window "Open" >/dev/null || fail "no open dialog"
sleep 0.5
xdotool type --delay 15 "$work/map.bmp"
keys Return
wait_gone "Open" || fail "the open dialog stayed up"
sleep 0.8
keys Tab ctrl+a
xdotool type "100"
keys Tab ctrl+a
xdotool type "8"
sleep 0.3
shot plain
origin=$(convert "$work/plain.png" -fill black +opaque 'rgb(40,90,200)' -trim -format '%X %Y' info:)
read -r ox oy <<<"${origin//+/}"
echo "   the map's top-left corner is at ($ox, $oy) on the screen"

step "2. Grid Options previews the grid over the map; Esc closes it and the preview"
keys alt+g Return
wait_window "Grid Options" >/dev/null || fail "no window titled 'Grid Options'"
sleep 0.8
shot preview
before=$(black_share plain)
during=$(black_share preview)
echo "   black share of the viewport: $before without, $during with the preview"
awk -v a="$before" -v b="$during" 'BEGIN { exit !(b > a + 0.005) }' || fail "no grid previewed"
keys Escape
wait_gone "Grid Options" || fail "Esc left the options open"
sleep 0.5
shot closed
awk -v a="$before" -v c="$(black_share closed)" 'BEGIN { exit !(c < a + 0.001) }' ||
    fail "the preview stayed after the options closed"

step "3. Measure Hexes: two centres 300 pixels and 3 hexes apart make 100-pixel hexes"
keys alt+g h
wait_window "Measure hexes" >/dev/null || fail "no instructions"
keys Return
wait_gone "Measure hexes" || fail "the instructions stayed up"
sleep 0.5
xdotool mousemove $((ox + 200)) $((oy + 300)) click 1
sleep 0.3
xdotool mousemove $((ox + 500)) $((oy + 300)) click 1
wait_window "Measure hexes" >/dev/null || fail "no question of how many hexes"
sleep 0.5
keys ctrl+a
xdotool type "3"
keys Return
sleep 0.8
shot result
keys Return
sleep 0.8

step "4. Generate Hex Grid draws the fitted grid: flats at 150 and 250 around the first point"
keys shift+Tab space
for _ in $(seq 50); do [ -s tmp.bmp ] && break; sleep 0.2; done
[ -s tmp.bmp ] || fail "no tmp.bmp"
sleep 0.5
black_near 150 300 || fail "no left flat at x = 150"
black_near 250 300 || fail "no right flat at x = 250"
black_near 240 300 && fail "a flat of the unfitted grid at x = 240"
echo "   the hexagon around the first point is drawn"
keys alt+f Up Return
wait_ended "$pid" || fail "the program did not end"
pid=
