#include <QTest>

#include "textprovider.h"

// The display names of the rule sets and levels, and the end of each table.
class TextProviderTest : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
};

void TextProviderTest::texts_data()
{
    QTest::addColumn<bool>("rules"); // the rule-set table, else the level table
    QTest::addColumn<uint>("index");
    QTest::addColumn<QString>("text"); // null: no entry

    const QString none;
    QTest::newRow("rules 0") << true << 0u << "Russian";
    QTest::newRow("rules 1") << true << 1u << "English";
    QTest::newRow("rules 2") << true << 2u << none;
    QTest::newRow("rules 1000") << true << 1000u << none;
    QTest::newRow("rules -1 as unsigned") << true << uint(-1) << none;
    QTest::newRow("level 0") << false << 0u << "Beginner";
    QTest::newRow("level 1") << false << 1u << "Novice";
    QTest::newRow("level 2") << false << 2u << "Average";
    QTest::newRow("level 3") << false << 3u << "Good";
    QTest::newRow("level 4") << false << 4u << "Expert";
    QTest::newRow("level 5") << false << 5u << "Master";
    QTest::newRow("level 6") << false << 6u << "Grandmaster";
    QTest::newRow("level 7") << false << 7u << none;
    QTest::newRow("level -1 as unsigned") << false << uint(-1) << none;
}

void TextProviderTest::texts()
{
    QFETCH(bool, rules);
    QFETCH(uint, index);
    QFETCH(QString, text);
    const char* found =
        rules ? TextProvider::get_rules_text(index) : TextProvider::get_level_text(index);
    QCOMPARE(found == nullptr, text.isNull());
    if (found)
        QCOMPARE(QString::fromLatin1(found), text);
}

QTEST_GUILESS_MAIN(TextProviderTest)
#include "textprovider_test.moc"
