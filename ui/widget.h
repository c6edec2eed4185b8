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
    // Releasing Escape closes the window, when the window received its press while active and
    // has stayed active since: neither the release nor the auto-repeated presses of an Escape
    // that closed a dialog or message box end the game, nor the release of one pressed before a
    // box opened.
    void keyReleaseEvent(QKeyEvent* event) override;
    // Forgets a pressed Escape when the window stops being the active one.
    void changeEvent(QEvent* event) override;

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
    // The window received a first, not auto-repeated, press of Escape while active, and has been
    // active ever since.
    bool m_escapePressed = false;
};
