#!/usr/bin/env bash
# End-to-end test of the real game under Xvfb, driven with xdotool like the device's keys:
# a move by cursor and Return with the computer's reply; Escape and a new start showing the same
# game again; the settings dialog opened from its button and closed, accepted unchanged keeping
# the game; the games list opened and closed with Escape; Escape ending the program with
# status 0 and checkers.ini and checkers.pdn beside it; a second copy started in the same
# folder saying that the game is open and ending; a prepared game won at once and its message
# box closed; a held PageUp taking back one move and Shift+PageUp giving it back; the resident
# memory after Grandmaster's reply and a hint. There is no window manager: the window is
# given the focus once at
# start, and after every dialog and message box its keys must work by themselves. Escape is held
# down long enough to repeat: only its release ends the game.
#
#   smoke_test.sh BIN_DIR [SHOTS_DIR]
#
# BIN_DIR holds the built game and its images; it is copied so that checkers.ini starts absent.
set -u

BIN_DIR=$1
SHOTS=${2:-}
. "$(dirname "$0")/../../scripts/xgame.sh"

for tool in Xvfb xdotool xwd convert cmp timeout; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

WORK=$(mktemp -d)
XGAME_LOG="$WORK/game.log"
SECOND_PID=
finish() {
    [ -n "$SECOND_PID" ] && kill "$SECOND_PID" 2>/dev/null
    xgame_stop
    if [ -n "$SHOTS" ]; then
        mkdir -p "$SHOTS"
        for dump in "$WORK"/*.ppm; do
            [ -e "$dump" ] && convert "$dump" "$SHOTS/$(basename "$dump" .ppm).png"
        done
    fi
    rm -rf "$WORK"
}
trap finish EXIT

fail() {
    echo "FAIL: $*"
    echo "The game's output:"
    tail -n 40 "$XGAME_LOG"
    exit 1
}

step() {
    echo "-- $*"
}

# A window of that name is on the screen, or none is.
shown() {
    xdotool search --onlyvisible --name "^$1\$" >/dev/null
}
gone() {
    ! shown "$1"
}

xgame_copy_game "$BIN_DIR" "$WORK/game"

xgame_start_display || fail "no virtual display"
step "display $DISPLAY"
xgame_start_game "$WORK/game" || fail "the game did not show its window"
step "window $XGAME_WINDOW"
xgame_wait_still "$WORK/1-opening.ppm" || fail "the opening screen did not settle"

# The window covers the whole screen by itself, with no window manager to make it full screen.
geometry=$(xdotool getwindowgeometry "$XGAME_WINDOW" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "${XGAME_SCREEN%x*}" ] || fail "the window is $geometry on a ${XGAME_SCREEN%x*} screen"

# The cursor starts on the man on column 2, row 5: Return selects it; Up and Right bring the
# cursor to column 3, row 4.
xdotool key Return Up Right
xgame_wait_still "$WORK/2-selected.ppm" || fail "the screen did not settle after selecting"
cmp -s "$WORK/1-opening.ppm" "$WORK/2-selected.ppm" && fail "selecting did not show"

# Return on the free square makes the move; the computer answers half a second later.
xdotool key Return
xgame_wait_change "$WORK/2-selected.ppm" "$WORK/3-moved.ppm" || fail "the move did not show"
step "the person's move is on the screen"
xgame_wait_change "$WORK/3-moved.ppm" "$WORK/4-reply.ppm" || fail "the computer did not answer"
step "the computer's reply is on the screen"
xgame_wait_still "$WORK/5-after-reply.ppm" || fail "the screen did not settle after the reply"

# Longer than the keyboard's delay before a held key repeats (660 ms on the X server).
HOLD_S=1.5

# Releasing Escape ends the program, whose game is kept beside it; holding it down does not.
quit_with_escape() {
    xdotool keydown Escape
    sleep "$HOLD_S"
    xgame_game_running || fail "holding Escape down ended the game before its release"
    xdotool keyup Escape
    xgame_until sh -c "! kill -0 $XGAME_PID 2>/dev/null" || fail "releasing Escape did not end the game"
    wait "$XGAME_PID"
    status=$?
    XGAME_PID=
    [ "$status" -eq 0 ] || fail "the game exited with status $status"
}

# Down and Left bring the cursor back to column 2, row 5, where a new start puts it, so that the
# screen of the resumed game can only differ in the game itself.
xdotool key Down Left
xgame_wait_still "$WORK/6-before-escape.ppm" || fail "the screen did not settle"
quit_with_escape
step "Escape ended the game"
[ -f "$WORK/game/checkers.pdn" ] || fail "no checkers.pdn beside the game"
xgame_start_game "$WORK/game" || fail "the game did not show its window again"
xgame_wait_still "$WORK/7-resumed.ppm" || fail "the resumed game did not settle"
cmp -s "$WORK/6-before-escape.ppm" "$WORK/7-resumed.ppm" ||
    fail "the game started again does not show the game that was left"
step "the game started again shows the same position"

# A second copy in the same folder says that the game is open, in a box of its own, and ends
# with a failure once the box is closed; the first plays on.
env LANGUAGE= LC_ALL= LC_MESSAGES= LANG=C "$WORK/game/checkers" >"$WORK/second.log" 2>&1 &
SECOND_PID=$!
xgame_until shown Checkers || fail "a second copy showed no message"
grep -q "the game is already open" "$WORK/second.log" || fail "a second copy did not say why"
xgame_focus "$(xdotool search --onlyvisible --name '^Checkers$' | head -n 1)"
xdotool key Return
xgame_until sh -c "! kill -0 $SECOND_PID 2>/dev/null" || fail "the second copy did not end"
wait "$SECOND_PID"
status=$?
SECOND_PID=
[ "$status" -ne 0 ] || fail "the second copy ended with status 0"
xgame_game_running || fail "the second copy ended the first"
xgame_focus "$XGAME_WINDOW"
step "a second copy said that the game is open and ended with status $status"

# M moves the focus to "New", Tab on through "Undo", "Hint", "Moves" and "Games" to "Settings";
# Return on a button becomes Space.
open_settings() {
    xdotool key m Tab Tab Tab Tab Tab Return
    xgame_until shown Settings || fail "the settings dialog did not open"
}
# The key changes the board (an arrow moves the cursor, Return selects the piece under it), which it
# can only when the window has the keys and the board the focus.
key_shows() {
    xgame_wait_still "$WORK/$1-before-$2.ppm" || fail "the screen did not settle"
    xdotool key "$2"
    xgame_wait_change "$WORK/$1-before-$2.ppm" "$WORK/$1-$2.ppm" || fail "$2 did not reach the board"
}

open_settings
step "the settings dialog is open"
xgame_dump "$WORK/8-settings.ppm"
# Escape closes the dialog when it goes down; held on, it must not end the game behind it.
xdotool keydown Escape
xgame_until gone Settings || fail "Escape did not close the settings dialog"
sleep "$HOLD_S"
xdotool keyup Escape
sleep 0.5
xgame_game_running || fail "the Escape held to close the dialog ended the game"
step "Escape closed the dialog; held and released, it left the game running"

# "Games", four Tabs from "New", lists the games; Escape closes the list and the game goes on.
xdotool key m Tab Tab Tab Tab Return
xgame_until shown Games || fail "the games list did not open"
xdotool key Escape
xgame_until gone Games || fail "Escape did not close the games list"
sleep 0.5
xgame_game_running || fail "the Escape that closed the games list ended the game"
step "the games list opened from its button and Escape closed it"

# Right accepts the dialog: the settings are stored; unchanged, they keep the game as it was.
xgame_wait_still "$WORK/9-before-settings.ppm" || fail "the screen did not settle"
open_settings
xdotool key Right
xgame_until gone Settings || fail "Right did not accept the settings dialog"
xgame_wait_still "$WORK/9-after-settings.ppm" || fail "the screen did not settle"
cmp -s "$WORK/9-before-settings.ppm" "$WORK/9-after-settings.ppm" ||
    fail "accepting the settings unchanged did not keep the game"
key_shows 9 Left
key_shows 9 Left
key_shows 9b Right
step "Right accepted the dialog and kept the game; Left and Right reach the board after it"
quit_with_escape
step "releasing Escape ended the game with status 0"

[ -f "$WORK/game/checkers.ini" ] || fail "no checkers.ini beside the game"
for key in rules level first_move second_player; do
    grep -q "^$key=0$" "$WORK/game/checkers.ini" || fail "checkers.ini lacks $key=0"
done
step "checkers.ini holds the accepted settings"

# A kept game in which White, the person, can take Black's last man: c3xe5 ends it.
printf '%s\n' '[White "Player"]' '[Black "Computer"]' '[Result "*"]' '[GameType "25"]' \
    '[SetUp "1"]' '[FEN "W:Wc3:Bd4"]' '' '*' >"$WORK/game/checkers.pdn"
xgame_start_game "$WORK/game" || fail "the game did not show its window again"
# The cursor starts on c3: Return selects it, two steps up and right reach e5.
xdotool key Return Right Right Up Up Return
xgame_until shown "Game Over" || fail "the winning capture did not end the game"
xdotool key Return
xgame_until gone "Game Over" || fail "Return did not close the game-over box"
key_shows 10 Left
step "the game-over box closed by Return; Left reaches the board after it"
quit_with_escape
step "releasing Escape ended the finished game with status 0"

# A kept game of two moves each. PageUp held down past the keyboard's repeat takes back one move
# of the person's with its reply, however long it is held: the first move stays in the kept file.
printf '%s\n' '[White "Player"]' '[Black "Computer"]' '[Result "*"]' '[GameType "25"]' '' \
    '1. c3-d4 f6-g5 2. b2-c3 g7-f6 *' >"$WORK/game/checkers.pdn"
xgame_start_game "$WORK/game" || fail "the game did not show its window again"
xgame_wait_still "$WORK/11-two-moves.ppm" || fail "the game of two moves did not settle"
xdotool keydown Prior
sleep "$HOLD_S"
xdotool keyup Prior
xgame_wait_still "$WORK/12-undone.ppm" || fail "the screen did not settle after PageUp"
grep -q "c3-d4" "$WORK/game/checkers.pdn" || fail "a held PageUp took back more than one move"
grep -q "b2-c3" "$WORK/game/checkers.pdn" && fail "PageUp did not take back the last move"
step "a held PageUp took back one move"

# Shift+PageUp plays it again.
xdotool key shift+Prior
xgame_wait_change "$WORK/12-undone.ppm" "$WORK/13-redone.ppm" || fail "Shift+PageUp did not redo"
cmp -s "$WORK/11-two-moves.ppm" "$WORK/13-redone.ppm" || fail "the redone game looks different"
grep -q "b2-c3" "$WORK/game/checkers.pdn" || fail "the kept game did not follow the redo"
step "Shift+PageUp gave the move back"

# The resident memory after Grandmaster's reply and a hint, which share the worker's engine.
xdotool key Next
xgame_wait_still "$WORK/14-new.ppm" || fail "the new game did not settle"
quit_with_escape
sed -i 's/^level=.*/level=6/' "$WORK/game/checkers.ini"
xgame_start_game "$WORK/game" || fail "the game did not show its window again"
xdotool key Left Return Up Right Return
xgame_wait_still "$WORK/15-moved.ppm" || fail "the screen did not settle after the move"
sleep 2
xdotool key h
sleep 1
xgame_wait_still "$WORK/16-hint.ppm" || fail "the screen did not settle after the hint"
step "$(grep VmRSS /proc/"$XGAME_PID"/status) after Grandmaster's reply and a hint"
quit_with_escape
echo "smoke: 1 passed, 0 failed"
