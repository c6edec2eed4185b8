#include "gamelistmodel.h"

#include <QFileInfo>

#include <utility>

#include "game/ruleset.h"
#include "textprovider.h"

namespace
{

// The stored indexes of the rule-set names, by rule-set code.
constexpr unsigned RUSSIAN_NAME = 0;
constexpr unsigned ENGLISH_NAME = 1;

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

// A player the game does not name shows as PDN writes an unknown value.
QString playerName(const std::string& name)
{
    return name.empty() ? QStringLiteral("?") : fromStd(name);
}

} // namespace

GameListModel::GameListModel(QObject* parent, GameList list, std::string archive)
    : QAbstractListModel(parent), m_list(std::move(list)), m_archive(std::move(archive))
{
}

int GameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_list.size());
}

QVariant GameListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    const auto row = static_cast<std::size_t>(index.row());
    if (!m_list.entry(row).checked)
        m_list.check(row);
    const GameList::Entry entry = m_list.entry(row);

    QString rules = tr("unknown rules");
    if (entry.rules == ruleset::RUSSIAN)
        rules = TextProvider::display(TextProvider::get_rules_text(RUSSIAN_NAME));
    else if (entry.rules == ruleset::ENGLISH)
        rules = TextProvider::display(TextProvider::get_rules_text(ENGLISH_NAME));
    const QString date = entry.date.empty() ? tr("no date") : fromStd(entry.date);
    const QString result = entry.result.empty() ? QStringLiteral("*") : fromStd(entry.result);
    const QString first =
        QStringLiteral("%1  %2  %3  %4").arg(date, result, tr("%n moves", "", entry.plies), rules);
    QString second;
    if (!entry.readable())
        second = tr("Cannot be replayed: %1").arg(fromStd(entry.problem));
    else
        second = tr("%1 – %2").arg(playerName(entry.white), playerName(entry.black));
    // The games of a collection say which file they come from.
    const std::string& file = m_list.files().at(entry.file);
    if (file != m_archive)
        second = QFileInfo(fromStd(file)).fileName() + QStringLiteral(": ") + second;
    return QString(first + QLatin1Char('\n') + second);
}

GameList::Opened GameListModel::open(int row)
{
    GameList::Opened opened = m_list.open(static_cast<std::size_t>(row));
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
    return opened;
}
