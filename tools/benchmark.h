#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class Checkers;

// Times the fast search against the full-width reference on a set of positions at one level and
// checks that both decide alike: the same move, the same value, the same random numbers drawn.
// The reference runs in a child process so that it can be stopped at the time limit; where its
// growth over the two levels below says it would take more than twice the limit, it is not run.
// Nodes per second are printed beside the times, so that a change of speed can be told from a
// change of the tree's size.
class Benchmark
{
public:
    using EngineFactory = std::function<std::unique_ptr<Checkers>()>;

    // withReference false: times the fast search alone (nothing is compared).
    Benchmark(EngineFactory makeEngine, int level, double referenceLimitSeconds,
              bool withReference = true);
    ~Benchmark();

    // Prints a line per position and a summary; true when every decision the reference
    // finished agrees.
    bool run(const std::vector<std::string>& positions, std::ostream& out) const;

    // One search's decision and what it cost.
    struct Result {
        bool finished = false;
        std::string position;
        int value = 0;
        int nextRandom[3] = {};
        long long nodes = 0;
        double ms = 0;
    };

private:
    Result fast(const std::string& position, unsigned seed) const;
    Result reference(const std::string& position, unsigned seed, int level) const;
    // The reference at the benchmark's level, or why it was not run (in `skipped`).
    Result referenceWithinLimit(const std::string& position, unsigned seed,
                                std::string& skipped) const;

    EngineFactory m_makeEngine;
    std::unique_ptr<Checkers> m_fastEngine;
    int m_level;
    double m_limitSeconds;
    bool m_withReference;
};
