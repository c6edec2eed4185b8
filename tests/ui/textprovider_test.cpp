#include <QTest>

#include "textprovider.h"

// The display names of the rule sets and levels, and the end of each table.
class TextProviderTest : public QObject
{
    Q_OBJECT

private slots:
    void rulesTexts_data();
    void rulesTexts();
    void levelTexts_data();
    void levelTexts();
};

void TextProviderTest::rulesTexts_data()
{
    QTest::addColumn<uint>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0u << "Russian";
    QTest::newRow("1") << 1u << "English";
    QTest::newRow("past the end") << 2u << QString();
    QTest::newRow("far past the end") << 1000u << QString();
    QTest::newRow("-1 as unsigned") << uint(-1) << QString();
}

void TextProviderTest::rulesTexts()
{
    QFETCH(uint, index);
    QFETCH(QString, text);
    const char* found = TextProvider::get_rules_text(index);
    QCOMPARE(found == nullptr, text.isNull());
    if (found)
        QCOMPARE(QString::fromLatin1(found), text);
}

void TextProviderTest::levelTexts_data()
{
    QTest::addColumn<uint>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0u << "Beginner";
    QTest::newRow("1") << 1u << "Novice";
    QTest::newRow("2") << 2u << "Average";
    QTest::newRow("3") << 3u << "Good";
    QTest::newRow("4") << 4u << "Expert";
    QTest::newRow("5") << 5u << "Master";
    QTest::newRow("past the end") << 6u << QString();
    QTest::newRow("-1 as unsigned") << uint(-1) << QString();
}

void TextProviderTest::levelTexts()
{
    QFETCH(uint, index);
    QFETCH(QString, text);
    const char* found = TextProvider::get_level_text(index);
    QCOMPARE(found == nullptr, text.isNull());
    if (found)
        QCOMPARE(QString::fromLatin1(found), text);
}

QTEST_GUILESS_MAIN(TextProviderTest)
#include "textprovider_test.moc"
