#include "puzzlecommand.h"

#include "commandline.h"
#include "puzzlemaker.h"

#include "engine/proofsearch.h"
#include "game/atomicfile.h"
#include "game/ruleset.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <limits>
#include <new>

namespace
{

constexpr int EXIT_USAGE = 2;
constexpr long long MAX_COUNT = 100000;
constexpr long long MAX_GAMES = 1000000;
// A book is read a puzzle at a time, whatever its size.
constexpr std::size_t ANY_SIZE = std::numeric_limits<std::size_t>::max();

int usageError(const std::string& message)
{
    std::cerr << "checkers-cli: " << message << '\n';
    return EXIT_USAGE;
}

int make(CommandLine& args)
{
    const std::optional<std::string> rules = args.text("--rules", true);
    const std::optional<long long> count = args.number("--count", true, 1, MAX_COUNT);
    const std::optional<long long> seed = args.number("--seed", false, 0, 4294967295LL);
    const std::optional<long long> games = args.number("--games", false, 1, MAX_GAMES);
    const std::optional<std::string> out = args.text("--out", true);
    const std::optional<std::string> openingsFile = args.text("--openings", false);
    if (!args.ok())
        return usageError(args.error());
    if (*rules != "russian" && *rules != "english")
        return usageError("--rules must be russian or english");
    const int code = *rules == "russian" ? ruleset::RUSSIAN : ruleset::ENGLISH;
    const std::string file = openingsFile.value_or("tools/openings/" + *rules + ".txt");
    std::ifstream in(file);
    if (!in)
        return usageError("cannot read " + file);
    Openings openings(code);
    std::string why;
    if (!openings.read(in, why))
        return usageError(file + ": " + why);

    PuzzleMaker::Settings settings;
    settings.rules = code;
    settings.count = static_cast<int>(*count);
    settings.seed = static_cast<unsigned>(seed.value_or(1));
    settings.maxGames = static_cast<int>(games.value_or(0));
    PuzzleMaker maker(settings);
    const std::vector<Puzzle> puzzles = maker.make(openings, std::cout);
    std::string text;
    for (std::size_t i = 0; i < puzzles.size(); ++i)
        text += (i == 0 ? "" : "\n") + puzzles[i].pdn("Puzzle " + std::to_string(i + 1)) + '\n';
    const PuzzleMaker::Report& report = maker.report();
    std::cout << "games " << report.games << '\n'
              << "positions " << report.positions << '\n'
              << "candidates " << report.candidates << " (" << settings.findPlies
              << " plies) proved " << report.proved << " (" << ProofSearch::PROOF_PLIES
              << " plies) alike " << report.alike << " undecided " << report.undecided << '\n'
              << "kept " << puzzles.size() << " easy " << report.kept[0] << " medium "
              << report.kept[1] << " hard " << report.kept[2] << '\n'
              << "seconds " << std::fixed << std::setprecision(1) << report.seconds << " finding "
              << report.findSeconds << " proving " << report.proveSeconds << std::endl;
    if (!atomicfile::write(*out, text, &why)) {
        std::cerr << "checkers-cli: " << why << '\n';
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}

// Proves the puzzles of a book again, each as it is read.
int verify(CommandLine& args)
{
    const std::optional<std::string> file = args.text("--verify", true);
    const std::optional<long long> sample = args.number("--sample", false, 1, MAX_COUNT);
    if (!args.ok())
        return usageError(args.error());
    // The sample takes every step-th puzzle: the book is counted first.
    long long total = 0;
    long long step = 1;
    if (sample) {
        std::ifstream in;
        if (atomicfile::open(*file, in, ANY_SIZE) == atomicfile::ReadStatus::OK) {
            try {
                Pdn::read(in, Puzzle::fenColour, [&total](const Pdn::Game&) {
                    ++total;
                    return true;
                });
            } catch (const std::bad_alloc&) {
                // The proving pass below reads it again and says so.
            }
        }
        step = std::max(1LL, total / *sample);
    }
    std::ifstream in;
    std::string why;
    if (atomicfile::open(*file, in, ANY_SIZE, &why) != atomicfile::ReadStatus::OK)
        return usageError(why.empty() ? "cannot read " + *file : why);
    std::optional<ProofSearch> search;
    long long number = 0;
    long long checked = 0;
    long long failed = 0;
    std::optional<Pdn::Error> error;
    try {
        error = Pdn::read(in, Puzzle::fenColour, [&](const Pdn::Game& game) {
            ++number;
            if ((number - 1) % step != 0 || (sample && checked >= *sample))
                return true;
            ++checked;
            std::string reason;
            const std::optional<Puzzle> puzzle = Puzzle::fromGame(game, &reason);
            if (puzzle) {
                const MoveGenerator::Rules rules = Puzzle::generatorRules(puzzle->record().rules());
                if (!search || search->rules() != rules)
                    search.emplace(rules);
                if (const std::optional<std::string> fault = puzzle->prove(*search))
                    reason = *fault;
            }
            if (getenv("P19DEBUG"))
                std::cout << "nodes " << search->nodes() << std::endl;
            if (!reason.empty()) {
                ++failed;
                std::cout << "puzzle " << number << " fails: " << reason << std::endl;
            }
            return true;
        });
    } catch (const std::bad_alloc&) {
        return usageError(*file + ": not enough memory to read puzzle " +
                          std::to_string(number + 1));
    }
    if (error)
        return usageError(*file + ": " + error->describe());
    std::cout << "puzzles " << number << " verified " << checked << " failed " << failed << '\n';
    return failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

} // namespace

int PuzzleCommand::command(const std::vector<std::string>& words)
{
    CommandLine args(
        words,
        {"--rules", "--count", "--seed", "--games", "--out", "--openings", "--verify", "--sample"},
        {});
    if (args.has("--verify"))
        return verify(args);
    return make(args);
}
