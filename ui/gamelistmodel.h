#pragma once

#include <QAbstractListModel>

#include <string>

#include "game/gamelist.h"

// The rows of a GameList for a list view, two lines each: "date  result  moves  rule set" and
// the players (or, for a game that cannot be replayed, why not). A row is worded when the view
// asks for it, and a game is checked by the rules only then, so that a list of thousands of
// games costs only the rows a person looks at.
class GameListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    // `archive` is the file of the games played here; the rows of other files name their file.
    GameListModel(QObject* parent, GameList list, std::string archive);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Opens the game of `row`; its row then says why, should it fail.
    GameList::Opened open(int row);
    const GameList& list() const { return m_list; }

private:
    // Checking a game only refines what its row says: the view's const queries may do it.
    mutable GameList m_list;
    std::string m_archive;
};
