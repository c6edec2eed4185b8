#pragma once

#include <QDialog>

#include <optional>
#include <string>

#include "game/gamelist.h"
#include "game/pdn.h"
#include "ui_gamesdlg.h"

class GameListModel;
class QKeyEvent;
class QShowEvent;

// The games a player can look back at, newest first, then those of the collections, two lines a
// game, every row in view whole; the row with the focus is framed in 3 pixels of black. Up and Down
// move by a row, PageUp and PageDown by a page, Home and End to the first and the last game; Return
// opens the game (a game that cannot be replayed says why, and stays listed), Escape closes. The
// keys pass the device key filter as the moves dialog's do.
class GamesDlg : public QDialog, private Ui::GamesDlg
{
    Q_OBJECT

public:
    // `archive` is the file of `list` that holds the games played here (games.pdn).
    GamesDlg(QWidget* parent, GameList list, const std::string& archive);

    // The row with the focus, from 0; -1 for an empty list.
    int currentRow() const;
    // How many whole rows the list shows at once (at least 1).
    int rowsPerPage() const;
    // The game Return opened; set once the dialog was accepted.
    const std::optional<Pdn::Game>& chosen() const { return m_chosen; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool move(int key);
    void openCurrent();

    GameListModel* m_model = nullptr;
    std::optional<Pdn::Game> m_chosen;
};
