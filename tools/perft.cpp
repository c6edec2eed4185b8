#include "perft.h"

#include "engine/checkers.h"
#include "engine/movesink.h"

#include <algorithm>
#include <array>
#include <vector>

namespace
{

using Cells = std::array<int, CELLS>;

class MoveCollector : public MoveSink
{
public:
    void onMove(const int* cells, int) override
    {
        Cells copy;
        std::copy(cells, cells + CELLS, copy.begin());
        moves.push_back(copy);
    }
    std::vector<Cells> moves;
};

} // namespace

std::uint64_t Perft::count(int depth)
{
    if (depth <= 0)
        return 1;
    MoveCollector collector;
    m_engine.generateMoves2(collector);
    if (depth == 1)
        return collector.moves.size();

    Cells saved;
    std::copy(m_engine.board, m_engine.board + CELLS, saved.begin());
    std::uint64_t total = 0;
    for (const Cells& move : collector.moves) {
        std::copy(move.begin(), move.end(), m_engine.board);
        m_engine.rotate();
        total += count(depth - 1);
    }
    std::copy(saved.begin(), saved.end(), m_engine.board);
    return total;
}
