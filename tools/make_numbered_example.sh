#!/usr/bin/env bash
# Draws the README's picture of a numbered grid: a small made-up terrain map, gridded and
# numbered from the command line exactly as a user would.
#   tools/make_numbered_example.sh build/tessara docs/numbered-grid.png
set -euo pipefail
program=$(realpath "$1")
out=$(realpath -m "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
convert -size 960x600 gradient:'rgb(222,210,160)'-'rgb(150,170,100)' \
    -fill 'rgb(95,125,70)' -draw 'circle 180,420 250,420' -draw 'circle 300,470 350,470' \
    -draw 'circle 620,160 700,160' -fill 'rgb(190,160,110)' -draw 'circle 420,250 520,250' \
    -fill 'rgb(70,120,190)' -draw 'ellipse 820,520 260,170 0,360' \
    -stroke 'rgb(70,120,190)' -strokewidth 10 -fill none -draw 'bezier 0,130 300,60 520,380 760,470' \
    -stroke 'rgb(150,40,30)' -strokewidth 5 -draw 'line 60,560 900,40' \
    -stroke none -fill 'rgb(30,30,30)' -font DejaVu-Sans -pointsize 34 -annotate +380+250 'Hill 112' \
    map.png
"$program" grid map.png numbered.png --map-width 40 --hex-size 3 --orientation columns \
    --colour black --thickness 2 --numbers 0101 --halo white
cp numbered.png "$out"
