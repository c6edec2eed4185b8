#pragma once

#include "openings.h"

#include "game/puzzle.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <unordered_set>
#include <vector>

class ProofSearch;

// Makes a puzzle book from Grandmaster's games: plays games from the openings (each from opening
// g / 2, the seed plus g seeding its random choices, searches limited by depth and not by the
// clock, so that a run is the same from the same seed), and keeps the positions met in them
// that a shallow ProofSearch finds to be puzzles and a search of ProofSearch::PROOF_PLIES proves.
// A position met before is searched once; a puzzle with the same material and the same first
// move as one kept a few plies earlier in the same game is the same combination and is skipped.
class PuzzleMaker
{
public:
    struct Settings {
        int rules = 0;
        int count = 0; // puzzles wanted
        unsigned seed = 1;
        int maxGames = 0;  // 0: as many as it takes
        int gameDepth = 6; // Grandmaster's depth in the games
        int findPlies = 9; // the search that finds candidates
    };
    static constexpr int SIMILAR_PLIES = 6;
    static constexpr int PLY_LIMIT = 200;

    struct Report {
        int games = 0;
        long long positions = 0; // searched by the finder
        int candidates = 0;      // found by it
        int proved = 0;          // of those, proved
        int alike = 0;           // proved, but too like one kept
        int undecided = 0;       // searches that ran out of their node budget
        int kept[3] = {0, 0, 0}; // by difficulty
        double seconds = 0;      // in all
        double findSeconds = 0;  // in the finder's searches
        double proveSeconds = 0; // in the proofs
    };

    explicit PuzzleMaker(const Settings& settings);
    ~PuzzleMaker();
    PuzzleMaker(const PuzzleMaker&) = delete;
    PuzzleMaker& operator=(const PuzzleMaker&) = delete;

    // The puzzles, easy first, in each grade sacrifices, then quiet first moves, then captures,
    // in the order they were found. Prints a line per puzzle kept on `log`.
    std::vector<Puzzle> make(const Openings& openings, std::ostream& log);
    const Report& report() const { return m_report; }

    // The position of the game's side to move as a puzzle, when it is one, has not been met
    // before and is not too like one kept since newGame(); counted in report().
    std::optional<Puzzle> consider(const GameRecord& game);
    // The puzzles kept from here on are of another game.
    void newGame();

    // What makes two puzzles of one game the same combination.
    struct Signature {
        int ply;
        std::uint32_t men[2];
        std::uint32_t kings[2];
        Colour solver;
        std::uint32_t from; // the first move's start and final square, as bits
        std::uint32_t to;
    };

private:
    Settings m_settings;
    Report m_report;
    std::unique_ptr<ProofSearch> m_finder;
    std::unique_ptr<ProofSearch> m_prover;
    std::unordered_set<std::uint64_t> m_seen;
    std::vector<Signature> m_kept;
};
