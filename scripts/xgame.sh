# Runs the game on a virtual X display (Xvfb) and drives it with xdotool. Sourced by the smoke
# test, `make run` on a machine without a display and `make screenshot`.
#
#   xgame_session                 a scratch folder XGAME_WORK, removed with the game and the
#                                 display when the script ends
#   xgame_start_display           start Xvfb on a free display; sets DISPLAY and XGAME_XVFB_PID
#   xgame_copy_game BIN_DIR DIR   copy the game and its images, without a checkers.ini, to DIR
#   xgame_start_game DIR          run DIR/checkers, its output to XGAME_LOG; sets XGAME_PID and
#                                 XGAME_WINDOW
#   xgame_dump FILE               the whole screen as a PPM file (colours only, so that equal
#                                 screens give equal files)
#   xgame_wait_change REF FILE    dump the screen into FILE once it differs from REF
#   xgame_wait_still FILE         dump the screen into FILE once it has stopped changing
#   xgame_window_png FILE         the game's window as a PNG file
#   xgame_stop                    end the game and the display started here
#
# Every wait is bounded by XGAME_WAIT_S seconds; a wait that runs out returns 1.

XGAME_WAIT_S=${XGAME_WAIT_S:-20}
XGAME_SCREEN=${XGAME_SCREEN:-600x800x24}
XGAME_LOG=${XGAME_LOG:-/dev/null}
XGAME_POLL_S=0.05
XGAME_STILL_S=0.4
XGAME_XVFB_PID=
XGAME_PID=
XGAME_WINDOW=

# Runs the command until it succeeds, at most XGAME_WAIT_S seconds.
xgame_until() {
    local deadline=$((SECONDS + XGAME_WAIT_S))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep "$XGAME_POLL_S"
    done
}

xgame_session() {
    XGAME_WORK=$(mktemp -d)
    trap 'xgame_stop; rm -rf "$XGAME_WORK"' EXIT
}

xgame_start_display() {
    local fdfile
    fdfile=$(mktemp)
    # Xvfb picks a free display itself and writes its number once it accepts clients.
    # -noreset: the display stays as it was when the game ends and starts again.
    Xvfb -displayfd 3 -screen 0 "$XGAME_SCREEN" -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
    XGAME_XVFB_PID=$!
    if ! xgame_until test -s "$fdfile"; then
        rm -f "$fdfile"
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$fdfile")"
    rm -f "$fdfile"
}

xgame_copy_game() {
    mkdir -p "$2"
    cp "$1/checkers" "$1"/*.qm "$2/"
    cp -r "$1/images" "$2/"
}

xgame_find_window() {
    XGAME_WINDOW=$(xdotool search --onlyvisible --name '^Form$' 2>/dev/null | head -n 1)
    [ -n "$XGAME_WINDOW" ]
}

# The game speaks the language of XGAME_LANG, a locale such as ru_RU.UTF-8; English by default,
# whatever the caller's own locale.
xgame_start_game() {
    env LANGUAGE= LC_ALL= LC_MESSAGES= LANG="${XGAME_LANG:-C}" "$1/checkers" >"$XGAME_LOG" 2>&1 &
    XGAME_PID=$!
    xgame_until xgame_find_window || { echo "the game's window did not appear" >&2; return 1; }
    xgame_focus "$XGAME_WINDOW"
}

# Gives the window the keyboard focus (there is no window manager to do it).
xgame_focus() {
    timeout "$XGAME_WAIT_S" xdotool windowfocus --sync "$1"
}

xgame_dump() {
    xwd -root -silent | convert xwd:- "ppm:$1"
}

xgame_differs() {
    xgame_dump "$2" && ! cmp -s "$1" "$2"
}

xgame_wait_change() {
    xgame_until xgame_differs "$1" "$2"
}

xgame_still() {
    xgame_dump "$1.before" && sleep "$XGAME_STILL_S" && xgame_dump "$1" && cmp -s "$1.before" "$1"
}

xgame_wait_still() {
    xgame_until xgame_still "$1"
    local still=$?
    rm -f "$1.before"
    return "$still"
}

xgame_window_png() {
    xwd -id "$XGAME_WINDOW" -silent | convert xwd:- -strip "$1"
}

xgame_game_running() {
    [ -n "$XGAME_PID" ] && kill -0 "$XGAME_PID" 2>/dev/null
}

xgame_stop() {
    if xgame_game_running; then
        kill "$XGAME_PID" 2>/dev/null || true
        wait "$XGAME_PID" 2>/dev/null || true
    fi
    XGAME_PID=
    if [ -n "$XGAME_XVFB_PID" ]; then
        kill "$XGAME_XVFB_PID" 2>/dev/null || true
        wait "$XGAME_XVFB_PID" 2>/dev/null || true
    fi
    XGAME_XVFB_PID=
}
