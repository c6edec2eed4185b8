#include "tables.h"

#include "commandline.h"

#include "engine/endgamefile.h"
#include "engine/endgamegenerator.h"
#include "engine/endgametable.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <optional>

namespace
{

constexpr int EXIT_USAGE = 2;
constexpr long long MAX_PIECES = 5;
// verify reads every block many times over: on a desktop it may keep them all.
constexpr std::size_t VERIFY_CACHE_BYTES = std::size_t{256} << 20;
constexpr double MIB = 1024.0 * 1024.0;

int usageError(const std::string& message)
{
    std::cerr << "checkers-cli: " << message << '\n';
    return EXIT_USAGE;
}

std::optional<MoveGenerator::Rules> rulesOf(CommandLine& args)
{
    const std::optional<std::string> name = args.text("--rules", true);
    if (name == "english")
        return MoveGenerator::Rules::ENGLISH;
    if (name == "russian")
        return MoveGenerator::Rules::RUSSIAN;
    return std::nullopt;
}

std::string materialName(const EndgameIndex::Material& m)
{
    return std::to_string(m.men) + "m" + std::to_string(m.kings) + "k-" +
           std::to_string(m.otherMen) + "m" + std::to_string(m.otherKings) + "k";
}

// 32 cell values from 1 to 5 (spaces between them allowed), side 2 to move; no man on the row
// where it would be crowned.
std::optional<PackedPosition> parsePosition(const std::string& text)
{
    int cells[SQUARES];
    int squares[SQUARES];
    int n = 0;
    for (const char c : text) {
        if (c == ' ')
            continue;
        if (c < '1' || c > '5' || n == SQUARES)
            return std::nullopt;
        squares[n] = n;
        cells[n++] = c - '0';
    }
    if (n != SQUARES)
        return std::nullopt;
    const PackedPosition position = PackedPosition::fromCells(cells, squares);
    constexpr std::uint32_t ROW_0 = 0x0000000Fu;
    constexpr std::uint32_t ROW_7 = 0xF0000000u;
    if ((position.side2 & ~position.kings & ROW_7) || (position.side1 & ~position.kings & ROW_0))
        return std::nullopt;
    return position;
}

const char* outcomeName(EndgameValue::Outcome outcome)
{
    switch (outcome) {
    case EndgameValue::Outcome::WIN:
        return "win";
    case EndgameValue::Outcome::LOSS:
        return "loss";
    default:
        return "draw";
    }
}

int build(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--pieces", "--kings", "--out"}, {});
    const std::optional<MoveGenerator::Rules> rules = rulesOf(args);
    const std::optional<long long> pieces = args.number("--pieces", true, 2, MAX_PIECES);
    const std::optional<long long> kings = args.number("--kings", false, 2, MAX_PIECES);
    const std::optional<std::string> out = args.text("--out", true);
    if (!args.ok())
        return usageError(args.error());
    if (!rules)
        return usageError("--rules must be russian or english");
    std::error_code ignored;
    std::filesystem::create_directories(*out, ignored);
    const auto start = std::chrono::steady_clock::now();
    EndgameGenerator generator(*rules, static_cast<int>(*pieces),
                               static_cast<int>(kings.value_or(*pieces)));
    generator.build();
    const std::string path = *out + "/" + EndgameFile::fileName(*rules);
    std::string error;
    if (!EndgameFile::write(path, *rules, generator.materials(), generator.values(), error)) {
        std::cerr << "checkers-cli: " << error << '\n';
        return EXIT_FAILURE;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::uint64_t positions = 0;
    for (const std::vector<std::uint8_t>& values : generator.values())
        positions += values.size();
    std::cout << std::fixed << std::setprecision(1) << "materials " << generator.materials().size()
              << '\n'
              << "positions " << positions << '\n'
              << "file " << path << '\n'
              << "mib " << static_cast<double>(std::filesystem::file_size(path)) / MIB << '\n'
              << "seconds " << seconds << '\n';
    return EXIT_SUCCESS;
}

int probe(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--rules", "--position", "--tables"}, {});
    const std::optional<MoveGenerator::Rules> rules = rulesOf(args);
    const std::optional<std::string> text = args.text("--position", true);
    const std::optional<std::string> directory = args.text("--tables", true);
    if (!args.ok())
        return usageError(args.error());
    if (!rules)
        return usageError("--rules must be russian or english");
    const std::optional<PackedPosition> position = parsePosition(*text);
    if (!position)
        return usageError("--position needs 32 cell values from 1 to 5, no man on its last row");
    EndgameTable table;
    std::string error;
    if (!table.open(*directory, *rules, error))
        return usageError(error);
    const std::optional<EndgameValue> value = table.probe(*position);
    if (!value)
        return usageError("the position's material is not in the tables");
    std::cout << "value " << outcomeName(value->outcome) << '\n'
              << "distance " << value->distance << '\n';
    return EXIT_SUCCESS;
}

// Checks one rule set's file; returns the number of wrong values, or -1 when it cannot be read.
long long verifyFile(const std::string& directory, MoveGenerator::Rules rules)
{
    EndgameTable table(VERIFY_CACHE_BYTES);
    std::string error;
    if (!table.open(directory, rules, error)) {
        std::cerr << "checkers-cli: " << error << '\n';
        return -1;
    }
    MoveGenerator generator;
    generator.setRules(rules);
    const auto lookup = [&table](const PackedPosition& reply) {
        const std::optional<EndgameValue> value = table.probe(reply);
        return value ? value->encode() : EndgameGenerator::UNDECIDED;
    };
    long long wrong = 0;
    std::uint64_t checked = 0;
    for (const EndgameFile::Table& entry : table.header().tables) {
        for (std::uint64_t i = 0; i < entry.size; ++i) {
            PackedPosition position;
            if (!EndgameIndex::positionAt(entry.material, i, position))
                continue;
            const std::optional<EndgameValue> stored = table.probe(position);
            if (!stored)
                return -1; // damaged: reported by the table
            const EndgameValue expected = EndgameGenerator::settle(
                EndgameGenerator::summarize(generator, position, lookup), table.limit());
            ++checked;
            if (expected != *stored && ++wrong <= 10)
                std::cerr << "wrong value in " << materialName(entry.material) << " at " << i
                          << ": stored " << outcomeName(stored->outcome) << ' ' << stored->distance
                          << ", moves give " << outcomeName(expected.outcome) << ' '
                          << expected.distance << '\n';
        }
    }
    if (!table.isOpen())
        return -1;
    std::cout << EndgameFile::fileName(rules) << " materials " << table.header().tables.size()
              << " positions " << checked << " wrong " << wrong << '\n';
    return wrong;
}

int verify(const std::vector<std::string>& words)
{
    CommandLine args(words, {"--tables"}, {});
    const std::optional<std::string> directory = args.text("--tables", true);
    if (!args.ok())
        return usageError(args.error());
    int files = 0;
    bool good = true;
    for (const MoveGenerator::Rules rules :
         {MoveGenerator::Rules::ENGLISH, MoveGenerator::Rules::RUSSIAN}) {
        if (!std::filesystem::exists(*directory + "/" + EndgameFile::fileName(rules)))
            continue;
        ++files;
        good = verifyFile(*directory, rules) == 0 && good;
    }
    if (files == 0)
        return usageError("no endgame tables in " + *directory);
    return good ? EXIT_SUCCESS : EXIT_FAILURE;
}

} // namespace

int Tables::command(const std::vector<std::string>& words)
{
    const std::string action = words.empty() ? "" : words.front();
    const std::vector<std::string> rest(words.begin() + (words.empty() ? 0 : 1), words.end());
    if (action == "build")
        return build(rest);
    if (action == "probe")
        return probe(rest);
    if (action == "verify")
        return verify(rest);
    return usageError("tables needs build, probe or verify");
}
