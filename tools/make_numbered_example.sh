#!/usr/bin/env bash
# Draws the pictures of a numbered grid: a part of the sample map Eledale around Selford and
# the coast of Oak Sound, gridded and numbered from the command line exactly as a user would,
# with 2 km hexes in columns, numbered 0101 with a white halo.
#   tools/make_numbered_example.sh build/tessara docs/numbered-grid.png resources/tessara-numbers.png
# The first picture is the README's (1200 x 750), the second, if named, the help file's
# (480 x 300). The sample map is the one built beside the program; SAMPLE_MAP names another.
set -euo pipefail
program=$(realpath "$1")
readme_out=$(realpath -m "$2")
help_out=${3:+$(realpath -m "$3")}
sample=$(realpath "${SAMPLE_MAP:-$(dirname "$program")/samples/sample-map.jpg}")

# The sample map is 80 km across in 4000 pixels: 50 pixels to the kilometre.
readonly pixels_per_km=50
# shellcheck source=tools/sample_work.sh
. "$(dirname "$0")/sample_work.sh"
enter_sample_work "$sample"

# grid_part WIDTH HEIGHT LEFT TOP OFFSET OUTPUT: grids that part of the sample map. The offset
# keeps every number whole at the part's left and right edges.
grid_part() {
    local width=$1 height=$2 left=$3 top=$4 offset=$5 output=$6
    convert "$sample" -crop "${width}x${height}+${left}+${top}" +repage part.png
    "$program" grid part.png numbered.png --map-width "$(awk "BEGIN { print $width / $pixels_per_km }")" \
        --hex-size 2 --orientation columns --shifted second --offset "$offset" \
        --colour black --thickness 2 --numbers 0101 --halo white
    cp numbered.png "$output"
}

grid_part 1200 750 540 980 0,0 "$readme_out"
if [ -n "$help_out" ]; then
    grid_part 480 300 700 990 20,0 "$help_out"
fi
