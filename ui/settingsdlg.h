#pragma once

#include <QDialog>

#include "ui_settingsdlg.h"

class QComboBox;
class QKeyEvent;
class QSettings;

// The settings dialog: four lists showing the stored rule set, level, first move and second
// player. Accepting writes the chosen indexes to the settings (-1 for a list left without an
// entry); cancelling writes nothing. Left cancels, Right accepts. The list with the focus shows
// a 3-pixel black border, as the buttons do by the main window's style. The settings are borrowed.
class SettingsDlg : public QDialog, private Ui::SettingsDlg
{
public:
    SettingsDlg(QWidget* parent, QSettings* settings);

    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Names the first-move entries after the players: "You", then "Computer" or "Second player"
    // as the second-player list has it.
    void nameFirstMovers();
    // Selects the entry of `list` stored under `key` (0 when missing), unchecked.
    void showStored(QComboBox* list, const char* key) const;
    void store(const char* key, const QComboBox* list);

    QSettings* m_pSettings;
};
