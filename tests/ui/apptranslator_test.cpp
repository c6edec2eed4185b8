#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <memory>

#include "apptranslator.h"
#include "settingsdlg.h"
#include "widget.h"

namespace
{

// The reader's screen and the program's font: every button's text must fit in either language.
const QSize READER_SCREEN(600, 800);
constexpr int READER_FONT_PIXELS = 25;
constexpr int ENGLISH = 1;
constexpr int GRANDMASTER = 6;

// The language the environment of this run asks for: "ru", or "en" for the English texts.
QString expectedLanguage()
{
    return qEnvironmentVariable("CHECKERS_EXPECTED_LANGUAGE", QStringLiteral("en"));
}

} // namespace

// The texts a person reads, in the language LANG, LC_ALL and LC_MESSAGES ask for: CTest runs
// this test once per environment and names the language it expects.
class AppTranslatorTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void texts_data();
    void texts();
    void textsFitTheReadersScreen();
    void messageBoxButton();
    void alreadyOpenFits();
    void languageRule_data();
    void languageRule();

private:
    QString text(const char* widget) const;

    std::unique_ptr<Widget> m_window;
    bool m_russian = false;
};

void AppTranslatorTest::initTestCase()
{
    m_russian = expectedLanguage() == QLatin1String("ru");
    QCOMPARE(AppTranslator::install(*qApp), m_russian);
    QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/checkers.pdn"));
    QSettings settings(QCoreApplication::applicationDirPath() + QStringLiteral("/checkers.ini"),
                       QSettings::IniFormat);
    settings.clear();
    // The longest names: English rules, Grandmaster.
    settings.setValue(QStringLiteral("rules"), ENGLISH);
    settings.setValue(QStringLiteral("level"), GRANDMASTER);
    settings.sync();

    QFont font = QApplication::font();
    font.setPixelSize(READER_FONT_PIXELS);
    QApplication::setFont(font);
    m_window = std::make_unique<Widget>();
    m_window->resize(READER_SCREEN);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

QString AppTranslatorTest::text(const char* widget) const
{
    QObject* const child = m_window->findChild<QObject*>(QLatin1String(widget));
    return child ? child->property("text").toString() : QString();
}

void AppTranslatorTest::texts_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("russian");
    QTest::newRow("title") << "lblLevel"
                           << "Checkers"
                           << "Шашки";
    QTest::newRow("rule set") << "edGameType"
                              << "English"
                              << "Английские";
    QTest::newRow("level") << "edLevel"
                           << "Grandmaster"
                           << "Гроссмейстер";
    QTest::newRow("status") << "lblStatus"
                            << "Black to move (you)"
                            << "Ход чёрных (вы)";
    QTest::newRow("undo") << "btnUndo"
                          << "Undo"
                          << "Вернуть ход";
    QTest::newRow("hint") << "btnHint"
                          << "Hint"
                          << "Подсказка";
}

void AppTranslatorTest::texts()
{
    QFETCH(QString, widget);
    QFETCH(QString, english);
    QFETCH(QString, russian);
    QCOMPARE(text(widget.toLatin1().constData()), m_russian ? russian : english);
}

void AppTranslatorTest::textsFitTheReadersScreen()
{
    for (const char* name : {"edGameType", "edLevel"}) {
        const auto* field = m_window->findChild<QLineEdit*>(QLatin1String(name));
        QVERIFY2(field->fontMetrics().horizontalAdvance(field->text()) <
                     field->contentsRect().width(),
                 name);
    }
    QSettings settings(QCoreApplication::applicationDirPath() + QStringLiteral("/checkers.ini"),
                       QSettings::IniFormat);
    SettingsDlg dialog(m_window.get(), &settings);
    const auto* level = dialog.findChild<QComboBox*>(QStringLiteral("cbLevel"));
    QCOMPARE(level->itemText(GRANDMASTER),
             m_russian ? QStringLiteral("Гроссмейстер") : QStringLiteral("Grandmaster"));
    const auto* second = dialog.findChild<QComboBox*>(QStringLiteral("cbSecondPlayer"));
    QCOMPARE(second->itemText(0),
             m_russian ? QStringLiteral("Компьютер") : QStringLiteral("Computer"));

    for (const char* name :
         {"btnNew", "btnUndo", "btnSettings", "btnHint", "btnMoves", "btnClose"}) {
        const auto* button = m_window->findChild<QPushButton*>(QLatin1String(name));
        QVERIFY2(button->width() >= button->sizeHint().width(), name);
        QVERIFY2(m_window->rect().contains(button->geometry()), name);
    }
}

// The box that ends a game has no buttons of its own: the toolkit's own "OK" speaks the language
// too.
void AppTranslatorTest::messageBoxButton()
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("t"),
                    QMessageBox::NoButton);
    box.show();
    QCOMPARE(box.buttons().size(), 1);
    QCOMPARE(box.buttons().first()->text().remove(QLatin1Char('&')),
             m_russian ? QStringLiteral("ОК") : QStringLiteral("OK"));
}

// What a second copy in the same folder shows, in the language of the run, fits the screen.
void AppTranslatorTest::alreadyOpenFits()
{
    const QString title = QCoreApplication::translate("main", "Checkers");
    const QString text = QCoreApplication::translate("main", "The game is already open");
    QCOMPARE(title, m_russian ? QStringLiteral("Шашки") : QStringLiteral("Checkers"));
    QCOMPARE(text, m_russian ? QStringLiteral("Игра уже открыта")
                             : QStringLiteral("The game is already open"));
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::NoButton);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY2(box.width() <= READER_SCREEN.width(), qPrintable(QString::number(box.width())));
    QVERIFY(QFontMetrics(QApplication::font()).horizontalAdvance(text) < box.width());
}

void AppTranslatorTest::languageRule_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("all");
    QTest::addColumn<QString>("messages");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<bool>("russian");
    const QString ru = QStringLiteral("ru_RU.UTF-8");
    const QString en = QStringLiteral("en_US.UTF-8");
    QTest::newRow("nothing set") << "ru" << QString() << QString() << QString() << false;
    QTest::newRow("C over LANGUAGE") << "ru"
                                     << "C" << QString() << ru << false;
    QTest::newRow("C.UTF-8 over LANGUAGE") << "ru"
                                           << "C.UTF-8" << QString() << QString() << false;
    QTest::newRow("POSIX messages") << "ru" << QString() << "POSIX" << ru << false;
    QTest::newRow("LANGUAGE over LC_ALL") << "ru" << en << QString() << QString() << true;
    QTest::newRow("LANGUAGE list") << "de:en:ru" << ru << QString() << QString() << false;
    QTest::newRow("LANGUAGE of neither") << "de" << QString() << QString() << ru << true;
    QTest::newRow("LC_ALL over LANG") << QString() << en << QString() << ru << false;
    QTest::newRow("LC_MESSAGES over LANG") << QString() << QString() << "ru_RU@euro" << en << true;
}

void AppTranslatorTest::languageRule()
{
    QFETCH(QString, language);
    QFETCH(QString, all);
    QFETCH(QString, messages);
    QFETCH(QString, lang);
    QFETCH(bool, russian);
    QCOMPARE(AppTranslator::languageOf(language, all, messages, lang).language() ==
                 QLocale::Russian,
             russian);
}

QTEST_MAIN(AppTranslatorTest)
#include "apptranslator_test.moc"
