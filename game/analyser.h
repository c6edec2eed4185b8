#pragma once

#include "analysis.h"

#include <atomic>
#include <cstddef>
#include <functional>

class Checkers;

// Runs the searches of an Analysis: Grandmaster's search on each position, for ANALYSIS_MS each
// or, for results that do not depend on the machine's speed, to a fixed depth.
class Analyser
{
public:
    // The time each position is searched for.
    static constexpr int ANALYSIS_MS = 300;

    // With neither limit set, ANALYSIS_MS.
    struct Limits {
        int moveTimeMs = ANALYSIS_MS; // 0: no time limit
        int depth = 0;                // plies; 0: no depth limit
    };
    // Told after each position with the searches done and their total; false stops the run.
    using Progress = std::function<bool(std::size_t done, std::size_t total)>;

    // Values one position on `engine`, which must play the request's rule set and whose board,
    // undo list and search settings are used up; the caller owns it (on a worker thread, its own
    // copy). `stop`, when set by another thread, ends the search early with what it has found.
    static Analysis::Found search(Checkers& engine, const Analysis::Request& request,
                                  const Limits& limits, const std::atomic<bool>* stop = nullptr);
    // Feeds `analysis` every search it still needs, in order, on an engine of its own. False
    // when `progress` stopped it first.
    static bool run(Analysis& analysis, const Limits& limits, const Progress& progress = {});
};
