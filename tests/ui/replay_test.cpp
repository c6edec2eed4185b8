// Looking back at past games: the games list and its keys, a game opened and stepped through,
// the analysis marking a blunder with the better move, and Escape cancelling it.

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

#include "game/gamelist.h"
#include "game/pdn.h"
#include "gamesdlg.h"
#include "replaydlg.h"
#include "tests/support/readerlanguage.h"

namespace
{

// Deep enough to see a two-for-one shot, and the same on every machine.
constexpr Analyser::Limits FIXED_DEPTH{0, 10};
constexpr int ANALYSIS_WAIT_MS = 20000;
constexpr int GREY_LEVELS = 16;
constexpr int FRAME_WIDTH = 3;
constexpr int READER_WIDTH = 600;
constexpr int READER_FONT_PIXELS = 25;
constexpr int STATUS_LINES = 2;
constexpr int GAMES = 30;

// c3-b4 gives a man away: c5 takes it and nothing takes back; d2-e3 keeps it.
const char BLUNDER[] = "[GameType \"25\"]\n[FEN \"W:Wd2,h2,c3:Bc5,b6,d6\"]\n1. c3-b4 c5xa3 *";
// A game long enough that its analysis is still under way when Escape comes.
const char OPENING[] = "[GameType \"25\"]\n1. c3-d4 f6-g5 2. b2-c3 g7-f6 3. a1-b2 h8-g7 *";

GameRecord gameOf(const char* text)
{
    Pdn::ReadResult read = Pdn::read(text, Colour::White);
    return read.games.at(0).record;
}

// The grey level of a pixel, 0 (black) to 15 (white), as the panel shows it.
int greyLevel(const QImage& image, const QPoint& pixel)
{
    return qGray(image.pixel(pixel)) * GREY_LEVELS / 256;
}

// Counts the paints of a widget: the panel refreshes what is painted.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class ReplayTest : public QObject
{
    Q_OBJECT

private slots:
    void listKeysMoveTheFramedRow();
    void unreplayableGameSaysWhyAndStays();
    void emptyListSaysSo();
    void stepsStopAtTheEnds();
    void analysisMarksTheBlunder();
    void escapeCancelsTheAnalysisThenLeaves();
    void playFromHereGivesTheShownPosition();
    void textsFitTheScreen_data();
    void textsFitTheScreen();

private:
    // A games.pdn of GAMES games, the first one (listed last) broken by a move the rules refuse.
    std::unique_ptr<GamesDlg> gamesDialog(QTemporaryDir& dir);
};

std::unique_ptr<GamesDlg> ReplayTest::gamesDialog(QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("games.pdn"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return nullptr;
    file.write("[Date \"2026.01.01\"]\n[GameType \"25\"]\n1. c3-d4 c3-d4 *\n\n");
    for (int game = 1; game < GAMES; ++game)
        file.write(QByteArray(OPENING) + "\n\n");
    file.close();
    const std::string archive = QFile::encodeName(path).toStdString();
    auto dialog = std::make_unique<GamesDlg>(nullptr, GameList::build(archive, ""), archive);
    dialog->resize(READER_WIDTH, 800);
    dialog->show();
    return dialog;
}

void ReplayTest::listKeysMoveTheFramedRow()
{
    QTemporaryDir dir;
    std::unique_ptr<GamesDlg> dialog = gamesDialog(dir);
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto* list = dialog->findChild<QListView*>(QStringLiteral("lstGames"));
    QVERIFY(list->hasFocus());
    const int page = dialog->rowsPerPage();
    QVERIFY(page > 1 && page < GAMES);
    // Every row in view is whole.
    QCOMPARE(list->viewport()->height() % list->sizeHintForRow(0), 0);

    struct Step {
        Qt::Key key;
        int row;
    };
    const Step steps[] = {
        {Qt::Key_Up, 0},          {Qt::Key_Down, 1},         {Qt::Key_PageDown, 1 + page},
        {Qt::Key_End, GAMES - 1}, {Qt::Key_Down, GAMES - 1}, {Qt::Key_PageUp, GAMES - 1 - page},
        {Qt::Key_Home, 0}};
    for (const Step& step : steps) {
        QTest::keyClick(list, step.key);
        QCOMPARE(dialog->currentRow(), step.row);
    }

    // The focused row is framed in black at 16 greys; the next one is not.
    QTest::keyClick(list, Qt::Key_Down);
    const QImage image = list->viewport()->grab().toImage();
    for (int row : {1, 2}) {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        const QPoint edge(rect.left() + FRAME_WIDTH / 2, rect.center().y());
        const QPoint inside(rect.left() + FRAME_WIDTH + 1, rect.center().y());
        QCOMPARE(greyLevel(image, edge), row == 1 ? 0 : GREY_LEVELS - 1);
        QCOMPARE(greyLevel(image, inside), GREY_LEVELS - 1);
    }
}

void ReplayTest::unreplayableGameSaysWhyAndStays()
{
    QTemporaryDir dir;
    std::unique_ptr<GamesDlg> dialog = gamesDialog(dir);
    QVERIFY(dialog);
    auto* list = dialog->findChild<QListView*>(QStringLiteral("lstGames"));
    // The broken game is the oldest, listed last.
    QTest::keyClick(list, Qt::Key_End);
    QVERIFY(list->model()->index(GAMES - 1, 0).data().toString().contains("Cannot be replayed"));
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->chosen());
    QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("lblStatus"))
                ->text()
                .startsWith("This game cannot be replayed: "));

    QTest::keyClick(list, Qt::Key_Home);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QVERIFY(dialog->chosen());
    QCOMPARE(dialog->chosen()->record.moves().size(), std::size_t(6));
}

