// Solving on the reader: a puzzle opened, a wrong move refuted and taken back, the solution
// played to "Solved" with the progress saved, and the texts fitting the screen.

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "boardpainter.h"
#include "puzzledlg.h"
#include "puzzleview.h"
#include "tests/support/readerlanguage.h"

namespace
{

constexpr int READER_WIDTH = 600;
constexpr int READER_FONT_PIXELS = 25;
constexpr int REPLY_WAIT_MS = 20000;
// What a button and the layout take beside the text, both sides together.
constexpr int BUTTON_PADDING = 40;

// b4-c5 leaves Black's man a single move, a5-b4, and c5xa3 takes Black's last piece.
const char SHOT[] = "[Event \"Puzzle 1\"]\n[GameType \"25\"]\n[SetUp \"1\"]\n"
                    "[FEN \"W:Wh2,b4,d4:Ba5\"]\n[Goal \"win\"]\n[Plies \"3\"]\n"
                    "[Difficulty \"easy\"]\n\n1. b4-c5 a5-b4 2. c5xa3 1-0\n";

QPoint cellOf(int square)
{
    const int row = square / 4;
    return QPoint(2 * (square % 4) + (row % 2 == 0 ? 1 : 0), row);
}

} // namespace

class PuzzleTest : public QObject
{
    Q_OBJECT

private slots:
    void wrongMoveIsTakenBackAndTheSolutionSolves();
    void hintShowsTheMoveAndSkipGoesOn();
    void textsFitTheScreen_data();
    void textsFitTheScreen();

private:
    // A book of the puzzle SHOT in `dir`, and a person's own problem after it.
    static void writeBooks(const QTemporaryDir& dir);
    // Enters the legal move written `text` with two touches of the pen.
    static void touch(PuzzleDlg& dialog, const char* text);
};

void PuzzleTest::touch(PuzzleDlg& dialog, const char* text)
{
    auto* view = dialog.findChild<PuzzleView*>();
    const GameRecord& game = dialog.shown();
    for (const GameMove& move : game.legalMoves().all()) {
        if (game.notation().moveText(move, false) != text)
            continue;
        for (int square : {move.from, move.to})
            QTest::mouseClick(view, Qt::LeftButton, {},
                              BoardPainter::rectFromPos(view->size(), cellOf(square)).center());
        return;
    }
    QFAIL(text);
}

void PuzzleTest::writeBooks(const QTemporaryDir& dir)
{
    QFile book(dir.filePath(QStringLiteral("russian.pdn")));
    QVERIFY(book.open(QIODevice::WriteOnly));
    book.write(SHOT);
    book.close();
    QFile own(dir.filePath(QStringLiteral("mine.pdn")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("[GameType \"25\"]\n[SetUp \"1\"]\n[FEN \"B:Wa1:Bh8\"]\n\n*\n");
}

void PuzzleTest::hintShowsTheMoveAndSkipGoesOn()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeBooks(dir);
    const std::string progress = dir.filePath(QStringLiteral("puzzles.progress")).toStdString();
    PuzzleDlg dialog(nullptr, 25, dir.path().toStdString(), progress, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* view = dialog.findChild<PuzzleView*>();
    QTest::keyClick(view, Qt::Key_H);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.statusText().contains(QStringLiteral("\nHint: b4-c5\n")),
                             REPLY_WAIT_MS);
    QVERIFY(dialog.shown().moves().empty()); // shown, not played
    for (const GameMove& move : dialog.shown().legalMoves().all()) {
        if (dialog.shown().notation().moveText(move, false) == "b4-c5")
            QCOMPARE(view->scene().destinations, std::vector<int>{move.to});
    }
    QTest::keyClick(view, Qt::Key_S);
    QVERIFY2(
        dialog.statusText().startsWith(QStringLiteral("Black to play and win\nPuzzle 2 of 2, ")),
        qPrintable(dialog.statusText()));
    QVERIFY(dialog.statusText().endsWith(QStringLiteral("Solved 0, skipped 1")));
    QFile saved(QString::fromStdString(progress));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("skipped 25 W:Wh2,b4,d4:Ba5"));
}

