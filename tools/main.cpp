// checkers-cli: a developer's window into the engine. Output goes to standard output, one item a
// line; a bad call prints one line on standard error and exits with status 2. `pdn` reports each
// game cut short in one line on standard error, reads on, and then exits with status 1.

#include "analysecommand.h"
#include "benchmark.h"
#include "commandline.h"
#include "convert.h"
#include "gamescommand.h"
#include "hintbench.h"
#include "match.h"
#include "openings.h"
#include "perft.h"
#include "positionfile.h"
#include "puzzlecommand.h"
#include "tables.h"

#include "engine/checkers.h"
#include "engine/position.h"
#include "engine/timedsearch.h"
#include "game/atomicfile.h"
#include "game/pdn.h"
#include "game/ruleset.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iomanip>
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
constexpr long long MAX_MOVE_TIME_MS = 3600 * 1000;
constexpr long long DEFAULT_REFERENCE_LIMIT = 60;
constexpr long long MAX_REFERENCE_LIMIT = 24 * 3600;
// Read as a stream, a file of any size takes one game's memory.
constexpr std::size_t ANY_SIZE = std::numeric_limits<std::size_t>::max();
constexpr long long MAX_GAMES = 1000000;
constexpr long long MAX_OPENING_PLIES = 6;

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

// The game before the searched position, from --history: its positions, oldest first, each
// a move before the next and the last one a move before the position searched. On a bad text
// or a position no move leads on from it prints the reason and returns nullopt.
std::optional<SearchHistory> historyFor(const std::string& texts, const Checkers& engine)
{
    std::vector<PackedPosition> positions;
    const std::unique_ptr<Checkers> scratch = ruleset::makeEngine(engine.type());
    std::size_t start = 0;
    while (start <= texts.size()) {
        const std::size_t comma = std::min(texts.find(',', start), texts.size());
        if (!scratch->fromString(texts.substr(start, comma - start))) {
            std::cerr << " (checkers-cli: --history needs positions of 32 cell values from 1 to "
                         "5, separated by commas)\n";
            return std::nullopt;
        }
        positions.push_back(PackedPosition::fromCells(scratch->board, SQUARE_CELLS));
        start = comma + 1;
    }
    positions.push_back(PackedPosition::fromCells(engine.board, SQUARE_CELLS));
    const int broken = SearchHistory::firstUnconnected(engine.rules(), positions);
    if (broken >= 0) {
        usageError("--history: no legal move leads to " +
                   (broken + 1 == static_cast<int>(positions.size())
                        ? std::string("--position")
                        : "position " + std::to_string(broken + 1)) +
                   " from the position before it");
        return std::nullopt;
    }
    return SearchHistory::ofGame(engine.rules(), positions);
}

// A principal variation on one line: engine squares, "-" for a move, "x" for a capture.
std::string variationText(const std::vector<TimedSearch::PlannedMove>& moves)
{
    std::string text;
    for (const TimedSearch::PlannedMove& move : moves) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(move.from) + (move.jumps > 0 ? "x" : "-") + std::to_string(move.to);
    }
    return text;
}

int search(const std::vector<std::string>& words)
{
    CommandLine args(words,
                     {"--rules", "--level", "--movetime", "--position", "--seed", "--history"},
                     {"--reference"});
    const bool timed = args.has("--movetime");
    if (timed && args.has("--level"))
        return usageError("--level and --movetime exclude each other");
    if (timed && args.has("--reference"))
        return usageError("--reference searches a level, not a move time");
    if (!timed && args.has("--history"))
        return usageError("--history needs --movetime: the fixed levels know no history");
    const std::optional<long long> level = args.number("--level", !timed, 1, MAX_LEVEL);
    const std::optional<long long> moveTime = args.number("--movetime", false, 1, MAX_MOVE_TIME_MS);
    const std::optional<long long> seed = args.number("--seed", false, 0, 4294967295LL);
    const std::optional<std::string> historyText = args.text("--history", false);
    std::unique_ptr<Checkers> engine = engineFor(args, true);
    if (!engine)
        return EXIT_USAGE;
    if (!args.ok())
        return usageError(args.error());
    if (historyText) {
        std::optional<SearchHistory> history = historyFor(*historyText, *engine);
        if (!history)
            return EXIT_USAGE;
        engine->history = std::move(*history);
    }
    if (moveTime)
        engine->moveTime = static_cast<int>(*moveTime);
    else
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
    if (moveTime) {
        std::cout << "depth " << engine->finishedDepth() << '\n'
                  << "pv " << variationText(engine->principalVariation()) << '\n';
    }
    return EXIT_SUCCESS;
}

