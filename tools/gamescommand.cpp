#include "gamescommand.h"

#include "commandline.h"

#include "game/gamelist.h"
#include "game/gamerecord.h"
#include "game/pdn.h"
#include "game/ruleset.h"
#include "game/savedgame.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>

namespace
{

constexpr int EXIT_USAGE = 2;
constexpr long long MAX_RANDOM_GAMES = 10000000;
// A random game stops here if the rules have not ended it, as a game left unfinished does.
constexpr std::size_t MAX_RANDOM_PLIES = 120;
constexpr int DAYS_A_MONTH = 28;
constexpr int MONTHS = 12;

int usageError(const std::string& message)
{
    std::cerr << "checkers-cli: " << message << '\n';
    return EXIT_USAGE;
}

// Prints `count` games of random legal moves, both rule sets in turn, as games.pdn keeps them:
// the file the list's speed and memory are measured on.
int printRandomGames(long long count)
{
    std::mt19937 random(1);
    for (long long number = 0; number < count; ++number) {
        const int rules = number % 2 ? ruleset::ENGLISH : ruleset::RUSSIAN;
        const Colour side1 = random() % 2 ? Colour::White : Colour::Black;
        GameRecord record(rules, side1);
        while (!record.over() && record.moves().size() < MAX_RANDOM_PLIES) {
            const std::vector<GameMove>& moves = record.legalMoves().all();
            const GameMove chosen = moves[random() % moves.size()];
            record.play(chosen);
        }
        char date[sizeof "2026.12.31"];
        std::snprintf(date, sizeof date, "2026.%02d.%02d",
                      static_cast<int>(1 + number / DAYS_A_MONTH % MONTHS),
                      static_cast<int>(1 + number % DAYS_A_MONTH));
        Pdn::Tags tags;
        tags.date = date;
        tags.white = side1 == Colour::White ? SavedGame::PERSON : SavedGame::COMPUTER;
        tags.black = side1 == Colour::White ? SavedGame::COMPUTER : SavedGame::PERSON;
        std::cout << (number > 0 ? "\n" : "") << Pdn::write(record, tags);
    }
    std::cout.flush();
    return EXIT_SUCCESS;
}

} // namespace

int GamesCommand::command(const std::vector<std::string>& words)
{
    // The archive is the one argument that is neither an option nor its value.
    std::string archive;
    std::vector<std::string> options;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i].rfind("--", 0) == 0) {
            options.push_back(words[i]);
            if ((words[i] == "--folder" || words[i] == "--random") && i + 1 < words.size())
                options.push_back(words[++i]);
        } else if (archive.empty()) {
            archive = words[i];
        } else {
            return usageError("games takes one archive FILE, not also '" + words[i] + "'");
        }
    }
    CommandLine args(options, {"--folder", "--random"}, {"--check"});
    const std::optional<std::string> folder = args.text("--folder", false);
    const std::optional<long long> random = args.number("--random", false, 1, MAX_RANDOM_GAMES);
    if (!args.ok())
        return usageError(args.error());
    if (random && (folder || !archive.empty() || args.has("--check")))
        return usageError("games --random N takes no other argument");
    if (random)
        return printRandomGames(*random);
    if (archive.empty() && !folder)
        return usageError("games takes the archive FILE, a --folder DIR of collections, or both");

    GameList list = GameList::build(archive, folder.value_or(""));
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (args.has("--check"))
            list.check(i);
        const GameList::Entry entry = list.entry(i);
        std::cout << "game " << i + 1 << " file " << list.files()[entry.file] << " offset "
                  << entry.offset << " date " << (entry.date.empty() ? "-" : entry.date)
                  << " white \"" << entry.white << "\" black \"" << entry.black << "\" rules "
                  << entry.rules << " result " << (entry.result.empty() ? "-" : entry.result)
                  << " plies " << entry.plies;
        if (entry.readable())
            std::cout << " ok\n";
        else
            std::cout << " unreadable: " << entry.problem << '\n';
    }
    std::cout << "games " << list.size() << std::endl;
    for (const std::string& problem : list.problems())
        std::cerr << "checkers-cli: " << problem << '\n';
    return list.problems().empty() ? EXIT_SUCCESS : EXIT_FAILURE;
}
