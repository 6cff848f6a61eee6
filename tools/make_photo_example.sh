#!/usr/bin/env bash
# Draws the help file's before and after picture of a flattened photo: a made-up phone photo
# of a printed board (tilted 18 degrees, the lens barrelling, a hand on it, the game's box
# over a corner and glare from a window), and the board `tessara flatten` makes of it, its
# printed grid then drawn over in red from the options flatten printed, exactly as a user
# would from a shell. The two side by side, each 360 pixels wide.
#   tools/make_photo_example.sh build/tessara build/tools/synthetic_scan/make_photo \
#       resources/tessara-photo.png
set -euo pipefail
program=$(realpath "$1")
make_photo=$(realpath "$2")
output=$(realpath -m "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

QT_QPA_PLATFORM=offscreen "$make_photo" photo.jpg --size 1200x900 --hex 50 --tilt 18 \
    --k1 -0.05 --glare 0.6 --hand --box --quality 90
options=$("$program" flatten photo.jpg board.png)
# shellcheck disable=SC2086 # the options are words for the grid command
"$program" grid board.png gridded.png --map-width 100 --hex-size 1 --colour red \
    --thickness 2 $options
convert photo.jpg -resize 360x before.png
convert gridded.png -resize 360x after.png
convert before.png -size 8x1 xc:white after.png -background white -gravity center +append \
    "$output"
