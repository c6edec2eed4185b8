#include "gameresult.h"

const char* resultToken(GameResult result)
{
    switch (result) {
    case GameResult::WHITE_WINS:
        return "1-0";
    case GameResult::BLACK_WINS:
        return "0-1";
    case GameResult::DRAW:
        return "1/2-1/2";
    case GameResult::ONGOING:
        break;
    }
    return "*";
}

const char* reasonWord(EndReason reason)
{
    switch (reason) {
    case EndReason::NO_MOVES:
        return "no-moves";
    case EndReason::REPETITION:
        return "repetition";
    case EndReason::KINGS_ONLY:
        return "kings-only";
    case EndReason::THREE_KINGS:
        return "three-kings";
    case EndReason::FORTY_MOVES:
        return "forty-moves";
    case EndReason::BALANCE_30:
        return "balance-30";
    case EndReason::BALANCE_60:
        return "balance-60";
    case EndReason::NONE:
        break;
    }
    return "-";
}
