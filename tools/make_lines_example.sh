#!/usr/bin/env bash
# Draws the help file's picture of the lines' look: the same part of the sample map Eledale
# around Selford as its picture of hex numbers, gridded from the command line exactly as a
# user would, in columns of 2 km hexes, with dashed lines of a dark brown of its own at 60 %
# and numbers 0101 with a white halo.
#   tools/make_lines_example.sh build/tessara resources/tessara-lines.png
# The sample map is the one built beside the program; SAMPLE_MAP names another.
set -euo pipefail
program=$(realpath "$1")
output=$(realpath -m "$2")
sample=$(realpath "${SAMPLE_MAP:-$(dirname "$program")/samples/sample-map.jpg}")

# shellcheck source=tools/sample_work.sh
. "$(dirname "$0")/sample_work.sh"
enter_sample_work "$sample"

# 480 x 300 pixels of a map drawn at 50 pixels to the kilometre are 9.6 km across.
convert "$sample" -crop 480x300+700+990 +repage part.png
"$program" grid part.png lines.png --map-width 9.6 --hex-size 2 --orientation columns \
    --shifted second --offset 20,0 --colour '#5a3c1e' --thickness 2 --line-style dashed \
    --opacity 60 --numbers 0101 --halo white
cp lines.png "$output"
