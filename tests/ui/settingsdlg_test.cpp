#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "settingsdlg.h"

namespace
{

const char* const KEYS[] = {"rules", "level", "first_move", "second_player"};
const char* const LISTS[] = {"cbRules", "cbLevel", "cbFirstMove", "cbSecondPlayer"};
constexpr int KEY_COUNT = 4;

} // namespace

// The settings dialog on a settings file of its own: the lists and their texts, the stored
// values it shows, what accepting and cancelling write, and its Left and Right keys.
class SettingsDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsFormTexts();
    void listsHoldTheNames();
    void showsStoredValues_data();
    void showsStoredValues();
    void acceptWritesChoices();
    void acceptOnMissingFileWritesZeros();
    void okButtonAcceptsCancelButtonRejects();
    void leftAndRightKeys_data();
    void leftAndRightKeys();
    void keysOnListsMoveFocusAndOpen();
    void firstMoveNamesFollowTheSecondPlayer();

private:
    QComboBox* list(const char* name) const
    {
        return m_dialog->findChild<QComboBox*>(QLatin1String(name));
    }
    QString text(const char* name) const
    {
        return m_dialog->findChild<QWidget*>(QLatin1String(name))->property("text").toString();
    }
    void openDialog() { m_dialog = std::make_unique<SettingsDlg>(nullptr, m_settings.get()); }
    void showActive()
    {
        m_dialog->show();
        m_dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    // The value under `key` as it reaches the file.
    QVariant stored(const char* key) const
    {
        m_settings->sync();
        return QSettings(m_settings->fileName(), QSettings::IniFormat).value(QLatin1String(key));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<SettingsDlg> m_dialog;
};

void SettingsDlgTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settings = std::make_unique<QSettings>(m_dir->filePath(QStringLiteral("checkers.ini")),
                                             QSettings::IniFormat);
}

void SettingsDlgTest::cleanup()
{
    m_dialog.reset();
    m_settings.reset();
    m_dir.reset();
}

void SettingsDlgTest::showsFormTexts()
{
    openDialog();
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Settings"));
    QCOMPARE(text("label"), QStringLiteral("Rules:"));
    QCOMPARE(text("label_2"), QStringLiteral("Level:"));
    QCOMPARE(text("label_3"), QStringLiteral("First move:"));
    QCOMPARE(text("label_4"), QStringLiteral("Second player:"));
    QCOMPARE(text("btnOk"), QStringLiteral("Ok"));
    QCOMPARE(text("btnCancel"), QStringLiteral("Cancel"));
}

void SettingsDlgTest::listsHoldTheNames()
{
    openDialog();
    const QStringList expected[KEY_COUNT] = {
        {"Russian", "English"},
        {"Beginner", "Novice", "Average", "Good", "Expert", "Master", "Grandmaster"},
        {"You", "Computer"},
        {"Computer", "Human"},
    };
    for (int i = 0; i < KEY_COUNT; ++i) {
        QComboBox* box = list(LISTS[i]);
        QStringList items;
        for (int row = 0; row < box->count(); ++row)
            items << box->itemText(row);
        QCOMPARE(items, expected[i]);
        // Missing keys show the first entry.
        QCOMPARE(box->currentIndex(), 0);
    }
}

void SettingsDlgTest::showsStoredValues_data()
{
    QTest::addColumn<QVariantList>("values"); // rules, level, first_move, second_player
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("all first") << QVariantList{0, 0, 0, 0}
                               << QStringList{"Russian", "Beginner", "You", "Computer"};
    QTest::newRow("all last") << QVariantList{1, 6, 1, 1}
                              << QStringList{"English", "Grandmaster", "Second player", "Human"};
    QTest::newRow("middle level") << QVariantList{0, 3, 1, 0}
                                  << QStringList{"Russian", "Good", "Computer", "Computer"};
    QTest::newRow("not numbers") << QVariantList{"x", "abc", "?", "no"}
                                 << QStringList{"Russian", "Beginner", "You", "Computer"};
    QTest::newRow("outside the lists") << QVariantList{2, 9, -1, 7} << QStringList{"", "", "", ""};
}

void SettingsDlgTest::showsStoredValues()
{
    QFETCH(QVariantList, values);
    QFETCH(QStringList, shown);
    for (int i = 0; i < KEY_COUNT; ++i)
        m_settings->setValue(QLatin1String(KEYS[i]), values[i]);
    openDialog();
    for (int i = 0; i < KEY_COUNT; ++i)
        QCOMPARE(list(LISTS[i])->currentText(), shown[i]);
}

