#!/usr/bin/env bash
# `make run` on a machine without a usable display: starts the game on a virtual display,
# saves a screenshot of its opening screen, says where, and ends the game.
#
#   opening-shot.sh BIN_DIR OUTPUT.png
set -eu

BIN_DIR=$1
OUTPUT=$2
. "$(dirname "$0")/xgame.sh"

xgame_session

xgame_start_display
echo "No usable display: the game runs on the virtual display $DISPLAY."
xgame_start_game "$BIN_DIR"
xgame_wait_still "$XGAME_WORK/screen.ppm"
mkdir -p "$(dirname "$OUTPUT")"
xgame_window_png "$OUTPUT"
echo "Opening screen saved to $OUTPUT"
