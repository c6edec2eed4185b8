#include "gamescommand.h"

#include "commandline.h"

#include "game/gamelist.h"

#include <cstdlib>
#include <iostream>
#include <optional>

namespace
{

constexpr int EXIT_USAGE = 2;

int usageError(const std::string& message)
{
    std::cerr << "checkers-cli: " << message << '\n';
    return EXIT_USAGE;
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
            if (words[i] == "--folder" && i + 1 < words.size())
                options.push_back(words[++i]);
        } else if (archive.empty()) {
            archive = words[i];
        } else {
            return usageError("games takes one archive FILE, not also '" + words[i] + "'");
        }
    }
    CommandLine args(options, {"--folder"}, {"--check"});
    const std::optional<std::string> folder = args.text("--folder", false);
    if (!args.ok())
        return usageError(args.error());
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
