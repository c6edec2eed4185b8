#include "gamehistory.h"

#include "ruleset.h"

Position engineView(const Position& position, int sideToMove)
{
    if (sideToMove == 2)
        return position;
    Position turned{};
    for (int square = 0; square < SQUARES; ++square)
        turned[SQUARES - 1 - square] = SIDE_SWAP - position[square];
    return turned;
}

SearchHistory searchHistoryOf(const GameRecord& record)
{
    const int side = record.sideToMove();
    const auto packed = [&](const Position& position) {
        const Position seen = engineView(position, side);
        int cells[CELLS];
        for (int square = 0; square < SQUARES; ++square)
            cells[SQUARE_CELLS[square]] = seen[square];
        return PackedPosition::fromCells(cells, SQUARE_CELLS);
    };
    std::vector<PackedPosition> positions;
    positions.reserve(record.moves().size() + 1);
    positions.push_back(packed(record.start()));
    for (const GameMove& move : record.moves())
        positions.push_back(packed(move.after));
    const MoveGenerator::Rules rules = record.rules() == ruleset::RUSSIAN
                                           ? MoveGenerator::Rules::RUSSIAN
                                           : MoveGenerator::Rules::ENGLISH;
    return SearchHistory::ofGame(rules, positions);
}
