#include "statusline.h"

namespace
{

bool white(Colour colour)
{
    return colour == Colour::White;
}

} // namespace

// Whole sentences, one for each colour and player, so that a translation can word each its own
// way.
QString StatusLine::turnText(Colour colour, Player player)
{
    switch (player) {
    case Player::COMPUTER:
        return white(colour) ? tr("White to move (computer)") : tr("Black to move (computer)");
    case Player::SECOND_PERSON:
        return white(colour) ? tr("White to move (second player)")
                             : tr("Black to move (second player)");
    case Player::PERSON:
        break;
    }
    return white(colour) ? tr("White to move (you)") : tr("Black to move (you)");
}

QString StatusLine::drawText(EndReason reason)
{
    switch (reason) {
    case EndReason::REPETITION:
        return tr("Draw: the same position for the third time");
    case EndReason::KINGS_ONLY:
        return tr("Draw: 15 moves with only kings moving");
    case EndReason::THREE_KINGS:
        return tr("Draw: three kings did not win against one");
    case EndReason::FORTY_MOVES:
        return tr("Draw: 40 moves without a man moving");
    case EndReason::BALANCE_30:
        return tr("Draw: the balance did not change for 30 moves");
    case EndReason::BALANCE_60:
        return tr("Draw: the balance did not change for 60 moves");
    case EndReason::NONE:
    case EndReason::NO_MOVES:
        break;
    }
    return tr("Draw");
}

QString StatusLine::winText(Colour winner, bool loserHasNoPieces)
{
    if (loserHasNoPieces)
        return white(winner) ? tr("White wins: Black has no pieces left")
                             : tr("Black wins: White has no pieces left");
    return white(winner) ? tr("White wins: Black cannot move")
                         : tr("Black wins: White cannot move");
}

QString StatusLine::text(const State& state)
{
    switch (state.ending) {
    case Ending::WIN:
        return winText(state.winner, state.loserHasNoPieces);
    case Ending::NOBODY_CAN_MOVE:
        return tr("Game over: neither side can move");
    case Ending::DRAW:
        return drawText(state.drawReason);
    case Ending::NONE:
        break;
    }
    switch (state.refusal) {
    case Refusal::CAPTURE_COMPULSORY:
        return tr("A capture is compulsory");
    case Refusal::ILLEGAL:
        return tr("That move is not legal");
    case Refusal::PIECE_CANNOT_MOVE:
        return tr("That piece cannot move");
    case Refusal::NONE:
        break;
    }
    if (!state.hint.isEmpty())
        return tr("Hint: %1").arg(state.hint);
    if (state.unsaved)
        return tr("The game could not be saved");
    if (state.replying)
        return white(state.toMove) ? tr("White (computer) is replying")
                                   : tr("Black (computer) is replying");
    return turnText(state.toMove, state.player);
}

QString StatusLine::loserText(Colour loser, bool hasNoPieces)
{
    if (hasNoPieces)
        return white(loser) ? tr("White has no pieces left") : tr("Black has no pieces left");
    return white(loser) ? tr("White cannot move") : tr("Black cannot move");
}

// Two people are named by their colours, for "you" would be either of them.
QString StatusLine::boxWinText(const State& state)
{
    if (state.twoPeople)
        return white(state.winner) ? tr("White wins!") : tr("Black wins!");
    return state.winnerPlayer == Player::PERSON ? tr("You win!") : tr("Computer wins!");
}

QString StatusLine::boxDrawText(EndReason reason)
{
    switch (reason) {
    case EndReason::REPETITION:
        return tr("Draw by threefold repetition!");
    case EndReason::KINGS_ONLY:
        return tr("Draw: 15 moves of kings only!");
    case EndReason::THREE_KINGS:
        return tr("Draw: three kings against one!");
    case EndReason::FORTY_MOVES:
        return tr("Draw: 40 moves without a man moving!");
    case EndReason::BALANCE_30:
        return tr("Draw: 30 moves without a change!");
    case EndReason::BALANCE_60:
        return tr("Draw: 60 moves without a change!");
    case EndReason::NONE:
    case EndReason::NO_MOVES:
        break;
    }
    return tr("Draw!");
}

QString StatusLine::gameOverText(const State& state)
{
    switch (state.ending) {
    case Ending::WIN:
        return tr("Game Over! %1").arg(boxWinText(state)) + QLatin1Char('\n') +
               loserText(other(state.winner), state.loserHasNoPieces);
    case Ending::NOBODY_CAN_MOVE:
        return tr("Game Over! %1").arg(tr("Nobody can move!"));
    case Ending::DRAW:
        return tr("Game Over! %1").arg(boxDrawText(state.drawReason));
    case Ending::NONE:
        break;
    }
    return QString();
}
