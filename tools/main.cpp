// checkers-cli: a developer's window into the engine. Output goes to standard output, one item a
// line; a bad call prints one line on standard error and exits with status 2.

#include "benchmark.h"
#include "commandline.h"
#include "hintbench.h"
#include "perft.h"

#include "engine/checkers.h"
#include "game/atomicfile.h"
#include "game/pdn.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace
{

constexpr int EXIT_USAGE = 2;
constexpr long long MAX_PERFT_DEPTH = 20;
constexpr long long MAX_LEVEL = 30;
constexpr long long DEFAULT_REFERENCE_LIMIT = 60;
constexpr long long MAX_REFERENCE_LIMIT = 24 * 3600;
// Read as a stream, a file of any size takes one game's memory.
constexpr std::size_t ANY_SIZE = std::numeric_limits<std::size_t>::max();

int usageError(const std::string& message)
{
    std::cerr << "checkers-cli: " << message << '\n';
    return EXIT_USAGE;
}

std::unique_ptr<Checkers> makeEngine(const std::string& rules)
{
    if (rules == "russian")
        return std::make_unique<RCheckers>();
    if (rules == "english")
        return std::make_unique<ECheckers>();
    return nullptr;
}

std::unique_ptr<Checkers> makeEngine(CommandLine& args)
{
    const std::optional<std::string> rules = args.text("--rules", true);
    return rules ? makeEngine(*rules) : nullptr;
}

// Builds the engine the options name, with the position given. On a bad option or position
// it prints the reason and returns null.
std::unique_ptr<Checkers> engineFor(CommandLine& args, bool positionRequired)
{
    std::unique_ptr<Checkers> engine = makeEngine(args);
    if (!args.ok()) {
        usageError(args.error());
        return nullptr;
    }
    if (!engine) {
        usageError("--rules must be russian or english");
        return nullptr;
    }
    const std::optional<std::string> position = args.text("--position", positionRequired);
    if (!args.ok()) {
        usageError(args.error());
        return nullptr;
    }
    if (position && !engine->fromString(*position)) {
        // The engine has begun the line with its own report of the text.
        std::cerr << " (checkers-cli: --position needs 32 cell values from 1 to 5)\n";
        return nullptr;
    }
    return engine;
}

int perft(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--depth", "--position"}, {});
    const std::optional<long long> depth = args.number("--depth", true, 1, MAX_PERFT_DEPTH);
    std::unique_ptr<Checkers> engine = engineFor(args, false);
    if (!engine)
        return EXIT_USAGE;
    if (!depth)
        return usageError(args.error());
    Perft counter(*engine);
    for (int d = 1; d <= *depth; ++d)
        std::cout << "perft " << d << ' ' << counter.count(d) << std::endl;
    return EXIT_SUCCESS;
}

int moves(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--position", "--side"}, {});
    const std::optional<long long> side = args.number("--side", false, 1, 2);
    std::unique_ptr<Checkers> engine = engineFor(args, true);
    if (!engine)
        return EXIT_USAGE;
    if (!args.ok())
        return usageError(args.error());
    const std::string position = engine->toString(false);
    for (int from = 0; from < SQUARES; ++from) {
        for (int to = 0; to < SQUARES; ++to) {
            engine->fromString(position);
            const bool accepted =
                side.value_or(1) == 1 ? engine->go1(from, to) : engine->go2_human(from, to);
            if (accepted)
                std::cout << from << ' ' << to << ' ' << engine->toString(false) << '\n';
        }
    }
    return EXIT_SUCCESS;
}

int search(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--level", "--position", "--seed"}, {"--reference"});
    const std::optional<long long> level = args.number("--level", true, 1, MAX_LEVEL);
    const std::optional<long long> seed = args.number("--seed", false, 0, 4294967295LL);
    std::unique_ptr<Checkers> engine = engineFor(args, true);
    if (!engine)
        return EXIT_USAGE;
    if (!args.ok())
        return usageError(args.error());
    engine->level = static_cast<int>(*level);
    if (seed)
        std::srand(static_cast<unsigned>(*seed));
    const auto start = std::chrono::steady_clock::now();
    const int value = args.has("--reference") ? engine->go2Reference() : engine->go2();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::cout << "value " << value << '\n'
              << "position " << engine->toString(false) << '\n'
              << "nodes " << engine->nodes() << '\n'
              << "ms " << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()
              << '\n';
    return EXIT_SUCCESS;
}

int bench(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--level", "--file", "--reference-limit"}, {"--fast-only"});
    const std::optional<long long> level = args.number("--level", true, 1, MAX_LEVEL);
    const std::optional<long long> limit =
        args.number("--reference-limit", false, 1, MAX_REFERENCE_LIMIT);
    const std::optional<std::string> file = args.text("--file", true);
    std::unique_ptr<Checkers> engine = engineFor(args, false);
    if (!engine)
        return EXIT_USAGE;
    if (!args.ok())
        return usageError(args.error());

    std::ifstream in(*file);
    if (!in)
        return usageError("cannot read " + *file);
    std::vector<std::string> positions;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (line.find_first_not_of(" \t\r") == std::string::npos || line[0] == '#')
            continue;
        if (!engine->fromString(line)) {
            std::cerr << " (checkers-cli: line " << lineNumber << " of " << *file
                      << " is not a position)\n";
            return EXIT_USAGE;
        }
        positions.push_back(line);
    }
    const std::string rules = *args.text("--rules", true);
    const Benchmark benchmark([rules] { return makeEngine(rules); }, static_cast<int>(*level),
                              static_cast<double>(limit.value_or(DEFAULT_REFERENCE_LIMIT)),
                              !args.has("--fast-only"));
    return benchmark.run(positions, std::cout) ? EXIT_SUCCESS : EXIT_FAILURE;
}

