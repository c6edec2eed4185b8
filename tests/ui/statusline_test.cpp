// Every text of the status line and of the game-over box, in English and in Russian, fits the
// reader's 600-pixel screen at the program's 25-pixel font: the status line in its two lines,
// each line of the box wrapped within the screen. The texts are gathered by asking StatusLine for
// every state, so a text added later is measured too.
#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QSet>
#include <QTest>

#include "statusline.h"
#include "tests/support/readerlanguage.h"

namespace
{

constexpr int FONT_PIXELS = 25;
constexpr int TEXT_WIDTH = 584; // the screen less the window's margins
// The longest move a hint names: a king's capture of eight pieces with every landing listed.
const char LONGEST_HINT[] = "a1xc3xe5xg7xh6xf4xd2xb4xd6";

using State = StatusLine::State;

// Every state the status line can be asked about, each field through all its values.
QList<State> allStates()
{
    QList<State> states{State{}};
    const auto vary = [&states](auto set, auto values) {
        QList<State> grown;
        for (const State& state : states) {
            for (const auto& value : values) {
                State next = state;
                set(next, value);
                grown << next;
            }
        }
        states = grown;
    };
    using Player = StatusLine::Player;
    using Ending = StatusLine::Ending;
    const QList<Colour> colours{Colour::White, Colour::Black};
    const QList<Player> players{Player::PERSON, Player::COMPUTER, Player::SECOND_PERSON};
    const QList<bool> flags{false, true};
    vary([](State& s, Colour c) { s.toMove = c; }, colours);
    vary([](State& s, Player p) { s.player = p; }, players);
    vary([](State& s, bool b) { s.replying = b; }, flags);
    vary([](State& s, StatusLine::Refusal r) { s.refusal = r; },
         QList<StatusLine::Refusal>{
             StatusLine::Refusal::NONE, StatusLine::Refusal::CAPTURE_COMPULSORY,
             StatusLine::Refusal::ILLEGAL, StatusLine::Refusal::PIECE_CANNOT_MOVE});
    vary([](State& s, const QString& h) { s.hint = h; },
         QStringList{QString(), QLatin1String(LONGEST_HINT)});
    vary([](State& s, bool b) { s.unsaved = b; }, flags);
    vary([](State& s, Ending e) { s.ending = e; },
         QList<Ending>{Ending::NONE, Ending::WIN, Ending::NOBODY_CAN_MOVE, Ending::DRAW});
    vary([](State& s, Colour c) { s.winner = c; }, colours);
    vary([](State& s, Player p) { s.winnerPlayer = p; }, players);
    vary([](State& s, bool b) { s.loserHasNoPieces = b; }, flags);
    vary([](State& s, bool b) { s.twoPeople = b; }, flags);
    vary([](State& s, EndReason r) { s.drawReason = r; },
         QList<EndReason>{EndReason::NONE, EndReason::NO_MOVES, EndReason::REPETITION,
                          EndReason::KINGS_ONLY, EndReason::THREE_KINGS, EndReason::FORTY_MOVES,
                          EndReason::BALANCE_30, EndReason::BALANCE_60});
    return states;
}

} // namespace

class StatusLineTest : public QObject
{
    Q_OBJECT

private slots:
    void textsFitTheScreen_data();
    void textsFitTheScreen();
};

void StatusLineTest::textsFitTheScreen_data()
{
    readerlanguage::addRows();
}

void StatusLineTest::textsFitTheScreen()
{
    QFETCH(bool, russian);
    readerlanguage::Texts texts(russian);
    QVERIFY(texts.loaded());
    QSet<QString> statusTexts;
    QSet<QString> boxLines;
    for (const State& state : allStates()) {
        statusTexts << StatusLine::text(state);
        for (const QString& line : StatusLine::gameOverText(state).split(QLatin1Char('\n')))
            boxLines << line;
    }
    texts.uninstall();
    // The gathering reached the endings, the draws and the hint.
    QVERIFY(statusTexts.size() > 20);
    QVERIFY(boxLines.size() > 10);

    QFont font = QApplication::font();
    font.setPixelSize(FONT_PIXELS);
    const QFontMetrics metrics(font);
    const int statusHeight = StatusLine::height(metrics);
    for (const QString& text : statusTexts) {
        const QRect wrapped = metrics.boundingRect(QRect(0, 0, TEXT_WIDTH, 0),
                                                   Qt::AlignCenter | Qt::TextWordWrap, text);
        QVERIFY2(wrapped.width() <= TEXT_WIDTH, qPrintable(text));
        QVERIFY2(wrapped.height() <= statusHeight, qPrintable(text));
    }
    // The box wraps its lines as the status line does, within the same width.
    for (const QString& line : boxLines) {
        const QRect wrapped =
            metrics.boundingRect(QRect(0, 0, TEXT_WIDTH, 0), Qt::TextWordWrap, line);
        QVERIFY2(wrapped.width() <= TEXT_WIDTH, qPrintable(line));
    }
}

QTEST_MAIN(StatusLineTest)
#include "statusline_test.moc"
