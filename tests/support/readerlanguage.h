#pragma once

#include <QCoreApplication>
#include <QString>
#include <QTest>
#include <QTranslator>

// The languages every text must fit the reader's screen in, for the widget tests that measure
// them: the rows of a data table, and the Russian texts installed while a row runs.
namespace readerlanguage
{

// The rows "English" and "Russian" of a column `russian`.
inline void addRows()
{
    QTest::addColumn<bool>("russian");
    QTest::newRow("English") << false;
    QTest::newRow("Russian") << true;
}

// Installs the Russian translation beside the test for its lifetime when `russian`.
class Texts
{
public:
    explicit Texts(bool russian)
    {
        m_loaded = !russian || m_translator.load(QStringLiteral("checkers_ru"),
                                                 QCoreApplication::applicationDirPath());
        if (russian && m_loaded)
            QCoreApplication::installTranslator(&m_translator);
    }
    ~Texts() { uninstall(); }
    Texts(const Texts&) = delete;
    Texts& operator=(const Texts&) = delete;

    // Back to English before the end of the scope; harmless when already so.
    void uninstall() { QCoreApplication::removeTranslator(&m_translator); }
    // The texts asked for are there (English always is).
    bool loaded() const { return m_loaded; }

private:
    QTranslator m_translator;
    bool m_loaded = false;
};

} // namespace readerlanguage
