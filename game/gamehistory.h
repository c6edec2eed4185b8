#pragma once

#include "gamerecord.h"

#include "engine/searchhistory.h"

// The game as Grandmaster's search must know it before it answers the position the game is in:
// the positions played and the draw rules' counts, laid out as the engine is handed the position
// (the side to move as the engine's side 2, turned round when that is side 1). Set it as the
// engine's `history` before go2.
SearchHistory searchHistoryOf(const GameRecord& record);

// The position as the engine that moves `sideToMove` sees it: side 1's turned round.
Position engineView(const Position& position, int sideToMove);
