#pragma once

#include <QCoreApplication>
#include <QString>

#include "game/colour.h"
#include "game/gameresult.h"

// The line under the board that tells a person how the game stands: whose turn it is and who
// plays that side, that the computer is replying, why the last entered move was refused, or how
// the game ended. The text follows from the state alone, so it changes only when the state does.
class StatusLine
{
    Q_DECLARE_TR_FUNCTIONS(StatusLine)

public:
    enum class Player { PERSON, COMPUTER, SECOND_PERSON };
    // Why the last entry came to nothing: a move refused, or a piece of the side to move chosen
    // that has no legal move.
    enum class Refusal { NONE, CAPTURE_COMPULSORY, ILLEGAL, PIECE_CANNOT_MOVE };
    enum class Ending { NONE, WIN, NOBODY_CAN_MOVE, DRAW };

    struct State {
        Colour toMove = Colour::White;
        Player player = Player::PERSON; // who plays the side to move
        bool replying = false;          // the computer's reply is pending
        Refusal refusal = Refusal::NONE;
        QString hint;         // the move suggested last, in standard notation; empty for none
        bool unsaved = false; // the last save of the game failed
        Ending ending = Ending::NONE;
        Colour winner = Colour::White;          // for WIN
        Player winnerPlayer = Player::PERSON;   // for WIN: who played the winning side
        bool loserHasNoPieces = false;          // for WIN: the loser lost every piece
        bool twoPeople = false;                 // side 2 is a second person
        EndReason drawReason = EndReason::NONE; // for DRAW
    };

    // The text for the state: the end of the game first, then a refusal, then a hint, then a
    // failed save, then the turn. The end is final, and a finished game is never resumed, so a
    // save lost after it costs the person nothing; a refusal or a hint answers what was just
    // asked and gives way at the next entry; a failed save then stands until a save succeeds,
    // for a game that is not kept is lost when the program ends.
    static QString text(const State& state);
    // The text of the box that announces the end of the game: who won ("You win!", "Computer
    // wins!", or the colour when two people play) and why, or how it was drawn; empty while the
    // game goes on.
    static QString gameOverText(const State& state);

private:
    static QString turnText(Colour colour, Player player);
    static QString drawText(EndReason reason);
    static QString winText(Colour winner, bool loserHasNoPieces);
    static QString boxDrawText(EndReason reason);
    static QString boxWinText(const State& state);
    static QString loserText(Colour loser, bool hasNoPieces);
};
