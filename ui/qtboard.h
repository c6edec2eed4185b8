#pragma once

#include "checkersboard.h"

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "boardpainter.h"
#include "engine/checkers.h"
#include "game/gamearchive.h"
#include "game/gamerecord.h"
#include "game/ruleset.h"
#include "game/savedgame.h"
#include "game/thinker.h"
#include "statusline.h"

class EndgameTable;
class Hint;

// The board widget: owns the engine of the running game, its record and the four piece images,
// paints the position with the cursor, the selection frame, the marks of the last move and the
// marks of where the selected piece can go, hands a person's entry (start, landing squares, final
// square) to the record, shows a hint on request, schedules the computer's reply half a second
// after a person's move and announces the end of a game. Grandmaster's reply and every hint are
// searched on a worker thread (Thinker), so that the board answers keys while they think. Once
// given a file, it keeps the game there after every change.
class QtBoard : public QWidget, public CheckersBoard
{
    Q_OBJECT

public:
    explicit QtBoard(QWidget* parent = nullptr);
    ~QtBoard() override;

    // Replaces the engine by a new one for `rules` and starts a game with the setting fields;
    // cancels a computer reply still pending and a hint being searched, and clears the
    // selection. Does not repaint.
    void newGame();
    // Goes on with `game` from where it stands: its rule set, its colours, its moves and their
    // marks; side 2 is a second person when `secondHuman`. Sets `rules`, `humanFirst` and
    // `secondHuman` to match it and schedules the computer's reply when the computer is to move.
    // Does not repaint.
    void continueGame(GameRecord game, bool secondHuman);
    // A new game against the computer from `game`'s position, begun today, the person playing
    // side 1; the game in progress is left as a new game leaves it. Does not repaint.
    void playFrom(GameRecord game);
    // Keeps the game in the PDN file at `path` from now on, after every move, undo and new game,
    // and every game played in games.pdn beside it (GameArchive). Resumes the unfinished game of
    // the board's rule set kept there and gives true; gives false, and leaves the game as it is,
    // when there is none (a bad file is set aside).
    bool keepGameIn(const std::string& path);
    void set_checkers() override;
    // Takes back the last accepted move of side 1 with everything played since; false when there
    // is none. Cancels a pending reply and a hint being searched, clears the selection, gives
    // side 1 the turn and resumes a finished game.
    bool undo();
    // Plays again what the last undo took back, until a new move is played; false when there is
    // nothing to redo. Clears the selection; the computer's reply follows when it is owed.
    bool redo();

    // Starts the search for the move to suggest to the side to move, with "Thinking…" on the
    // status line painted first; once found, selects its piece, chooses its landing squares when
    // its route needs them, puts the cursor on its final square and names the move on the status
    // line, so that Return plays it. The game's engine, undo list and record are left as they
    // are. False, and nothing started, while a hint is being searched, while the computer's reply
    // is pending or once the game is over. A result found after the position changed is dropped.
    bool showHint();
    // A hint is being searched.
    bool hintPending() const { return m_thought == Thought::HINT; }
    // Stops the searches running for the game: a hint is dropped, and a reply being searched is
    // searched again as soon as no modal window holds it.
    void stopThinking();

    // The board's geometry in the widget, as BoardPainter lays it out.
    int cellSize() const;
    QRect rectFromPos(const QPoint& pos) const;
    QPoint posFromMouse(const QPoint& pixel) const;
    // What the board shows now, for the painter.
    BoardPainter::Scene scene() const;

    // The computer's reply is scheduled, or held while a modal window is open, and has not been
    // made yet.
    bool replyPending() const
    {
        return m_replyTimer.isActive() || m_replyHeldBy || m_thought == Thought::REPLY;
    }
    // The worker the searches run on; null before the first.
    const Thinker* thinker() const { return m_thinker.get(); }
    // The status line's text for the game as it stands.
    QString statusText() const;
    // The landing squares chosen so far for the selected piece's capture.
    const std::vector<int>& route() const { return m_route; }

signals:
    void compMoveSignal();
    // The status line's text has changed.
    void statusChanged(const QString& text);
    // The status line must be on the screen before the board goes on: it is to be painted now.
    void statusFlushRequested();
    // "Review" was chosen in the game-over box: the finished game is to be replayed.
    void reviewRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Notes the release, by which a repeat of H that comes as a release and a press is known.
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Watches the modal window that holds the reply, to play the reply once it is hidden.
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void compMoveSlot();
    void gameOverSlot();

public:
    // The game's state, open to the main window, which writes the four settings directly; they
    // take effect at the next newGame.
    std::unique_ptr<Checkers> engine;
    // The game as played, in step with the engine: its moves, whose turn, how it ended.
    GameRecord record{ruleset::RUSSIAN, Colour::White};
    bool gameOver = false;
    int result = 0;
    int selected = -1;
    int rules = 25;
    bool humanFirst = true;
    int level = 2;
    int moveTime = 0; // Grandmaster's budget in milliseconds; 0 for the fixed levels
    bool secondHuman = false;
    bool side1ToMove = true;
    QPoint cursor{2, 5};
    QPoint selectedCell{-1, -1};
    std::unique_ptr<QImage> imgManWhite;
    std::unique_ptr<QImage> imgManBlack;
    std::unique_ptr<QImage> imgKingWhite;
    std::unique_ptr<QImage> imgKingBlack;
    // What each cell value is drawn with: points at one of the four images above.
    QImage* imgMan1 = nullptr;
    QImage* imgMan2 = nullptr;
    QImage* imgKing1 = nullptr;
    QImage* imgKing2 = nullptr;

private:
    enum class Thought { NONE, REPLY, HINT };

