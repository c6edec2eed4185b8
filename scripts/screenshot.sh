#!/usr/bin/env bash
# Takes the README's screenshot: the real game on a virtual display, a two-person game (so that
# every move is scripted and the picture is the same on every run) played a few moves in by
# cursor keys and Return, saved as a PNG of the game's window.
#
#   screenshot.sh BIN_DIR OUTPUT.png
set -eu

BIN_DIR=$1
OUTPUT=$2
. "$(dirname "$0")/xgame.sh"

xgame_session

xgame_copy_game "$BIN_DIR" "$XGAME_WORK/game"
printf '[General]\nrules=0\nlevel=0\nfirst_move=0\nsecond_player=1\n' >"$XGAME_WORK/game/checkers.ini"

xgame_start_display
xgame_start_game "$XGAME_WORK/game"
xgame_wait_still "$XGAME_WORK/screen.ppm"

# The board's cursor starts on column 3, row 5; rows count from the top.
CURSOR_COLUMN=3
CURSOR_ROW=5

# Moves the cursor to column $1, row $2 with the arrow keys and presses Return there.
choose() {
    local keys=()
    while [ "$CURSOR_COLUMN" -lt "$1" ]; do keys+=(Right); CURSOR_COLUMN=$((CURSOR_COLUMN + 1)); done
    while [ "$CURSOR_COLUMN" -gt "$1" ]; do keys+=(Left); CURSOR_COLUMN=$((CURSOR_COLUMN - 1)); done
    while [ "$CURSOR_ROW" -lt "$2" ]; do keys+=(Down); CURSOR_ROW=$((CURSOR_ROW + 1)); done
    while [ "$CURSOR_ROW" -gt "$2" ]; do keys+=(Up); CURSOR_ROW=$((CURSOR_ROW - 1)); done
    xdotool key "${keys[@]}" Return
}

# Plays a move from column $1, row $2 to column $3, row $4 and waits until it is drawn.
move() {
    choose "$1" "$2"
    xgame_wait_still "$XGAME_WORK/screen.ppm"
    cp "$XGAME_WORK/screen.ppm" "$XGAME_WORK/before.ppm"
    choose "$3" "$4"
    xgame_wait_change "$XGAME_WORK/before.ppm" "$XGAME_WORK/screen.ppm" || {
        echo "the move $* was not made" >&2
        exit 1
    }
    xgame_wait_still "$XGAME_WORK/screen.ppm"
}

move 2 5 3 4 # white
move 5 2 4 3 # black offers a man
move 3 4 5 2 # white must take it
move 6 1 4 3 # black takes back
move 4 5 5 4 # white
move 1 2 2 3 # black
choose 5 6   # white picks its next man

xgame_wait_still "$XGAME_WORK/screen.ppm"
mkdir -p "$(dirname "$OUTPUT")"
xgame_window_png "$OUTPUT"
echo "Screenshot saved to $OUTPUT"