// Replays every game of a PDN file by the rules and prints how each one stands, as each is read:
// the memory it takes is one game's, however long the file.
int pdn(const std::vector<std::string>& words)
{
    if (words.size() != 1 || words[0].rfind("--", 0) == 0)
        return usageError("pdn takes one argument: the PDN file");
    const std::string& file = words[0];
    std::ifstream in;
    std::string why;
    if (atomicfile::open(file, in, ANY_SIZE, &why) != atomicfile::ReadStatus::OK)
        return usageError(why.empty() ? "cannot read " + file : why);
    int number = 0;
    std::optional<Pdn::Error> error;
    try {
        // The notation is the same whichever colour is at the bottom; White is as good as Black.
        error = Pdn::read(
            in, [](const Pdn::TagValues&) { return Colour::White; },
            [&number](const Pdn::Game& game) {
                const GameRecord& record = game.record;
                std::cout << "game " << ++number << '\n'
                          << "moves " << record.moves().size() << '\n'
                          << "result " << resultToken(record.result()) << '\n'
                          << "reason " << reasonWord(record.reason()) << '\n'
                          << "fen "
                          << record.notation().fen(record.position(), record.colourToMove())
                          << '\n';
                return true;
            });
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        return usageError(file + ": game " + std::to_string(number + 1) +
                          ": not enough memory to read it");
    }
    std::cout.flush();
    if (error)
        return usageError(file + ": " + error->describe());
    return EXIT_SUCCESS;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usageError("no command: give perft, moves, search, bench, hint or pdn FILE");
    const std::string command = argv[1];
    const std::vector<std::string> words(argv + 2, argv + argc);
    if (command == "perft")
        return perft(words);
    if (command == "moves")
        return moves(words);
    if (command == "search")
        return search(words);
    if (command == "bench")
        return bench(words);
    if (command == "pdn")
        return pdn(words);
    if (command == "hint")
        return HintBench::command(words);
    return usageError("unknown command '" + command + "'");
}