// Grandmaster on each position for the move time: the depth of the last iteration it finished
// and the time it took, then the median and the worst of both (depths of the positions searched
// to the move time, times of all).
int timedBench(Checkers& engine, const std::vector<std::string>& positions, int moveTime)
{
    engine.moveTime = moveTime;
    std::vector<int> depths;
    std::vector<double> times;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        engine.fromString(positions[i]);
        engine.clearSearchTables();
        const auto start = std::chrono::steady_clock::now();
        engine.go2();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        // A single legal move is played without a search, and a proved win or loss ends the
        // search early: only a search the clock ended shows how deep the time reaches. The value
        // cannot tell: a move found lost in an iteration the clock broke off is reported lost.
        if (ms >= moveTime)
            depths.push_back(engine.finishedDepth());
        times.push_back(ms);
        std::cout << "position " << i + 1 << " depth " << engine.finishedDepth() << " nodes "
                  << engine.nodes() << " ms " << std::fixed << std::setprecision(1) << ms << '\n';
    }
    if (depths.empty())
        return usageError("no position searched to its move time");
    // The lower median, and the worst: the shallowest depth, the longest time.
    std::vector<int> sortedDepths = depths;
    std::vector<double> sortedTimes = times;
    std::sort(sortedDepths.begin(), sortedDepths.end());
    std::sort(sortedTimes.begin(), sortedTimes.end());
    std::cout << "positions " << positions.size() << " searched to the move time " << depths.size()
              << '\n'
              << "median depth " << sortedDepths[(depths.size() - 1) / 2] << " ms "
              << sortedTimes[(times.size() - 1) / 2] << '\n'
              << "worst depth " << sortedDepths.front() << " ms " << sortedTimes.back() << '\n';
    return EXIT_SUCCESS;
}

int bench(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--level", "--movetime", "--file", "--reference-limit"},
                     {"--fast-only"});
    const bool timed = args.has("--movetime");
    if (timed && args.has("--level"))
        return usageError("--level and --movetime exclude each other");
    const std::optional<long long> level = args.number("--level", !timed, 1, MAX_LEVEL);
    const std::optional<long long> moveTime = args.number("--movetime", false, 1, MAX_MOVE_TIME_MS);
    const std::optional<long long> limit =
        args.number("--reference-limit", false, 1, MAX_REFERENCE_LIMIT);
    const std::optional<std::string> file = args.text("--file", true);
    std::unique_ptr<Checkers> engine = engineFor(args, false);
    if (!engine)
        return EXIT_USAGE;
    if (!args.ok())
        return usageError(args.error());

    std::vector<std::string> positions;
    if (!PositionFile::read(*file, *engine, positions))
        return EXIT_USAGE;
    const std::string rules = *args.text("--rules", true);
    if (moveTime)
        return timedBench(*engine, positions, static_cast<int>(*moveTime));
    const Benchmark benchmark([rules] { return makeEngine(rules); }, static_cast<int>(*level),
                              static_cast<double>(limit.value_or(DEFAULT_REFERENCE_LIMIT)),
                              !args.has("--fast-only"));
    return benchmark.run(positions, std::cout) ? EXIT_SUCCESS : EXIT_FAILURE;
}

// Replays every game of a PDN file by the rules and prints how each one stands, as each is read:
// the memory it takes is one game's, however long the file. A game cut short (the last one being
// added when the power went, say) is named on standard error and the others are read; the status
// is then 1, for the file is readable but a game in it is lost, which is neither success nor a
// bad call. Any other fault stops the reading with status 2, as before.
int pdn(const std::vector<std::string>& words)
{
    if (words.size() != 1 || words[0].rfind("--", 0) == 0)
        return usageError("pdn takes one argument: the PDN file");
    const std::string& file = words[0];
    std::ifstream in;
    std::string why;
    if (atomicfile::open(file, in, ANY_SIZE, &why) != atomicfile::ReadStatus::OK)
        return usageError(why.empty() ? "cannot read " + file : why);
    int number = 0; // of the games read or cut short, as the reader counts them
    bool torn = false;
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
            },
            [&number, &torn, &file](const Pdn::Error& cut) {
                ++number;
                torn = true;
                std::cout.flush();
                std::cerr << "checkers-cli: " << file << ": " << cut.describe() << '\n';
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
    return torn ? EXIT_FAILURE : EXIT_SUCCESS;
}