// No games.pdn yet: the list says so, and its keys do nothing.
void ReplayTest::emptyListSaysSo()
{
    QTemporaryDir dir;
    const std::string missing = QFile::encodeName(dir.filePath("games.pdn")).toStdString();
    GamesDlg dialog(nullptr, GameList::build(missing, ""), missing);
    dialog.show();
    auto* list = dialog.findChild<QListView*>(QStringLiteral("lstGames"));
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageUp, Qt::Key_Return})
        QTest::keyClick(list, key);
    QCOMPARE(dialog.currentRow(), -1);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
             QStringLiteral("No games yet: every game played is kept here"));
}

void ReplayTest::stepsStopAtTheEnds()
{
    ReplayDlg dialog(nullptr, gameOf(BLUNDER), 0, {});
    dialog.show();
    struct Step {
        Qt::Key key;
        const char* status;
    };
    const Step steps[] = {{Qt::Key_Left, "Move 0 of 2"},
                          {Qt::Key_Right, "Move 1 of 2: 1. c3-b4"},
                          {Qt::Key_Right, "Move 2 of 2: 1... c5xa3"},
                          {Qt::Key_Right, "Move 2 of 2: 1... c5xa3"},
                          {Qt::Key_Home, "Move 0 of 2"},
                          {Qt::Key_End, "Move 2 of 2: 1... c5xa3"}};
    for (const Step& step : steps) {
        QTest::keyClick(&dialog, step.key);
        QCOMPARE(dialog.statusText(), QString(step.status));
    }
    // The last-move marks follow the shown move.
    QTest::keyClick(&dialog, Qt::Key_Left);
    const GameMove* last = dialog.replay().lastMove();
    QVERIFY(last);
    QCOMPARE(dialog.findChild<ReplayView*>()->scene().lastTo, last->to);
    QTest::keyClick(&dialog, Qt::Key_Home);
    QCOMPARE(dialog.findChild<ReplayView*>()->scene().lastTo, -1);
}

