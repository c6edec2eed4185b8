#pragma once

#include <QList>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include "ui_checkers.h"

class QKeyEvent;

// The main window: the title, the names of the rule set and level in force, the board, the status
// line and the buttons "New", "Undo", "Hint", "Moves", "Games", "Settings", "Puzzles" and "Close",
// in three rows of three (room for one more command) that keep every text whole on a 600-pixel wide
// screen in either language: four in a row leave the Russian names no room. It owns
// the settings file checkers.ini beside the executable, hands the stored settings to the board, has
// the board keep the game in checkers.pdn beside it (resuming an unfinished one) and carries the
// game commands.
class Widget : public QWidget, private Ui::Checkers
{
    Q_OBJECT

public:
    // Opens the settings, builds the form, applies the settings, resumes the kept game or starts
    // the first one, and gives the board the focus.
    Widget();
    ~Widget() override;

protected:
    // PageUp undoes, Shift+PageUp redoes, PageDown starts a new game, each once per press (a
    // held key's repeats do nothing); M and Menu move the focus between the board and "New";
    // Escape stops a search the board runs. Other keys do nothing.
    void keyPressEvent(QKeyEvent* event) override;
    // Releasing Escape closes the window, when the window received its press while no other
    // window of the program was active, and has not lost the activation since: neither the
    // release nor the repeats of an Escape held after it closed a dialog or message box end the
    // game, nor the release of one pressed before a box opened. A held Escape closes the window
    // only when it is released at last, however its repeats arrive.
    void keyReleaseEvent(QKeyEvent* event) override;
    // Forgets a pressed Escape when the window stops being the active one.
    void changeEvent(QEvent* event) override;
    // Watches the whole program for a modal dialog or message box closing: the window then takes
    // the activation back itself, so that its keys work even where no window manager gives it
    // back, and the focus returns to the child that had it. Notes every key's release, and keeps
    // the repeats of a key held on one of the window's buttons from clicking it again.
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onNewGame();
    // Runs the settings dialog, stopping the board's searches; accepting it with a change applies
    // the settings and starts a new game, accepting it unchanged keeps the game as it is.
    void onSettings();
    // Reads the stored settings into the board's setting fields and the two name fields; an
    // unknown rule set or level is read, and stored back, as index 0. Starts no game.
    void onApplyConfig();
    // Takes back the last move of the person at the keys with the reply to it.
    void onUndo();
    // Plays again what the last undo took back.
    void onRedo();
    // Shows on the board the move the computer would play for the side to move.
    void onHint();
    // Shows the moves of the game so far in a dialog.
    void onMoves();
    // Lists the games played and collected; the one opened is replayed.
    void onGames();
    // Opens the puzzles of the rule set in play; the game in progress waits as it is.
    void onPuzzles();
    // Replays the game just finished from its last move.
    void onReview();

private:
    // The stored index under `key`, or 0 (stored back) when it is not below `count`.
    int storedIndex(const char* key, unsigned int count);
    void toggleFocus();
    // Replays `game` from `ply`; "Play from here" there starts the new game on the board.
    void replay(const GameRecord& game, std::size_t ply);
    // The file of the games played, games.pdn beside the kept game.
    std::string archivePath() const;
    // Raises and activates the window, unless it is hidden or a modal window is still open.
    void takeActivationBack();
    // Whether this press is a repeat of a held key: flagged so, or the press of a release/press
    // pair, which shares the release's time stamp.
    bool isRepeat(const QKeyEvent& press) const;
    // Whether the key event `event` for `watched` is one that clicks a button of this window.
    bool clicksButton(const QObject* watched, const QEvent* event) const;
    // The stored values of the settings the dialog edits.
    QList<int> storedSettings() const;

    QSettings m_settings;
    // The window received a first press of Escape, not a repeat, while no other window was
    // active, and has not been deactivated since.
    bool m_escapePressed = false;
    // The last key released anywhere in the program, and when, by the event's time stamp
    // (0: unknown).
    int m_releasedKey = 0;
    quint64 m_releasedAt = 0;
    // Closes the window shortly after the release of Escape, unless a repeat stops it first.
    QTimer m_closeTimer;
};