// The rule-set code of --rules, or 0 (reported) when it names none.
int rulesCode(CommandLine& args)
{
    const std::optional<std::string> rules = args.text("--rules", true);
    if (!rules)
        return 0;
    if (*rules == "russian")
        return ruleset::RUSSIAN;
    if (*rules == "english")
        return ruleset::ENGLISH;
    return 0;
}

// Plays engine against engine from a file of openings.
int match(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--first", "--second", "--openings", "--games", "--seed"},
                     {});
    const int rules = rulesCode(args);
    const std::optional<std::string> first = args.text("--first", true);
    const std::optional<std::string> second = args.text("--second", true);
    const std::optional<std::string> file = args.text("--openings", true);
    const std::optional<long long> games = args.number("--games", false, 1, MAX_GAMES);
    const std::optional<long long> seed = args.number("--seed", false, 0, 4294967295LL);
    if (!args.ok())
        return usageError(args.error());
    if (rules == 0)
        return usageError("--rules must be russian or english");
    const std::optional<Match::Player> firstPlayer = Match::player(*first);
    const std::optional<Match::Player> secondPlayer = Match::player(*second);
    if (!firstPlayer || !secondPlayer)
        return usageError("a player is level:N (plies, 2 to 20), movetime:MS or depth:N, not '" +
                          (firstPlayer ? *second : *first) + "'");
    std::ifstream in(*file);
    if (!in)
        return usageError("cannot read " + *file);
    Openings openings(rules);
    std::string why;
    if (!openings.read(in, why))
        return usageError(*file + ": " + why);
    const long long count = games.value_or(2 * static_cast<long long>(openings.all().size()));
    Match contest(rules, *firstPlayer, *secondPlayer);
    const unsigned start = static_cast<unsigned>(seed.value_or(1));
    return contest.play(openings, static_cast<int>(count), start, std::cout) ? EXIT_SUCCESS
                                                                             : EXIT_FAILURE;
}

// Every position after a few plies from the start, in the format of a file of openings, each
// with Grandmaster's value for the side to move after a search of --movetime.
int openings(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--plies", "--movetime"}, {});
    const int rules = rulesCode(args);
    const std::optional<long long> plies = args.number("--plies", true, 1, MAX_OPENING_PLIES);
    const std::optional<long long> moveTime = args.number("--movetime", true, 1, MAX_MOVE_TIME_MS);
    if (!args.ok())
        return usageError(args.error());
    if (rules == 0)
        return usageError("--rules must be russian or english");
    Openings derived(rules);
    derived.derive(static_cast<int>(*plies));
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(rules);
    engine->moveTime = static_cast<int>(*moveTime);
    for (const Openings::Opening& opening : derived.all()) {
        engine->clearSearchTables();
        // A forced move is played out first: the engine would answer it without a search.
        GameRecord game = derived.game(opening);
        int sign = 1;
        while (!game.over() && game.legalMoves().all().size() == 1) {
            const GameMove forced = game.legalMoves().all().front();
            game.play(forced);
            sign = -sign;
        }
        int value = game.over() ? -TimedSearch::WIN : 0;
        if (!game.over()) {
            // The engine moves side 2: side 1's position is turned round for it.
            const Position& position = game.position();
            Position seen{};
            for (int square = 0; square < SQUARES; ++square)
                seen[square] = game.sideToMove() == 2 ? position[square]
                                                      : SIDE_SWAP - position[SQUARES - 1 - square];
            placePosition(*engine, seen);
            value = engine->go2();
        }
        std::cout << Openings::line(opening) << " # value " << sign * value << " depth "
                  << engine->finishedDepth() << std::endl;
    }
    return EXIT_SUCCESS;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usageError(
            "no command: give perft, moves, search, bench, hint, match, openings, puzzles, "
            "tables, convert, pdn FILE, games FILE or analyse FILE");
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
    if (command == "match")
        return match(words);
    if (command == "openings")
        return openings(words);
    if (command == "hint")
        return HintBench::command(words);
    if (command == "games")
        return GamesCommand::command(words);
    if (command == "analyse")
        return AnalyseCommand::command(words);
    if (command == "puzzles")
        return PuzzleCommand::command(words);
    if (command == "tables")
        return Tables::command(words);
    if (command == "convert")
        return Convert::command(words);
    return usageError("unknown command '" + command + "'");
}
