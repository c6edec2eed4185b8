#pragma once

#include <QDialog>

#include <optional>

#include "game/analyser.h"
#include "game/gamerecord.h"
#include "game/replay.h"
#include "replayview.h"

class AnalysisRunner;
class QKeyEvent;
class QLabel;
class QPushButton;

// A past game on the whole screen, one ply at a time, over a status line that names the move
// shown ("Move 12 of 40: 12. c3-d4") and, while an analysis runs, its progress. Left and Right
// step back and on, Home and End go to the start and the end, N and Shift+N to the next and the
// previous marked move, A analyses the game off the GUI thread (Escape cancels it), M shows its
// moves with their marks, P closes the dialog with a new game from the position shown, and
// Escape leaves. The buttons do the same for the pen. Nothing of the game in progress is touched:
// the replay works on its own copy.
class ReplayDlg : public QDialog
{
    Q_OBJECT

public:
    ReplayDlg(QWidget* parent, GameRecord game, std::size_t ply, const ReplayView::Pieces& pieces);
    ~ReplayDlg() override;

    const Replay& replay() const { return m_replay; }
    // The game "Play from here" chose; set once the dialog was accepted that way.
    const std::optional<GameRecord>& playFromHere() const { return m_playFromHere; }
    // How long each position is searched (the tests give a depth, for results that do not
    // depend on the machine's speed).
    void setAnalysisLimits(const Analyser::Limits& limits);
    bool analysing() const;
    // The status line's text, and the analysis's line under it when there is one.
    QString statusText() const;
    // The words of the shown move's status for `status`, as the status line and the tests read
    // them.
    static QString moveText(const Replay::Status& status);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The keys reach the replay whichever control holds the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onAnalyse();
    void onPlayFromHere();
    void onMoves();
    void onFound(const Analysis::Request& request, const Analysis::Found& found);

private:
    // Acts on a key of the replay; false for any other key.
    bool handleKey(const QKeyEvent& event);
    void cancelAnalysis();
    void searchNext();
    // Rewrites the status line and the analysis's line where their texts have changed.
    void refresh();

    Replay m_replay;
    ReplayView* m_view = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_progressLine = nullptr;
    QPushButton* m_analyse = nullptr;
    AnalysisRunner* m_runner = nullptr;
    QString m_progress; // the analysis's line: progress, done or cancelled; empty before one
    std::optional<GameRecord> m_playFromHere;
};
