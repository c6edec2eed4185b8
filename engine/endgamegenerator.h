#pragma once

#include "endgameindex.h"
#include "endgamevalue.h"
#include "movegenerator.h"

#include <climits>
#include <cstdint>
#include <vector>

// Solves every position of the endgame materials by retrograde analysis: won, drawn or lost
// within the draw rule's count of plies without a capture or man's move, with the distance to
// the next such move (see EndgameValue).
//
// The count is the rule set's: English 80 plies without a man's move or capture; Russian 30
// plies of kings' moves without a capture. Two Russian rules are followed only approximately:
// the count of three kings against a lone king runs on over men's moves (here a man's move
// starts the count again), and the 60/120-ply balance rule is not modelled at all, so a Russian
// win the tables give with men on the board may in rare lines need more than that rule allows.
class EndgameGenerator
{
public:
    // What a lookup returns for a position not yet solved.
    static constexpr std::uint8_t UNDECIDED = 0xFF;

    // The moves of a position weighed by the values of the positions they lead to.
    struct Summary {
        int moves = 0;
        int bestWin = INT_MAX; // the fastest win a move gives, in plies
        int worstLoss = 0;     // the longest the loser holds out, if every move loses
        bool allLose = true;
    };

    EndgameGenerator(MoveGenerator::Rules rules, int pieces, int kingsOnly);

    static int limit(MoveGenerator::Rules rules);

    // Solves every material, smaller ones first. Long: seconds to minutes.
    void build();

    const std::vector<EndgameIndex::Material>& materials() const { return m_materials; }
    const std::vector<std::vector<std::uint8_t>>& values() const { return m_values; }

    // Weighs the moves of `position` (side 2 to move); lookup(reply) gives the code of the
    // position a move leads to, or UNDECIDED.
    template <typename Lookup>
    static Summary summarize(const MoveGenerator& generator, const PackedPosition& position,
                             const Lookup& lookup);
    // The value a summary proves when wins and losses may take `limit` plies at most; a draw
    // when it proves neither.
    static EndgameValue settle(const Summary& summary, int limit);
    // The code of the position with nobody to move: the side to move has no pieces left.
    static bool noPieces(const PackedPosition& position) { return position.side2 == 0; }

private:
    struct Slice {
        int table;
        std::uint64_t number;
    };

    void solvePair(int table, int other);
    void solveUnit(const std::vector<Slice>& unit);
    std::uint8_t code(const PackedPosition& position) const;
    int tableOf(const EndgameIndex::Material& material) const;

    MoveGenerator m_generator;
    int m_limit;
    std::vector<EndgameIndex::Material> m_materials;
    std::vector<std::vector<std::uint8_t>> m_values;
    std::vector<int> m_tableOf; // by packed material
};

template <typename Lookup>
EndgameGenerator::Summary EndgameGenerator::summarize(const MoveGenerator& generator,
                                                      const PackedPosition& position,
                                                      const Lookup& lookup)
{
    Summary summary;
    MoveGenerator::List list;
    generator.generate(position, list);
    summary.moves = list.count;
    const std::uint32_t men = position.side2 & ~position.kings;
    for (int i = 0; i < list.count; ++i) {
        const MoveGenerator::Move& move = list.moves[i];
        // A capture or a man's move starts the count again: only its result matters.
        const bool zeroing = move.jumps > 0 || (men & (std::uint32_t{1} << move.from));
        const std::uint8_t code = lookup(move.reply);
        if (code == UNDECIDED) {
            summary.allLose = false;
            continue;
        }
        const EndgameValue value = EndgameValue::decode(code);
        const int plies = zeroing ? 1 : value.distance + 1;
        if (value.outcome == EndgameValue::Outcome::LOSS) {
            summary.bestWin = std::min(summary.bestWin, plies);
            summary.allLose = false;
        } else if (value.outcome == EndgameValue::Outcome::WIN) {
            summary.worstLoss = std::max(summary.worstLoss, plies);
        } else {
            summary.allLose = false;
        }
    }
    return summary;
}
