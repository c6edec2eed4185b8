#pragma once

#include "engine/board.h"

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// Endgames of kings and a few men scattered at random: long king captures with several landing
// squares, men crowned in the middle of a capture, and blocked sides.
inline std::vector<std::string> scatteredEndgames(unsigned seed, size_t count)
{
    std::mt19937 random(seed);
    std::vector<std::string> result;
    while (result.size() < count) {
        int values[SQUARES];
        std::fill(std::begin(values), std::end(values), FREE);
        const int pieces = 2 + static_cast<int>(random() % 9);
        for (int i = 0; i < pieces; ++i) {
            static constexpr int KINDS[] = {MAN1, KING1, KING2, MAN2};
            const int square = static_cast<int>(random() % SQUARES);
            const int kind = KINDS[random() % std::size(KINDS)];
            // A man never stands on the row where it would be crowned.
            if ((kind == MAN2 && square >= SQUARES - 4) || (kind == MAN1 && square < 4))
                continue;
            values[square] = kind;
        }
        std::string text;
        for (int value : values)
            text += std::to_string(value) + ' ';
        result.push_back(text);
    }
    return result;
}
