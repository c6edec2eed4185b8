#pragma once

#include "openings.h"

#include <optional>
#include <ostream>
#include <string>

// Engine against engine: every opening played twice, each player taking each colour once, by
// the rules of the game record: a game ends when the side to move cannot move, by the rule
// set's draw rules, or as a draw at the ply limit. Prints each game's result and then the first
// player's wins, draws, losses and score with its 95 % interval.
class Match
{
public:
    // A player: a fixed level (plies) or Grandmaster on a move time or to a fixed depth.
    struct Player {
        int level = 0;
        int moveTime = 0;
        int depth = 0;
    };
    static constexpr int MIN_LEVEL = 2;
    static constexpr int MAX_LEVEL = 20;
    static constexpr int MAX_MOVE_TIME_MS = 60 * 1000;
    static constexpr int PLY_LIMIT = 300;

    // "level:N" (N plies, 2 to 20), "movetime:MS" (1 to 60000) or "depth:N" (1 to 64); nullopt
    // for anything else.
    static std::optional<Player> player(const std::string& spec);

    struct Score {
        int wins = 0;
        int draws = 0;
        int losses = 0;
        int games() const { return wins + draws + losses; }
        // The first player's share of the points, 0 to 1, and its 95 % interval.
        double share() const;
        struct Interval {
            double low;
            double high;
        };
        Interval interval() const;
    };

    Match(int rulesCode, const Player& first, const Player& second);

    // Plays `games` games: game g (from 0) starts from opening g / 2, cycling, the first player
    // taking the first mover's side in even games; seed + g seeds the random choice of game g.
    // False, with the reason on `out`, if an engine's move is not a legal one.
    bool play(const Openings& openings, int games, unsigned seed, std::ostream& out);
    const Score& score() const { return m_score; }

private:
    int m_rules;
    Player m_first;
    Player m_second;
    Score m_score;
};
