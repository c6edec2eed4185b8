#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "game/gamerecord.h"
#include "game/puzzlebook.h"
#include "game/puzzleprogress.h"
#include "game/puzzlesession.h"
#include "replayview.h"

class PuzzleRunner;
class PuzzleView;
class QKeyEvent;
class QLabel;

// The puzzles of one rule set on the whole screen, the next unsolved one first. The person plays
// the side to win with the board's keys and pen; the computer answers each move half a second
// later with its best defence, searched off the GUI thread. A move that is no solution is
// answered with its refutation, "Not the solution", and then taken back; H shows the next
// solution move, S skips the puzzle, Return after "Solved" goes on to the next one, Escape
// leaves; the buttons do the same for the pen. What is solved or skipped is saved at once. Nothing
// of the game in progress is touched.
class PuzzleDlg : public QDialog
{
    Q_OBJECT

public:
    // How long the computer's answer and a refutation stay before the next step.
    static constexpr int REPLY_DELAY_MS = 500;
    static constexpr int REFUTATION_SHOWN_MS = 1500;

    // folder: where the books are; progressPath: the progress file.
    PuzzleDlg(QWidget* parent, int rulesCode, const std::string& folder,
              const std::string& progressPath, const ReplayView::Pieces& pieces);
    ~PuzzleDlg() override;

    // The lines of the status panel, top to bottom.
    QString statusText() const;
    // The game shown, and the puzzle's index in the book (none when no puzzle is open).
    const GameRecord& shown() const { return m_shown; }
    std::optional<std::size_t> current() const { return m_index; }
    const PuzzleBook& book() const { return m_book; }
    bool thinking() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKey(const QKeyEvent& event);
    void open(std::size_t from);
    void onMoveEntered(const GameMove& move);
    void onReply();
    void onHint();
    void onSkip();
    void backToSession();
    void mark(PuzzleProgress::State state);
    void setStatus(const QString& text);
    QString task() const;
    void refreshCounts();

    PuzzleBook m_book;
    PuzzleProgress m_progress;
    std::optional<std::size_t> m_index;
    std::unique_ptr<PuzzleSession> m_session;
    // What the board shows: the session's game, or a step ahead of it while the computer thinks
    // or a refutation is shown. The worker touches only the session.
    GameRecord m_shown;
    PuzzleView* m_view = nullptr;
    QLabel* m_task = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_counts = nullptr;
    PuzzleRunner* m_runner = nullptr;
    QTimer m_replyTimer;
    QTimer m_backTimer;
    QElapsedTimer m_clock;
    // Written by the worker, read once it is done.
    PuzzleSession::Result m_result;
    std::optional<GameMove> m_answer;
    QString m_puzzleLine; // the open puzzle's number and difficulty
    QString m_note;       // a fault to tell, shown on the counts line
};