    void cursorLeft();
    void cursorRight();
    void cursorUp();
    void cursorDown();
    // Moves the cursor one step, wrapping at the edges, and repaints the old and the new cell.
    void moveCursor(int columnStep, int rowStep);
    void click();
    // Hands the move to the engine for the side to move, unless a reply is pending; true when
    // the engine made it (the after-move flow has then run).
    bool offerMove(int from, int to);
    void afterMoveOfSide1();
    void afterMoveOfSide2();
    // Ends the game as a draw when the record's draw rules say so; true when it did.
    bool endedByDraw();
    // Keeps the due reply until `modal` is hidden; the reply then follows at once, in the event
    // loop that opened the modal window, unless a new game or an undo drops it first.
    void holdReply(QWidget* modal);
    void playHeldReply();
    // Drops the reply, scheduled, held or being searched, and a hint being searched.
    void cancelReply();
    // The side has a man or a king left on the board.
    bool hasPieces(int side) const;
    // Plays the computer's move that leads to `after`, then hands the turn back or ends the game.
    void finishReply(const Position& after);
    // Hands `job` to the worker as the search for `thought`; false, and nothing awaited, when
    // the system gives the worker no thread.
    bool think(Thought thought, const Thinker::Job& job);
    // A search's result, on the GUI thread: used when it is the one awaited, dropped otherwise.
    void onThought(Thinker::Ticket ticket, const Thinker::Result& result);
    void cancelHint();
    void applyHint(const Position& after);
    // Forgets the selection, its route and marks, and the hint.
    void clearSelection();
    // Whose turn it is and how the game stands, from the record: after a game is resumed or a
    // move redone. Schedules the computer's reply when it is owed.
    void adoptRecordState();
    bool side1CanMove() const;
    bool side2CanMove() const;
    // Puts the record's position and undo steps on the engine.
    void followRecord();
    // Writes the game to its file, when it has one, and notes whether that failed.
    void keepGame();
    // How the game stands, for the status line and the game-over box.
    StatusLine::State statusState() const;
    // Tells the status line when its text has changed.
    void refreshStatus();
    // Forgets the refusal and the hint on the status line.
    void clearNotice();
    // Marks where the selected piece can go, when it belongs to the side whose entry the board
    // takes now; for a new selection of such a piece without a legal move, says so instead.
    void markDestinations(bool newSelection);

    QTimer m_replyTimer;             // the computer's reply, 500 ms after a person's move
    QPointer<QWidget> m_replyHeldBy; // the modal window the due reply waits for
    std::vector<int> m_route;        // landing squares chosen for the selected piece, in order
    std::vector<int> m_marks;        // where the selected piece can go
    StatusLine::Refusal m_refusal = StatusLine::Refusal::NONE; // why the last entry was refused
    QString m_hintText; // the hinted move in standard notation, until the next entry
    // What the worker searches for the game now, under which ticket, from which position.
    Thought m_thought = Thought::NONE;
    Thinker::Ticket m_ticket = 0;
    Position m_thoughtFrom{};
    int m_thoughtSide = 0;
    std::unique_ptr<Thinker> m_thinker; // made by the first search off the GUI thread
    int m_releasedKey = 0;              // the last key released, and when (0: unknown)
    quint64 m_releasedAt = 0;
    // The endgame tables of each rule set, from the folder "tables" beside the program: opened
    // for the first game of the rule set; null when missing or damaged (said on standard error).
    std::shared_ptr<const EndgameTable> endgameTables(int rulesCode);
    std::map<int, std::shared_ptr<const EndgameTable>> m_tables;
    QString m_status;                       // the status line's text
    std::unique_ptr<SavedGame> m_savedGame; // where the game is kept; none until given
    std::unique_ptr<GameArchive> m_archive; // where every game played is added; none until given
    bool m_saveFailed = false;              // the last save failed; the status line says so
    std::string m_gameDate;                 // the day the game began, for its record
};
