#include "puzzledlg.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "puzzlerunner.h"
#include "puzzleview.h"

namespace
{

const char STYLE[] = "QDialog { background: white; }";

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

PuzzleDlg::PuzzleDlg(QWidget* parent, int rulesCode, const std::string& folder,
                     const std::string& progressPath, const ReplayView::Pieces& pieces)
    : QDialog(parent), m_book(rulesCode), m_progress(progressPath),
      m_shown(rulesCode, Colour::White)
{
    setWindowTitle(tr("Puzzles"));
    setStyleSheet(QLatin1String(STYLE));
    m_view = new PuzzleView(this, pieces);
    m_view->setMinimumSize(100, 100);
    m_task = new QLabel(this);
    m_status = new QLabel(this);
    m_counts = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    for (QLabel* label : {m_task, m_status, m_counts}) {
        label->setAlignment(Qt::AlignCenter);
        // A line each, of fixed height: a new text never moves the board.
        label->setFixedHeight(label->fontMetrics().height());
        layout->addWidget(label);
    }
    auto* hint = new QPushButton(tr("Hint"), this);
    auto* skip = new QPushButton(tr("Skip"), this);
    auto* back = new QPushButton(tr("Back"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {hint, skip, back}) {
        // The keys act on the board; the buttons are there for the pen.
        button->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(hint, &QPushButton::clicked, this, &PuzzleDlg::onHint);
    connect(skip, &QPushButton::clicked, this, &PuzzleDlg::onSkip);
    connect(back, &QPushButton::clicked, this, &PuzzleDlg::reject);
    m_runner = new PuzzleRunner(this);
    m_replyTimer.setSingleShot(true);
    connect(&m_replyTimer, &QTimer::timeout, this, &PuzzleDlg::onReply);
    m_backTimer.setSingleShot(true);
    connect(&m_backTimer, &QTimer::timeout, this, &PuzzleDlg::backToSession);
    connect(m_view, &PuzzleView::moveEntered, this, &PuzzleDlg::onMoveEntered);
    m_view->installEventFilter(this);

    if (const std::optional<std::string> fault = m_progress.load())
        m_note = fromStd(*fault);
    const std::vector<std::string> problems = m_book.load(folder);
    if (!problems.empty() && m_note.isEmpty())
        m_note =
            tr("%n puzzle file(s) could not be read", nullptr, static_cast<int>(problems.size()));
    if (parent)
        setGeometry(parent->window()->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
    open(0);
    m_view->setFocus(Qt::OtherFocusReason);
}

PuzzleDlg::~PuzzleDlg()
{
    m_runner->cancel();
}

bool PuzzleDlg::thinking() const
{
    return m_runner->running() || m_replyTimer.isActive();
}

QString PuzzleDlg::statusText() const
{
    return m_task->text() + QLatin1Char('\n') + m_status->text() + QLatin1Char('\n') +
           m_counts->text();
}

void PuzzleDlg::setStatus(const QString& text)
{
    if (m_status->text() != text)
        m_status->setText(text);
}

QString PuzzleDlg::task() const
{
    if (!m_session)
        return QString();
    return m_session->record().side1Colour() == Colour::White ? tr("White to play and win")
                                                              : tr("Black to play and win");
}

void PuzzleDlg::refreshCounts()
{
    const QString counts = m_note.isEmpty()
                               ? tr("Solved %1, skipped %2")
                                     .arg(m_progress.count(PuzzleProgress::State::SOLVED))
                                     .arg(m_progress.count(PuzzleProgress::State::SKIPPED))
                               : m_note;
    if (m_counts->text() != counts)
        m_counts->setText(counts);
}

void PuzzleDlg::open(std::size_t from)
{
    m_runner->cancel();
    m_replyTimer.stop();
    m_backTimer.stop();
    m_session.reset();
    m_index = m_book.next(m_progress, from);
    std::optional<Puzzle> puzzle;
    std::string why;
    if (m_index)
        puzzle = m_book.puzzle(*m_index, &why);
    if (!puzzle) {
        m_shown = GameRecord(m_book.rules(), Colour::White);
        m_view->show(nullptr);
        m_view->setEntering(false);
        m_task->setText(m_book.entries().empty() ? tr("No puzzles for this rule set")
                        : m_index                ? fromStd(why)
                                                 : tr("Every puzzle is solved"));
        setStatus(QString());
        refreshCounts();
        return;
    }
    m_session = std::make_unique<PuzzleSession>(*puzzle);
    m_shown = m_session->record();
    m_view->show(&m_shown);
    m_view->setEntering(true);
    static const char* const grades[] = {QT_TR_NOOP("easy"), QT_TR_NOOP("medium"),
                                         QT_TR_NOOP("hard")};
    const PuzzleBook::Entry& entry = m_book.entries()[*m_index];
    m_task->setText(task());
    m_puzzleLine = tr("Puzzle %1 of %2, %3")
                       .arg(static_cast<qulonglong>(*m_index + 1))
                       .arg(static_cast<qulonglong>(m_book.entries().size()))
                       .arg(tr(grades[static_cast<int>(entry.difficulty)]));
    setStatus(m_puzzleLine);
    refreshCounts();
}

void PuzzleDlg::onMoveEntered(const GameMove& move)
{
    if (!m_session || thinking() || m_session->solved())
        return;
    // The person's move shows at once; the session judges it off the GUI thread.
    m_shown.play(move);
    m_view->setEntering(false);
    m_view->repaint();
    setStatus(tr("Thinking..."));
    m_clock.start();
    PuzzleSession* const session = m_session.get();
    m_runner->start(
        [this, session, move] {
            m_result = session->play(move);
            m_answer.reset();
            if (m_result.outcome == PuzzleSession::Outcome::CONTINUE)
                m_answer = session->answer();
        },
        [this] { m_replyTimer.start(std::max<qint64>(0, REPLY_DELAY_MS - m_clock.elapsed())); });
}

void PuzzleDlg::onReply()
{
    switch (m_result.outcome) {
    case PuzzleSession::Outcome::NOT_SOLUTION:
        setStatus(tr("Not the solution"));
        if (m_result.refutation) {
            m_shown.play(*m_result.refutation);
            m_view->update();
            m_backTimer.start(REFUTATION_SHOWN_MS);
            return;
        }
        backToSession();
        return;
    case PuzzleSession::Outcome::SOLVED:
        break;
    default:
        setStatus(m_puzzleLine);
        break;
    }
    m_shown = m_session->record();
    m_view->show(&m_shown);
    if (m_session->solved()) {
        mark(PuzzleProgress::State::SOLVED);
        setStatus(tr("Solved"));
        m_task->setText(tr("Return: the next puzzle"));
        return;
    }
    m_view->setEntering(true);
}

void PuzzleDlg::backToSession()
{
    m_shown = m_session->record();
    m_view->show(&m_shown);
    m_view->setEntering(true);
}

void PuzzleDlg::mark(PuzzleProgress::State state)
{
    if (!m_index)
        return;
    m_progress.mark(m_book.key(*m_index), state);
    std::string error;
    m_note = m_progress.save(&error) ? QString() : tr("The progress could not be saved");
    refreshCounts();
}

void PuzzleDlg::onHint()
{
    if (!m_session || thinking() || m_backTimer.isActive() || m_session->solved())
        return;
    PuzzleSession* const session = m_session.get();
    setStatus(tr("Thinking..."));
    m_runner->start(
        [this, session] { m_answer = session->hint(); },
        [this] {
            if (!m_answer) {
                setStatus(m_puzzleLine);
                return;
            }
            m_view->showMove(*m_answer);
            setStatus(tr("Hint: %1").arg(fromStd(m_shown.notation().moveText(*m_answer, false))));
        });
}

void PuzzleDlg::onSkip()
{
    if (!m_index)
        return;
    m_runner->cancel();
    // A solved puzzle stays solved: skipping it only goes on to the next one.
    mark(PuzzleProgress::State::SKIPPED);
    open(*m_index + 1);
}

bool PuzzleDlg::handleKey(const QKeyEvent& event)
{
    if (event.isAutoRepeat())
        return event.key() == Qt::Key_H || event.key() == Qt::Key_S ||
               event.key() == Qt::Key_Escape;
    switch (event.key()) {
    case Qt::Key_H:
        onHint();
        return true;
    case Qt::Key_S:
        onSkip();
        return true;
    case Qt::Key_Escape:
        m_runner->cancel();
        reject();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        if (m_session && m_session->solved()) {
            open(*m_index + 1);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void PuzzleDlg::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(*event))
        QDialog::keyPressEvent(event);
}

bool PuzzleDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && handleKey(*static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}
