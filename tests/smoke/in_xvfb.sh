# Sourced by the real-window tests: runs the calling script again inside its own X server
# (a 1280 x 1024 screen, no window manager), and gives it the program's caption and a few
# helpers. The caller sets `program` first.
caption='Tessara -  a wargame mapping utility'

# The server picks its own free display and tells it on a pipe (-displayfd), which is
# atomic: two tests started at once cannot pick the same one, as `xvfb-run -a` can. Its
# cookie is the run's own, so a program can never reach another test's server.
if [ -z "${TESSARA_IN_XVFB:-}" ]; then
    export TESSARA_IN_XVFB=1
    xdir=$(mktemp -d "${TMPDIR:-/tmp}/tessara-x.XXXXXX")
    export XAUTHORITY="$xdir/auth"
    touch "$XAUTHORITY"
    cookie=$(mcookie)
    # The server reads every cookie of its file, whatever display it was written for.
    xauth -q -f "$XAUTHORITY" add :0 . "$cookie" 2>/dev/null
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -auth "$XAUTHORITY" \
        3>"$xdir/display" 2>"$xdir/server.log" &
    xpid=$!
    for _ in $(seq 100); do
        [ -s "$xdir/display" ] && break
        kill -0 "$xpid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$xdir/display" ]; then
        echo "FAILED: the X server did not start:" >&2
        cat "$xdir/server.log" >&2
        kill "$xpid" 2>/dev/null || true
        rm -rf "$xdir"
        exit 1
    fi
    display=":$(head -n 1 "$xdir/display")"
    # Clients look their cookie up by display: write it for the one the server took.
    xauth -q -f "$XAUTHORITY" add "$display" . "$cookie"
    status=0
    DISPLAY="$display" "$0" "$@" || status=$?
    kill "$xpid" 2>/dev/null || true
    wait "$xpid" 2>/dev/null || true
    rm -rf "$xdir"
    exit "$status"
fi

step() { echo "-- $*"; }
# Ends the run as failed, keeping a screenshot of the moment with the run's files.
fail() {
    echo "   FAILED: $*"
    import -window root "$work/at-failure.png" 2>/dev/null || true
    exit 1
}
shot() { import -window root "$work/$1.png"; }
keys() { xdotool key --delay 120 "$@"; }
settle() { sleep "${1:-0.8}"; }
# Whether two pictures differ in any pixel.
differs() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" != 0 ]; }
# The id of the visible window with exactly this title, if there is one.
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
# Waits up to ten seconds for the window with this title and prints its id.
wait_window() {
    local w
    for _ in $(seq 100); do
        w=$(window_named "$1")
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    return 1
}
# Waits up to ten seconds for the window with this title to go.
wait_gone() {
    for _ in $(seq 100); do
        [ -z "$(window_named "$1")" ] && return 0
        sleep 0.1
    done
    return 1
}
# Waits up to five seconds for process $1 to end.
wait_ended() {
    for _ in $(seq 50); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}
# Makes a fresh folder for the run's files and screenshots, with a private runtime folder,
# and goes into it. At the end the program (its id in `pid`) is stopped, and the folder is
# removed after a pass and kept, and named, after a failure.
start_work() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/tessara-$1.XXXXXX")
    cd "$work"
    mkdir -m 700 runtime
    export XDG_RUNTIME_DIR="$work/runtime"
    pid=
    trap finish_work EXIT
}
finish_work() {
    status=$?
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    if [ "$status" -eq 0 ]; then
        rm -rf "$work"
    else
        echo "FAIL: screenshots and files kept in $work"
    fi
}