void PuzzleTest::wrongMoveIsTakenBackAndTheSolutionSolves()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeBooks(dir);
    const std::string progress = dir.filePath(QStringLiteral("puzzles.progress")).toStdString();
    PuzzleDlg dialog(nullptr, 25, dir.path().toStdString(), progress, {});
    dialog.resize(READER_WIDTH, 800);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.statusText(),
             QStringLiteral("White to play and win\nPuzzle 1 of 2, easy\nSolved 0, skipped 0"));

    touch(dialog, "h2-g3");
    QCOMPARE(dialog.shown().moves().size(), std::size_t{1}); // shown at once
    QTRY_VERIFY_WITH_TIMEOUT(dialog.statusText().contains(QStringLiteral("Not the solution")),
                             REPLY_WAIT_MS);
    QCOMPARE(dialog.shown().moves().size(), std::size_t{2}); // the refutation
    QTRY_VERIFY(dialog.shown().moves().empty());

    touch(dialog, "b4-c5");
    QTRY_COMPARE_WITH_TIMEOUT(dialog.shown().moves().size(), std::size_t{2}, REPLY_WAIT_MS);
    QVERIFY(!dialog.thinking());
    QVERIFY(dialog.statusText().contains(QStringLiteral("\nPuzzle 1 of 2, easy\n")));
    touch(dialog, "c5xa3");
    QTRY_VERIFY_WITH_TIMEOUT(dialog.statusText().contains(QStringLiteral("\nSolved\n")),
                             REPLY_WAIT_MS);
    QVERIFY(dialog.statusText().endsWith(QStringLiteral("Solved 1, skipped 0")));
    QFile saved(QString::fromStdString(progress));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("solved 25 W:Wh2,b4,d4:Ba5"));

    QTest::keyClick(dialog.findChild<PuzzleView*>(), Qt::Key_Return);
    QVERIFY(
        dialog.statusText().startsWith(QStringLiteral("Black to play and win\nPuzzle 2 of 2, ")));
}

void PuzzleTest::textsFitTheScreen_data()
{
    readerlanguage::addRows();
}

// Every line the dialog shows, with its widest numbers, fits the reader's screen at its font.
void PuzzleTest::textsFitTheScreen()
{
    QFETCH(bool, russian);
    readerlanguage::Texts texts(russian);
    QVERIFY(texts.loaded());
    QFont font = QApplication::font();
    font.setPixelSize(READER_FONT_PIXELS);
    const QFontMetrics metrics(font);
    const auto tr = [](const char* text) { return QCoreApplication::translate("PuzzleDlg", text); };
    const QString lines[] = {
        tr("White to play and win"),
        tr("Black to play and win"),
        tr("Puzzle %1 of %2, %3").arg(5000).arg(5000).arg(tr("medium")),
        tr("Solved %1, skipped %2").arg(5000).arg(5000),
        tr("Not the solution"),
        tr("Solved"),
        tr("Return: the next puzzle"),
        tr("Thinking..."),
        tr("Hint: %1").arg(QStringLiteral("a1xc3xe5xg7xe5xc3xa1xc3xe5")),
        tr("No puzzles for this rule set"),
        tr("Every puzzle is solved"),
        tr("The progress could not be saved"),
        QCoreApplication::translate("PuzzleDlg", "%n puzzle file(s) could not be read", nullptr,
                                    100),
    };
    const QString buttons[] = {tr("Hint"), tr("Skip"), tr("Back")};
    texts.uninstall();
    // Three buttons share a row, each with its frame and padding.
    for (const QString& button : buttons)
        QVERIFY2(metrics.horizontalAdvance(button) < READER_WIDTH / 3 - BUTTON_PADDING,
                 qPrintable(button));
    for (const QString& line : lines) {
        QVERIFY2(!russian || !line.contains(QLatin1String("puzzle")), qPrintable(line));
        QVERIFY2(metrics.horizontalAdvance(line) < READER_WIDTH, qPrintable(line));
    }
}

QTEST_MAIN(PuzzleTest)
#include "puzzle_test.moc"