void SettingsDlgTest::acceptWritesChoices()
{
    m_settings->setValue(QStringLiteral("level"), 9);
    openDialog();
    QCOMPARE(list("cbLevel")->currentIndex(), -1);
    list("cbRules")->setCurrentIndex(1);
    list("cbFirstMove")->setCurrentIndex(1);
    m_dialog->accept();
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    // The level list had no entry: -1 is stored for it.
    const int expected[KEY_COUNT] = {1, -1, 1, 0};
    for (int i = 0; i < KEY_COUNT; ++i)
        QCOMPARE(stored(KEYS[i]).toInt(), expected[i]);
}

void SettingsDlgTest::acceptOnMissingFileWritesZeros()
{
    openDialog();
    m_dialog->accept();
    for (const char* key : KEYS) {
        QVERIFY2(stored(key).isValid(), key);
        QCOMPARE(stored(key).toInt(), 0);
    }
}

void SettingsDlgTest::okButtonAcceptsCancelButtonRejects()
{
    openDialog();
    list("cbLevel")->setCurrentIndex(4);
    m_dialog->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QVERIFY(!stored("level").isValid());

    openDialog();
    list("cbLevel")->setCurrentIndex(4);
    m_dialog->findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(stored("level").toInt(), 4);
}

void SettingsDlgTest::leftAndRightKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("toList"); // sent to the focused list rather than the dialog
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("writes");
    QTest::newRow("Left on dialog")
        << int(Qt::Key_Left) << false << int(QDialog::Rejected) << false;
    QTest::newRow("Right on dialog")
        << int(Qt::Key_Right) << false << int(QDialog::Accepted) << true;
    QTest::newRow("Left on list") << int(Qt::Key_Left) << true << int(QDialog::Rejected) << false;
    QTest::newRow("Right on list") << int(Qt::Key_Right) << true << int(QDialog::Accepted) << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << true << int(QDialog::Rejected) << false;
}

void SettingsDlgTest::leftAndRightKeys()
{
    QFETCH(int, key);
    QFETCH(bool, toList);
    QFETCH(int, result);
    QFETCH(bool, writes);
    openDialog();
    showActive();
    list("cbRules")->setFocus();
    list("cbRules")->setCurrentIndex(1);
    QTest::keyClick(toList ? static_cast<QWidget*>(list("cbRules")) : m_dialog.get(), Qt::Key(key));
    QTRY_VERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), result);
    QCOMPARE(stored("rules").isValid(), writes);
    if (writes)
        QCOMPARE(stored("rules").toInt(), 1);
}

void SettingsDlgTest::keysOnListsMoveFocusAndOpen()
{
    openDialog();
    showActive();
    list("cbRules")->setFocus();
    QVERIFY(list("cbRules")->hasFocus());

    // Down and Up leave a list instead of changing its entry.
    QTest::keyClick(list("cbRules"), Qt::Key_Down);
    QTRY_VERIFY(list("cbLevel")->hasFocus());
    QCOMPARE(list("cbRules")->currentIndex(), 0);
    QTest::keyClick(list("cbLevel"), Qt::Key_Down);
    QTRY_VERIFY(list("cbFirstMove")->hasFocus());
    QTest::keyClick(list("cbFirstMove"), Qt::Key_Up);
    QTRY_VERIFY(list("cbLevel")->hasFocus());
    QCOMPARE(list("cbLevel")->currentIndex(), 0);

    // Return opens the list.
    QTest::keyClick(list("cbLevel"), Qt::Key_Return);
    QTRY_VERIFY(list("cbLevel")->view()->isVisible());
    list("cbLevel")->hidePopup();
}

// The second entry of "First move" names who plays side 2, as the status line does, and follows
// the second-player list as it changes; the choice itself stays.
void SettingsDlgTest::firstMoveNamesFollowTheSecondPlayer()
{
    m_settings->setValue(QStringLiteral("first_move"), 1);
    openDialog();
    const auto names = [&] {
        return QStringList{list("cbFirstMove")->itemText(0), list("cbFirstMove")->itemText(1)};
    };
    QCOMPARE(names(), (QStringList{"You", "Computer"}));
    list("cbSecondPlayer")->setCurrentIndex(1);
    QCOMPARE(names(), (QStringList{"You", "Second player"}));
    QCOMPARE(list("cbFirstMove")->currentText(), QStringLiteral("Second player"));
    list("cbSecondPlayer")->setCurrentIndex(0);
    QCOMPARE(names(), (QStringList{"You", "Computer"}));
    QCOMPARE(list("cbFirstMove")->currentIndex(), 1);
}

QTEST_MAIN(SettingsDlgTest)
#include "settingsdlg_test.moc"
