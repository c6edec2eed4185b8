#pragma once

#include "checkersboard.h"

#include <QBrush>
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

#include "engine/checkers.h"
#include "game/gamearchive.h"
#include "game/gamerecord.h"
#include "game/ruleset.h"
#include "game/savedgame.h"
#include "statusline.h"

class EndgameTable;
class Hint;
class QPainter;

// The board widget: owns the engine of the running game, its record and the four piece images,
// paints the position with the cursor, the selection frame, the marks of the last move and the
// marks of where the selected piece can go, hands a person's entry (start, landing squares, final
// square) to the record, shows a hint on request, schedules the computer's reply half a second
// after a person's move and announces the end of a game. Once given a file, it keeps the game
// there after every change.
class QtBoard : public QWidget, public CheckersBoard
{
    Q_OBJECT

public:
    explicit QtBoard(QWidget* parent = nullptr);
    ~QtBoard() override;

    // Replaces the engine by a new one for `rules` and starts a game with the setting fields;
    // cancels a computer reply still pending. Does not repaint.
    void newGame();
    // Goes on with `game` from where it stands: its rule set, its colours, its moves and their
    // marks; side 2 is a second person when `secondHuman`. Sets `rules`, `humanFirst` and
    // `secondHuman` to match it and schedules the computer's reply when the computer is to move.
    // Does not repaint.
    void continueGame(GameRecord game, bool secondHuman);
    // Keeps the game in the PDN file at `path` from now on, after every move, undo and new game,
    // and every game played in games.pdn beside it (GameArchive). Resumes the unfinished game of
    // the board's rule set kept there and gives true; gives false, and leaves the game as it is,
    // when there is none (a bad file is set aside).
    bool keepGameIn(const std::string& path);
    void set_checkers() override;
    // Takes back the last accepted move of side 1 with everything played since; false when there
    // is none. Cancels a pending reply, gives side 1 the turn and resumes a finished game.
    bool undo();

    // Shows the move the computer would play for the side to move: selects its piece, chooses
    // its landing squares when its route needs them, puts the cursor on its final square and names
    // the move on the status line, so that Return plays it. The game's engine, undo list and
    // record are left as they are. False, and nothing shown, while the computer's reply is
    // pending or once the game is over.
    bool showHint();

    int cellSize() const;
    QRect rectFromPos(const QPoint& pos) const;
    QPoint posFromMouse(const QPoint& pixel) const;

    // The computer's reply is scheduled, or held while a modal window is open, and has not been
    // made yet.
    bool replyPending() const { return m_replyTimer.isActive() || m_replyHeldBy; }
    // The status line's text for the game as it stands.
    QString statusText() const;
    // The landing squares chosen so far for the selected piece's capture.
    const std::vector<int>& route() const { return m_route; }

signals:
    void compMoveSignal();
    // The status line's text has changed.
    void statusChanged(const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
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
    QPoint cursor{3, 5};
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
    // Drops the reply, scheduled or held.
    void cancelReply();
    bool side1CanMove() const;
    bool side2CanMove() const;
    // Puts the record's position and undo steps on the engine.
    void followRecord();
    // Writes the game to its file, when it has one, and notes whether that failed.
    void keepGame();
    // Tells the status line when its text has changed.
    void refreshStatus();
    // Forgets the refusal and the hint on the status line.
    void clearNotice();
    // Marks where the selected piece can go, when it belongs to the side whose entry the board
    // takes now; for a new selection of such a piece without a legal move, says so instead.
    void markDestinations(bool newSelection);

    void drawThickRect(QPainter& painter, const QPoint& pos, int width) const;
    void drawCursor(QPainter& painter, const QPoint& pos, int width) const;
    void drawItem(QPainter& painter, int column, int row, int square, QBrush brush) const;
    // The marks of the last move, of the chosen landing squares and of where the selected piece
    // can go, on one dark cell.
    void drawMarks(QPainter& painter, const QRect& rect, int square) const;

    QTimer m_replyTimer;             // the computer's reply, 500 ms after a person's move
    QPointer<QWidget> m_replyHeldBy; // the modal window the due reply waits for
    std::vector<int> m_route;        // landing squares chosen for the selected piece, in order
    std::vector<int> m_marks;        // where the selected piece can go
    StatusLine::Refusal m_refusal = StatusLine::Refusal::NONE; // why the last entry was refused
    QString m_hintText;           // the hinted move in standard notation, until the next entry
    std::unique_ptr<Hint> m_hint; // searches the hints; made by the first one
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
