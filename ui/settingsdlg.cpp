#include "settingsdlg.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QSettings>

#include <cstddef>

#include "settingskeys.h"
#include "tarqkeyeventfilter.h"
#include "textprovider.h"

namespace
{

// The dialog has no meta-object of its own, so its texts name their context, the form's.
const char CONTEXT[] = "SettingsDlg";
// Who moves first, named as the status line names the players: the person at the keys, then
// side 2, the computer or a second person.
const char FIRST_MOVE_YOU[] = QT_TRANSLATE_NOOP("SettingsDlg", "You");
const char FIRST_MOVE_COMPUTER[] = QT_TRANSLATE_NOOP("SettingsDlg", "Computer");
const char FIRST_MOVE_SECOND_PLAYER[] = QT_TRANSLATE_NOOP("SettingsDlg", "Second player");
constexpr int FIRST_MOVE_ENTRIES = 2;
constexpr int SIDE_2_ENTRY = 1;
constexpr int COMPUTER_ENTRY = 0; // of the second-player list; any other index is a person
const char* const SECOND_PLAYER_TEXTS[] = {QT_TRANSLATE_NOOP("SettingsDlg", "Computer"),
                                           QT_TRANSLATE_NOOP("SettingsDlg", "Human")};
// The list with the keyboard focus carries the 3-pixel black border that the main window's style
// gives the buttons, here too: the style's own thin tinted frame is lost in 16 grey levels.
const char FOCUS_STYLE[] = "QComboBox::focus { border: 3px solid black; }";

// Appends the texts textOf(0), textOf(1), ... up to the first null pointer.
void fill(QComboBox* list, const char* (*textOf)(unsigned int))
{
    for (unsigned int i = 0; const char* text = textOf(i); ++i)
        list->addItem(TextProvider::display(text));
}

template <std::size_t N> void fill(QComboBox* list, const char* const (&texts)[N])
{
    for (const char* text : texts)
        list->addItem(QCoreApplication::translate(CONTEXT, text));
}

} // namespace

SettingsDlg::SettingsDlg(QWidget* parent, QSettings* settings)
    : QDialog(parent), m_pSettings(settings)
{
    setupUi(this);

    fill(cbRules, &TextProvider::get_rules_text);
    showStored(cbRules, SettingsKeys::RULES);
    fill(cbLevel, &TextProvider::get_level_text);
    showStored(cbLevel, SettingsKeys::LEVEL);
    for (int i = 0; i < FIRST_MOVE_ENTRIES; ++i)
        cbFirstMove->addItem(QString());
    showStored(cbFirstMove, SettingsKeys::FIRST_MOVE);
    fill(cbSecondPlayer, SECOND_PLAYER_TEXTS);
    showStored(cbSecondPlayer, SettingsKeys::SECOND_PLAYER);
    nameFirstMovers();
    connect(cbSecondPlayer, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { nameFirstMovers(); });

    for (QComboBox* list : {cbRules, cbLevel, cbFirstMove, cbSecondPlayer})
        TarqKeyEventFilter::install(list);
    setStyleSheet(QLatin1String(FOCUS_STYLE));
}

void SettingsDlg::accept()
{
    store(SettingsKeys::RULES, cbRules);
    store(SettingsKeys::LEVEL, cbLevel);
    store(SettingsKeys::FIRST_MOVE, cbFirstMove);
    store(SettingsKeys::SECOND_PLAYER, cbSecondPlayer);
    QDialog::accept();
}

void SettingsDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        reject();
        break;
    case Qt::Key_Right:
        accept();
        break;
    default:
        QDialog::keyPressEvent(event);
        break;
    }
}

void SettingsDlg::nameFirstMovers()
{
    cbFirstMove->setItemText(0, QCoreApplication::translate(CONTEXT, FIRST_MOVE_YOU));
    const bool computer = cbSecondPlayer->currentIndex() == COMPUTER_ENTRY;
    cbFirstMove->setItemText(
        SIDE_2_ENTRY, QCoreApplication::translate(CONTEXT, computer ? FIRST_MOVE_COMPUTER
                                                                    : FIRST_MOVE_SECOND_PLAYER));
}

void SettingsDlg::showStored(QComboBox* list, const char* key) const
{
    list->setCurrentIndex(m_pSettings->value(QLatin1String(key), 0).toInt());
}

void SettingsDlg::store(const char* key, const QComboBox* list)
{
    m_pSettings->setValue(QLatin1String(key), list->currentIndex());
}
