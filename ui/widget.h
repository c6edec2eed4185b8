#pragma once

#include <QSettings>
#include <QWidget>

#include "ui_checkers.h"

class QKeyEvent;

// The main window: the title, the names of the rule set and level in force, the board, the status
// line and the buttons "New", "Undo", "Settings" and "Close". It owns the settings file
// checkers.ini beside the executable, hands the stored settings to the board, has the board keep
// the game in checkers.pdn beside it (resuming an unfinished one) and carries the game commands.
class Widget : public QWidget, private Ui::Checkers
{
    Q_OBJECT

public:
    // Opens the settings, builds the form, applies the settings, resumes the kept game or starts
    // the first one, and gives the board the focus.
    Widget();
    ~Widget() override;

protected:
    // PageUp undoes, PageDown starts a new game, M and Menu move the focus between the board
    // and "New". Other keys do nothing.
    void keyPressEvent(QKeyEvent* event) override;
    // Releasing Escape closes the window, when the window also had its press: the release of
    // an Escape that closed a dialog or message box leaves the game running.
    void keyReleaseEvent(QKeyEvent* event) override;

private slots:
    void onNewGame();
    // Runs the settings dialog; accepting it applies the settings and starts a new game.
    void onSettings();
    // Reads the stored settings into the board's setting fields and the two name fields; an
    // unknown rule set or level is read, and stored back, as index 0. Starts no game.
    void onApplyConfig();
    // Takes back the last move of the person at the keys with the reply to it.
    void onUndo();

private:
    // The stored index under `key`, or 0 (stored back) when it is not below `count`.
    int storedIndex(const char* key, unsigned int count);
    void toggleFocus();

    QSettings m_settings;
    bool m_escapePressed = false; // the window received the press of Escape
};
