#include "analysecommand.h"

#include "commandline.h"

#include "game/analyser.h"
#include "game/analysis.h"
#include "game/gamelist.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>

namespace
{

constexpr int EXIT_USAGE = 2;
constexpr long long MAX_MOVE_TIME_MS = 3600 * 1000;
constexpr long long MAX_DEPTH = 64;
constexpr long long MAX_GAME = 1000000000;

int usageError(const std::string& message)
{
    std::cerr << "checkers-cli: " << message << '\n';
    return EXIT_USAGE;
}

} // namespace

int AnalyseCommand::command(const std::vector<std::string>& words)
{
    if (words.empty() || words.front().rfind("--", 0) == 0)
        return usageError("analyse takes the PDN FILE first");
    const std::string file = words.front();
    CommandLine args(std::vector<std::string>(words.begin() + 1, words.end()),
                     {"--game", "--movetime", "--depth"}, {});
    const std::optional<long long> number = args.number("--game", false, 1, MAX_GAME);
    const std::optional<long long> moveTime = args.number("--movetime", false, 1, MAX_MOVE_TIME_MS);
    const std::optional<long long> depth = args.number("--depth", false, 1, MAX_DEPTH);
    if (!args.ok())
        return usageError(args.error());

    if (!std::ifstream(file))
        return usageError("cannot read " + file);
    GameList list;
    list.addFile(file, false);
    if (!list.problems().empty())
        return usageError(list.problems().front());
    const std::size_t index = static_cast<std::size_t>(number.value_or(1) - 1);
    if (index >= list.size())
        return usageError(file + " holds " + std::to_string(list.size()) + " games, not " +
                          std::to_string(index + 1));
    const GameList::Opened opened = list.open(index);
    if (!opened.game)
        return usageError(file + ": game " + std::to_string(index + 1) + ": " + opened.problem);

    Analyser::Limits limits;
    // A depth alone searches to that depth however long it takes: the same result anywhere.
    limits.moveTimeMs = moveTime ? static_cast<int>(*moveTime) : depth ? 0 : Analyser::ANALYSIS_MS;
    limits.depth = depth ? static_cast<int>(*depth) : 0;
    Analysis analysis(opened.game->record);
    Analyser::run(analysis, limits);
    const GameRecord& record = analysis.game();
    for (std::size_t move = 0; move < record.moves().size(); ++move) {
        const Analysis::Verdict& verdict = analysis.verdict(move);
        const std::string mark = Analysis::markText(verdict.mark);
        std::cout << "ply " << move + 1 << " move " << record.moveText(move) << " value "
                  << verdict.value << " best " << verdict.best << " best-value "
                  << verdict.bestValue << " mark " << (mark.empty() ? "-" : mark) << '\n';
    }
    std::cout.flush();
    return EXIT_SUCCESS;
}
