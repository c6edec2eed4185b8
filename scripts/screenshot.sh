#!/usr/bin/env bash
# Takes the README's screenshot: the real game on a virtual display, resuming a prepared game
# against the computer (so that the picture is the same on every run) just after the computer's
# capture, with its marks, and a hint asked for with H: the piece it moves selected, where it can
# go marked, the cursor on the hint's final square and the hint on the status line. Saved as a
# PNG of the game's window, in the language LANGUAGE_TAG names (a locale such as ru_RU.UTF-8;
# English when it is not given).
#
#   screenshot.sh BIN_DIR OUTPUT.png [LANGUAGE_TAG]
set -eu

BIN_DIR=$1
OUTPUT=$2
XGAME_LANG=${3:-C}
. "$(dirname "$0")/xgame.sh"

xgame_session

xgame_copy_game "$BIN_DIR" "$XGAME_WORK/game"
printf '[General]\nrules=0\nlevel=0\nfirst_move=0\nsecond_player=0\n' >"$XGAME_WORK/game/checkers.ini"
# White offers a man on c5 and Black's man from d6 takes it, landing on b4.
cat >"$XGAME_WORK/game/checkers.pdn" <<'PDN'
[Event "Checkers"]
[Date "2026.12.08"]
[White "Player"]
[Black "Computer"]
[Result "*"]
[GameType "25"]

1. c3-d4 b6-a5 2. d4-c5 d6xb4 *
PDN

xgame_start_display
xgame_start_game "$XGAME_WORK/game"
xgame_wait_still "$XGAME_WORK/screen.ppm"
# White must take back on b4, and has one way to: the hint is the same on every run.
xdotool key h
xgame_wait_still "$XGAME_WORK/screen.ppm"
mkdir -p "$(dirname "$OUTPUT")"
xgame_window_png "$OUTPUT"
echo "Screenshot saved to $OUTPUT"
