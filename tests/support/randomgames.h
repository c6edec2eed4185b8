#pragma once

#include "engine/checkers.h"
#include "engine/movesink.h"

#include <array>
#include <random>
#include <string>
#include <vector>

// Positions from games of random moves, every one with side 2 to move: openings, middle games
// and endgames with kings, captures pending or not.
class RandomGames : private MoveSink
{
public:
    // engine: the rule set to play by; its position is used as scratch.
    RandomGames(Checkers& engine, unsigned seed) : m_engine(engine), m_random(seed) {}

    std::vector<std::string> positions(size_t count, int maxPlies = 150)
    {
        std::vector<std::string> result;
        while (result.size() < count) {
            m_engine.fromString(START);
            for (int ply = 0; ply < maxPlies && result.size() < count; ++ply) {
                m_moves.clear();
                m_engine.generateMoves2(*this);
                if (m_moves.empty())
                    break;
                result.push_back(m_engine.toString(false));
                const Cells& chosen = m_moves[m_random() % m_moves.size()];
                std::copy(chosen.begin(), chosen.end(), m_engine.board);
                m_engine.rotate();
            }
        }
        return result;
    }

private:
    using Cells = std::array<int, CELLS>;
    static constexpr const char* START =
        "5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 ";

    void onMove(const int* cells, int) override
    {
        Cells copy;
        std::copy(cells, cells + CELLS, copy.begin());
        m_moves.push_back(copy);
    }

    Checkers& m_engine;
    std::mt19937 m_random;
    std::vector<Cells> m_moves;
};
