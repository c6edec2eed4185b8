#include "statusline.h"

namespace
{

QString colourName(Colour colour)
{
    return colour == Colour::White ? QStringLiteral("White") : QStringLiteral("Black");
}

QString playerName(StatusLine::Player player)
{
    switch (player) {
    case StatusLine::Player::COMPUTER:
        return QStringLiteral("computer");
    case StatusLine::Player::SECOND_PERSON:
        return QStringLiteral("second player");
    case StatusLine::Player::PERSON:
        break;
    }
    return QStringLiteral("you");
}

QString drawText(EndReason reason)
{
    switch (reason) {
    case EndReason::REPETITION:
        return QStringLiteral("Draw: the same position for the third time");
    case EndReason::KINGS_ONLY:
        return QStringLiteral("Draw: 15 moves with only kings moving");
    case EndReason::THREE_KINGS:
        return QStringLiteral("Draw: three kings did not win against one");
    case EndReason::FORTY_MOVES:
        return QStringLiteral("Draw: 40 moves without a man moving");
    case EndReason::BALANCE_30:
        return QStringLiteral("Draw: the balance did not change for 30 moves");
    case EndReason::BALANCE_60:
        return QStringLiteral("Draw: the balance did not change for 60 moves");
    case EndReason::NONE:
    case EndReason::NO_MOVES:
        break;
    }
    return QStringLiteral("Draw");
}

} // namespace

QString StatusLine::text(const State& state)
{
    switch (state.ending) {
    case Ending::WIN:
        return QStringLiteral("%1 wins: %2 cannot move")
            .arg(colourName(state.winner), colourName(other(state.winner)));
    case Ending::NOBODY_CAN_MOVE:
        return QStringLiteral("Game over: neither side can move");
    case Ending::DRAW:
        return drawText(state.drawReason);
    case Ending::NONE:
        break;
    }
    switch (state.refusal) {
    case Refusal::CAPTURE_COMPULSORY:
        return QStringLiteral("A capture is compulsory");
    case Refusal::ILLEGAL:
        return QStringLiteral("That move is not legal");
    case Refusal::PIECE_CANNOT_MOVE:
        return tr("That piece cannot move");
    case Refusal::NONE:
        break;
    }
    if (!state.hint.isEmpty())
        return tr("Hint: %1").arg(state.hint);
    if (state.unsaved)
        return QStringLiteral("The game could not be saved");
    if (state.replying)
        return QStringLiteral("%1 (computer) is replying").arg(colourName(state.toMove));
    return QStringLiteral("%1 to move (%2)")
        .arg(colourName(state.toMove), playerName(state.player));
}
