#include "benchmark.h"

#include "engine/checkers.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <sstream>

namespace
{

constexpr double SKIP_FACTOR = 2.0; // skip when the prediction exceeds the limit this many times
constexpr int MS_PER_SECOND = 1000;

Benchmark::Result timed(Checkers& engine, const std::string& position, int level, unsigned seed,
                        bool reference)
{
    Benchmark::Result result;
    engine.fromString(position);
    engine.level = level;
    std::srand(seed);
    const auto start = std::chrono::steady_clock::now();
    result.value = reference ? engine.go2Reference() : engine.go2();
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    result.ms = elapsed.count();
    for (int& next : result.nextRandom)
        next = std::rand();
    result.position = engine.toString(false);
    result.nodes = engine.nodes();
    result.finished = true;
    return result;
}

// Nodes per second of a search, in thousands.
double kiloNodesPerSecond(long long nodes, double ms)
{
    return ms > 0 ? static_cast<double>(nodes) / ms : 0;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool sameDecision(const Benchmark::Result& a, const Benchmark::Result& b)
{
    return a.position == b.position && a.value == b.value &&
           std::equal(std::begin(a.nextRandom), std::end(a.nextRandom), std::begin(b.nextRandom));
}

// Waits for the child's report at most `seconds`; an unfinished child is killed.
std::string readWithin(int fd, pid_t child, double seconds)
{
    std::string text;
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::chrono::milliseconds(static_cast<long long>(seconds * MS_PER_SECOND));
    char buffer[512];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd pfd{fd, POLLIN, 0};
        if (left <= 0 || poll(&pfd, 1, static_cast<int>(left)) <= 0) {
            kill(child, SIGKILL);
            text.clear();
            break;
        }
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    waitpid(child, nullptr, 0);
    return text;
}

} // namespace

Benchmark::Benchmark(EngineFactory makeEngine, int level, double referenceLimitSeconds,
                     bool withReference)
    : m_makeEngine(std::move(makeEngine)), m_fastEngine(m_makeEngine()), m_level(level),
      m_limitSeconds(referenceLimitSeconds), m_withReference(withReference)
{
}

Benchmark::~Benchmark() = default;

Benchmark::Result Benchmark::fast(const std::string& position, unsigned seed) const
{
    // Empty tables for every position, as at the first move of a game; the memory is the
    // engine's from the start, as in the game.
    m_fastEngine->clearSearchTables();
    return timed(*m_fastEngine, position, m_level, seed, false);
}

Benchmark::Result Benchmark::reference(const std::string& position, unsigned seed, int level) const
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return {};
    }
    if (child == 0) {
        close(fds[0]);
        const std::unique_ptr<Checkers> engine = m_makeEngine();
        const Result r = timed(*engine, position, level, seed, true);
        std::ostringstream report;
        report << r.value << ' ' << r.nodes << ' ' << r.ms << ' ' << r.nextRandom[0] << ' '
               << r.nextRandom[1] << ' ' << r.nextRandom[2] << '\n'
               << r.position << '\n';
        const std::string text = report.str();
        const ssize_t written = write(fds[1], text.data(), text.size());
        _exit(written == static_cast<ssize_t>(text.size()) ? EXIT_SUCCESS : EXIT_FAILURE);
    }
    close(fds[1]);
    const std::string text = readWithin(fds[0], child, m_limitSeconds);
    close(fds[0]);
    Result result;
    std::istringstream in(text);
    if (in >> result.value >> result.nodes >> result.ms >> result.nextRandom[0] >>
        result.nextRandom[1] >> result.nextRandom[2]) {
        in.ignore(1);
        result.finished = static_cast<bool>(std::getline(in, result.position));
    }
    return result;
}

Benchmark::Result Benchmark::referenceWithinLimit(const std::string& position, unsigned seed,
                                                  std::string& skipped) const
{
    constexpr int LOWEST_LEVEL = 2;
    if (m_level - 2 >= LOWEST_LEVEL) {
        // The growth from two levels below to one below predicts the step to this level.
        const Result lower = reference(position, seed, m_level - 2);
        const Result below = lower.finished ? reference(position, seed, m_level - 1) : Result{};
        if (!below.finished) {
            skipped = "skipped (a level below takes more than the limit)";
            return {};
        }
        const double growth = static_cast<double>(below.nodes) / std::max(1LL, lower.nodes);
        const double predictedSeconds = below.ms * growth / MS_PER_SECOND;
        if (predictedSeconds > SKIP_FACTOR * m_limitSeconds) {
            std::ostringstream why;
            why << "skipped (about " << std::fixed << std::setprecision(0) << predictedSeconds
                << " s)";
            skipped = why.str();
            return {};
        }
    }
    const Result result = reference(position, seed, m_level);
    if (!result.finished)
        skipped = "skipped (stopped at the limit)";
    return result;
}

bool Benchmark::run(const std::vector<std::string>& positions, std::ostream& out) const
{
    std::vector<double> ratios;
    std::vector<double> fastTimes;
    double worstMs = 0;
    size_t worstIndex = 0;
    int agreed = 0;
    int compared = 0;
    long long fastNodes = 0;
    double fastMs = 0;
    long long referenceNodes = 0;
    double referenceMs = 0;
    out << std::fixed << std::setprecision(2); // the fast search often takes under a millisecond
    for (size_t i = 0; i < positions.size(); ++i) {
        const unsigned seed = static_cast<unsigned>(i + 1);
        const Result f = fast(positions[i], seed);
        fastTimes.push_back(f.ms);
        fastNodes += f.nodes;
        fastMs += f.ms;
        if (f.ms > worstMs) {
            worstMs = f.ms;
            worstIndex = i + 1;
        }
        out << "position " << i + 1 << " fast " << f.ms << " ms " << f.nodes << " nodes "
            << kiloNodesPerSecond(f.nodes, f.ms) << " kn/s";
        if (!m_withReference) {
            out << std::endl;
            continue;
        }
        out << " reference ";
        std::string skipped;
        const Result r = referenceWithinLimit(positions[i], seed, skipped);
        if (!r.finished) {
            out << skipped << std::endl;
            continue;
        }
        ++compared;
        referenceNodes += r.nodes;
        referenceMs += r.ms;
        const bool agree = sameDecision(f, r);
        agreed += agree;
        const double ratio = r.ms / std::max(f.ms, 0.001);
        ratios.push_back(ratio);
        out << r.ms << " ms " << r.nodes << " nodes " << kiloNodesPerSecond(r.nodes, r.ms)
            << " kn/s ratio " << ratio << (agree ? " agree" : " DIFFER") << std::endl;
    }
    out << "positions " << positions.size() << " references finished " << compared << " agree "
        << agreed << '\n'
        << "median fast " << median(fastTimes) << " ms\n"
        << "worst fast " << worstMs << " ms (position " << worstIndex << ")\n"
        << "median ratio " << median(ratios) << '\n'
        << "nodes/s fast " << kiloNodesPerSecond(fastNodes, fastMs) << " k reference "
        << kiloNodesPerSecond(referenceNodes, referenceMs) << " k\n"
        << "nodes fast " << fastNodes << " (all positions)" << std::endl;
    return agreed == compared;
}
