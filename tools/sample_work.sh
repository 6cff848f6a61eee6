# Sourced by the scripts that draw pictures from the sample map: refuses a picture that is
# not the 4000-pixel sample map (their crops and hex sizes are worked out for it), then moves
# into a scratch folder that is removed on exit.
#   enter_sample_work "$sample"
enter_sample_work() {
    if [ "$(identify -format '%w' "$1")" != 4000 ]; then
        echo "$1 is not the 4000-pixel sample map" >&2
        exit 1
    fi
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    cd "$work"
}
