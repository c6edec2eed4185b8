#include "hintbench.h"

#include "commandline.h"
#include "positionfile.h"

#include "engine/checkers.h"
#include "engine/position.h"
#include "game/gamerecord.h"
#include "game/hint.h"
#include "game/ruleset.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>

namespace
{

constexpr int EXIT_USAGE = 2;
constexpr long long MAX_LEVEL = 30;
constexpr int SIDE_1 = 1;

int usageError(const std::string& message)
{
    std::cerr << "checkers-cli: " << message << '\n';
    return EXIT_USAGE;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int HintBench::command(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--level", "--file"}, {});
    const std::optional<std::string> rulesName = args.text("--rules", true);
    const std::optional<long long> level = args.number("--level", true, 1, MAX_LEVEL);
    const std::optional<std::string> file = args.text("--file", true);
    if (!args.ok())
        return usageError(args.error());
    int rules = 0;
    if (*rulesName == "russian")
        rules = ruleset::RUSSIAN;
    else if (*rulesName == "english")
        rules = ruleset::ENGLISH;
    else
        return usageError("--rules must be russian or english");

    // The game's engine, whose level the hint searches with.
    const std::unique_ptr<Checkers> player = ruleset::makeEngine(rules);
    player->level = static_cast<int>(*level);
    std::vector<std::string> positions;
    if (!PositionFile::read(*file, *player, positions))
        return EXIT_USAGE;
    Hint hint;
    std::vector<double> times;
    std::cout << std::fixed << std::setprecision(1);
    for (const std::string& position : positions) {
        player->fromString(position);
        // Turned round, the position is side 1's to move as it was side 2's.
        player->rotate();
        const GameRecord record(rules, ruleset::firstMover(rules), positionOf(*player), SIDE_1);
        const auto start = std::chrono::steady_clock::now();
        const std::optional<Hint::Suggestion> found = hint.find(record, *player);
        const std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        times.push_back(elapsed.count());
        std::cout << "hint " << times.size() << ' ' << (found ? found->text : "none") << ' '
                  << elapsed.count() << " ms\n";
    }
    if (times.empty())
        return usageError(*file + " holds no position");
    std::cout << "hints " << times.size() << " median " << median(times) << " ms worst "
              << *std::max_element(times.begin(), times.end()) << " ms" << std::endl;
    return EXIT_SUCCESS;
}