void ReplayTest::analysisMarksTheBlunder()
{
    ReplayDlg dialog(nullptr, gameOf(BLUNDER), 0, {});
    dialog.setAnalysisLimits(FIXED_DEPTH);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QApplication::processEvents();
    PaintCounter board(dialog.findChild<ReplayView*>());
    QTest::keyClick(&dialog, Qt::Key_A);
    const Analysis* analysis = dialog.replay().analysis();
    QVERIFY(analysis);
    QVERIFY(dialog.statusText().endsWith(
        QStringLiteral("\nAnalysing 1 of %1").arg(qulonglong(analysis->total()))));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.statusText().endsWith("\nAnalysis done"), ANALYSIS_WAIT_MS);
    // The progress changed its line alone: the board was not painted again.
    QApplication::processEvents();
    QCOMPARE(board.paints, 0);

    QTest::keyClick(&dialog, Qt::Key_N);
    QCOMPARE(dialog.statusText(),
             QString::fromUtf8("Move 1 of 2: 1. c3-b4?? — better d2-e3\nAnalysis done"));
    // No mark after it; from the end, Shift+N comes back to it.
    QTest::keyClick(&dialog, Qt::Key_N);
    QCOMPARE(dialog.replay().ply(), std::size_t(1));
    QTest::keyClick(&dialog, Qt::Key_End);
    QTest::keyClick(&dialog, Qt::Key_N, Qt::ShiftModifier);
    QCOMPARE(dialog.replay().ply(), std::size_t(1));
    QVERIFY(QString::fromStdString(dialog.replay().rows().at(0)).startsWith("1. c3-b4??"));
}

void ReplayTest::escapeCancelsTheAnalysisThenLeaves()
{
    ReplayDlg dialog(nullptr, gameOf(OPENING), 3, {});
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_A);
    QVERIFY(dialog.analysing());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.analysing());
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.statusText().endsWith("\nAnalysis cancelled"));
    // Still usable: the steps go on.
    QTest::keyClick(&dialog, Qt::Key_Right);
    QCOMPARE(dialog.replay().ply(), std::size_t(4));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void ReplayTest::playFromHereGivesTheShownPosition()
{
    ReplayDlg dialog(nullptr, gameOf(OPENING), 1, {});
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_P);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const std::optional<GameRecord>& game = dialog.playFromHere();
    QVERIFY(game);
    // Black is to move after 1. c3-d4; the person takes Black, at the bottom.
    QCOMPARE(game->side1Colour(), Colour::Black);
    QCOMPARE(game->sideToMove(), 1);
    QVERIFY(game->moves().empty());
}

void ReplayTest::textsFitTheScreen_data()
{
    readerlanguage::addRows();
}

// The longest status of a replay: a marked move with the better one, over the progress.
void ReplayTest::textsFitTheScreen()
{
    QFETCH(bool, russian);
    readerlanguage::Texts texts(russian);
    QVERIFY(texts.loaded());
    Replay::Status status;
    status.ply = 199;
    status.plies = 200;
    status.moveNumber = 100;
    status.reply = true;
    status.move = "c3xe5xg3xe1";
    status.mark = "??";
    status.better = "h2xf4xd6xb8";
    const QString text = ReplayDlg::moveText(status);
    const QString progress = ReplayDlg::tr("Analysing %1 of %2").arg(200).arg(201);
    texts.uninstall();
    QVERIFY(text.contains(QString::fromUtf8(russian ? "лучше" : "better")));

    QFont font = QApplication::font();
    font.setPixelSize(READER_FONT_PIXELS);
    const QFontMetrics metrics(font);
    // The move's status wraps within the status line's two lines; the progress has one.
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, READER_WIDTH, 0),
                                               Qt::AlignCenter | Qt::TextWordWrap, text);
    QVERIFY2(wrapped.width() <= READER_WIDTH, qPrintable(text));
    QString lines = QStringLiteral("X");
    for (int line = 1; line < STATUS_LINES; ++line)
        lines += QStringLiteral("\nX");
    const QRect twoLines = metrics.boundingRect(QRect(0, 0, READER_WIDTH, 0),
                                                Qt::AlignCenter | Qt::TextWordWrap, lines);
    QVERIFY2(wrapped.height() <= twoLines.height(), qPrintable(text));
    QVERIFY2(metrics.horizontalAdvance(progress) <= READER_WIDTH, qPrintable(progress));
}

QTEST_MAIN(ReplayTest)
#include "replay_test.moc"
