#include "replaydlg.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include <string>
#include <utility>

#include "analysisrunner.h"
#include "movesdlg.h"

namespace
{

// As the main window's: the status line keeps two lines' height, so that the board never moves;
// the analysis has a line of its own below it.
constexpr int STATUS_LINES = 2;
constexpr int SCREEN_WIDTH = 600;
const char STYLE[] = "QDialog { background: white; }";

// The height of the status line's lines, measured as a label lays out wrapped text across the
// screen, which may space lines apart more than the font's line spacing says.
int statusHeight(const QFontMetrics& metrics)
{
    QString lines = QStringLiteral("X");
    for (int line = 1; line < STATUS_LINES; ++line)
        lines += QStringLiteral("\nX");
    return metrics
        .boundingRect(QRect(0, 0, SCREEN_WIDTH, 0), Qt::AlignCenter | Qt::TextWordWrap, lines)
        .height();
}

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

ReplayDlg::ReplayDlg(QWidget* parent, GameRecord game, std::size_t ply,
                     const ReplayView::Pieces& pieces)
    : QDialog(parent), m_replay(std::move(game), ply)
{
    setWindowTitle(tr("Replay"));
    setStyleSheet(QLatin1String(STYLE));
    m_view = new ReplayView(this, m_replay, pieces);
    m_view->setMinimumSize(100, 100);
    m_status = new QLabel(this);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setWordWrap(true);
    m_status->setFixedHeight(statusHeight(m_status->fontMetrics()) + 2 * m_status->margin());
    m_progressLine = new QLabel(this);
    m_progressLine->setAlignment(Qt::AlignCenter);
    m_progressLine->setFixedHeight(m_progressLine->fontMetrics().height());

    m_analyse = new QPushButton(tr("Analyse"), this);
    auto* play = new QPushButton(tr("Play from here"), this);
    auto* moves = new QPushButton(tr("Moves"), this);
    auto* back = new QPushButton(tr("Back"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_analyse, play, moves, back}) {
        // The keys act on the replay; the buttons are there for the pen.
        button->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(button);
    }
    connect(m_analyse, &QPushButton::clicked, this, &ReplayDlg::onAnalyse);
    connect(play, &QPushButton::clicked, this, &ReplayDlg::onPlayFromHere);
    connect(moves, &QPushButton::clicked, this, &ReplayDlg::onMoves);
    connect(back, &QPushButton::clicked, this, &ReplayDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_progressLine);
    layout->addLayout(buttons);

    m_runner = new AnalysisRunner(this);
    connect(m_runner, &AnalysisRunner::found, this, &ReplayDlg::onFound);

    m_view->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    setFocus(Qt::OtherFocusReason);
    if (parent)
        setGeometry(parent->window()->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
    refresh();
}

ReplayDlg::~ReplayDlg()
{
    m_runner->cancel();
}

void ReplayDlg::setAnalysisLimits(const Analyser::Limits& limits)
{
    m_runner->setLimits(limits);
}

bool ReplayDlg::analysing() const
{
    return m_runner->running();
}

QString ReplayDlg::moveText(const Replay::Status& status)
{
    if (status.ply == 0)
        return tr("Move %1 of %2").arg(0).arg(status.plies);
    const QString numbered = (status.reply ? QStringLiteral("%1... %2") : QStringLiteral("%1. %2"))
                                 .arg(status.moveNumber)
                                 .arg(fromStd(status.move) + fromStd(status.mark));
    QString text = tr("Move %1 of %2: %3").arg(status.ply).arg(status.plies).arg(numbered);
    if (!status.better.empty())
        text = tr("%1 — better %2").arg(text, fromStd(status.better));
    return text;
}

QString ReplayDlg::statusText() const
{
    if (m_progressLine->text().isEmpty())
        return m_status->text();
    return m_status->text() + QLatin1Char('\n') + m_progressLine->text();
}

void ReplayDlg::refresh()
{
    // Unchanged text, unchanged panel: a label repaints only when it is told something new.
    const QString text = moveText(m_replay.status());
    if (m_status->text() != text)
        m_status->setText(text);
    if (m_progressLine->text() != m_progress)
        m_progressLine->setText(m_progress);
}

bool ReplayDlg::handleKey(const QKeyEvent& event)
{
    bool stepped = false;
    switch (event.key()) {
    case Qt::Key_Left:
        stepped = m_replay.back();
        break;
    case Qt::Key_Right:
        stepped = m_replay.forward();
        break;
    case Qt::Key_Home:
        stepped = !m_replay.atStart();
        m_replay.toStart();
        break;
    case Qt::Key_End:
        stepped = !m_replay.atEnd();
        m_replay.toEnd();
        break;
    case Qt::Key_N:
        stepped =
            (event.modifiers() & Qt::ShiftModifier) ? m_replay.previousMark() : m_replay.nextMark();
        break;
    case Qt::Key_A:
        if (!event.isAutoRepeat())
            onAnalyse();
        return true;
    case Qt::Key_P:
        if (!event.isAutoRepeat())
            onPlayFromHere();
        return true;
    case Qt::Key_M:
        if (!event.isAutoRepeat())
            onMoves();
        return true;
    case Qt::Key_Escape:
        if (event.isAutoRepeat())
            return true;
        // The first Escape ends an analysis under way, the next one the replay.
        if (analysing())
            cancelAnalysis();
        else
            reject();
        return true;
    default:
        return false;
    }
    if (stepped) {
        // Only a step changes the board: the analysis's progress repaints its line alone.
        m_view->update();
        refresh();
    }
    return true;
}

void ReplayDlg::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(*event))
        QDialog::keyPressEvent(event);
}

bool ReplayDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && handleKey(*static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void ReplayDlg::onAnalyse()
{
    // A cancelled analysis goes on where it stopped; a finished one stands.
    if (analysing() || (m_replay.analysis() && m_replay.analysis()->finished()))
        return;
    if (!m_replay.analysis())
        m_replay.startAnalysis();
    searchNext();
}

void ReplayDlg::searchNext()
{
    const Analysis* analysis = m_replay.analysis();
    const std::optional<Analysis::Request> request = analysis->next();
    if (!request) {
        m_progress = tr("Analysis done");
        refresh();
        return;
    }
    m_progress = tr("Analysing %1 of %2")
                     .arg(static_cast<qulonglong>(analysis->done() + 1))
                     .arg(static_cast<qulonglong>(analysis->total()));
    refresh();
    m_runner->start(*request);
}

void ReplayDlg::onFound(const Analysis::Request& request, const Analysis::Found& found)
{
    Analysis* analysis = m_replay.analysis();
    if (!analysis || !analysis->feed(request, found))
        return;
    searchNext();
}

void ReplayDlg::cancelAnalysis()
{
    m_runner->cancel();
    m_progress = tr("Analysis cancelled");
    refresh();
}

void ReplayDlg::onPlayFromHere()
{
    std::optional<GameRecord> game = m_replay.playFromHere();
    if (!game) {
        m_progress = tr("The game is over in this position");
        refresh();
        return;
    }
    m_runner->cancel();
    m_playFromHere = std::move(game);
    accept();
}

void ReplayDlg::onMoves()
{
    QStringList rows;
    for (const std::string& row : m_replay.rows())
        rows << fromStd(row);
    MovesDlg dialog(this, rows);
    dialog.exec();
}
