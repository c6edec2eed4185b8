#include "convert.h"

#include "commandline.h"

#include "engine/checkers.h"
#include "engine/endgametable.h"
#include "engine/position.h"
#include "game/gamehistory.h"
#include "game/gamerecord.h"
#include "game/ruleset.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <random>

namespace
{

constexpr int EXIT_USAGE = 2;
constexpr long long MAX_MOVE_TIME_MS = 60 * 1000;
constexpr long long MAX_COUNT = 10000;
constexpr int MAX_KINGS = 8;
// Random positions tried for each one asked for: some materials have few won positions.
constexpr int TRIES_PER_POSITION = 200;
// The draw rules end every game long before this; it only guards against a fault.
constexpr int PLY_LIMIT = 1000;
constexpr int SIDE_2 = 2;

int usageError(const std::string& message)
{
    std::cerr << "checkers-cli: " << message << '\n';
    return EXIT_USAGE;
}

// "AvB": A kings of Grandmaster's against B of the tables'.
std::optional<std::pair<int, int>> parseMaterial(const std::string& text)
{
    int strong = 0;
    int weak = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dv%d%c", &strong, &weak, &tail) != 2 || strong < 1 ||
        weak < 1 || strong + weak > MAX_KINGS)
        return std::nullopt;
    return std::make_pair(strong, weak);
}

PackedPosition packed(const Position& position)
{
    int squares[SQUARES];
    for (int square = 0; square < SQUARES; ++square)
        squares[square] = square;
    return PackedPosition::fromCells(position.data(), squares);
}

Position unpacked(const PackedPosition& position)
{
    Position result{};
    int squares[SQUARES];
    for (int square = 0; square < SQUARES; ++square)
        squares[square] = square;
    position.toCells(result.data(), squares);
    return result;
}

int pieces(const Position& position)
{
    return static_cast<int>(
        std::count_if(position.begin(), position.end(), [](int cell) { return cell != FREE; }));
}

// The tables' move for side 1: a win as fast as it goes, else a draw, else the longest loss,
// all within the count of plies the draw rules have left.
Position defence(const EndgameTable& tables, const MoveGenerator& generator,
                 const Position& position, int quietPlies)
{
    const PackedPosition turned = packed(position).rotated();
    MoveGenerator::List list;
    generator.generate(turned, list);
    int bestScore = -1;
    PackedPosition best = list.moves[0].reply;
    constexpr int WINNING = 3000;
    constexpr int DRAWING = 2000;
    constexpr int LOSING = 1000;
    for (int i = 0; i < list.count; ++i) {
        const MoveGenerator::Move& move = list.moves[i];
        const int left = tables.limit() - (move.jumps > 0 ? 0 : quietPlies + 1);
        const std::optional<EndgameValue> value = tables.probe(move.reply);
        int score = DRAWING;
        if (value && value->distance <= left) {
            if (value->outcome == EndgameValue::Outcome::LOSS)
                score = WINNING - value->distance;
            else if (value->outcome == EndgameValue::Outcome::WIN)
                score = LOSING + value->distance;
        }
        if (score > bestScore) {
            bestScore = score;
            best = move.reply;
        }
    }
    return unpacked(best);
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

} // namespace

int Convert::command(const std::vector<std::string>& words)
{
    CommandLine args(words,
                     {"--rules", "--material", "--movetime", "--count", "--seed", "--tables"},
                     {"--search-only"});
    const std::optional<std::string> rulesName = args.text("--rules", true);
    const std::optional<std::string> materialText = args.text("--material", true);
    const std::optional<long long> moveTime = args.number("--movetime", false, 1, MAX_MOVE_TIME_MS);
    const std::optional<long long> count = args.number("--count", false, 1, MAX_COUNT);
    const std::optional<long long> seed = args.number("--seed", false, 0, 4294967295LL);
    const std::optional<std::string> directory = args.text("--tables", true);
    if (!args.ok())
        return usageError(args.error());
    const int rules = *rulesName == "russian"   ? ruleset::RUSSIAN
                      : *rulesName == "english" ? ruleset::ENGLISH
                                                : 0;
    if (rules == 0)
        return usageError("--rules must be russian or english");
    const std::optional<std::pair<int, int>> material = parseMaterial(*materialText);
    if (!material)
        return usageError("--material must be kings against kings, as 3v1");
    const MoveGenerator::Rules moveRules =
        rules == ruleset::RUSSIAN ? MoveGenerator::Rules::RUSSIAN : MoveGenerator::Rules::ENGLISH;
    auto tables = std::make_shared<EndgameTable>();
    std::string error;
    if (!tables->open(*directory, moveRules, error))
        return usageError(error);
    MoveGenerator generator;
    generator.setRules(moveRules);

    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(rules);
    engine->moveTime = static_cast<int>(moveTime.value_or(100));
    if (!args.has("--search-only"))
        engine->endgameTable = tables;
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed.value_or(1)));
    std::srand(static_cast<unsigned>(seed.value_or(1)));

    const int wanted = static_cast<int>(count.value_or(40));
    int won = 0, converted = 0, drawn = 0, held = 0;
    for (int tries = 0; tries < wanted * TRIES_PER_POSITION && won < wanted; ++tries) {
        Position start{};
        start.fill(FREE);
        std::vector<int> squares(SQUARES);
        for (int s = 0; s < SQUARES; ++s)
            squares[s] = s;
        std::shuffle(squares.begin(), squares.end(), random);
        for (int k = 0; k < material->first + material->second; ++k)
            start[squares[k]] = k < material->first ? KING2 : KING1;
        const std::optional<EndgameValue> value = tables->probe(packed(start));
        if (!value)
            return usageError("the material is not in the tables");
        const bool winning = value->outcome == EndgameValue::Outcome::WIN;
        if (value->outcome == EndgameValue::Outcome::LOSS || (!winning && drawn >= wanted))
            continue;

        GameRecord game(rules, Colour::White, start, SIDE_2);
        engine->clearSearchTables();
        int quietPlies = 0;
        while (!game.over() && game.moves().size() < static_cast<std::size_t>(PLY_LIMIT)) {
            const Position before = game.position();
            Position after;
            if (game.sideToMove() == SIDE_2) {
                placePosition(*engine, before);
                engine->history = searchHistoryOf(game);
                engine->go2();
                after = positionOf(*engine);
            } else {
                after = defence(*tables, generator, before, quietPlies);
            }
            if (!game.playResulting(after))
                return usageError("a move that is not legal: " + positionText(after));
            quietPlies = pieces(after) < pieces(before) ? 0 : quietPlies + 1;
        }
        const GameResult result = game.result();
        const bool grandmasterWon =
            result != GameResult::DRAW && result != GameResult::ONGOING &&
            (result == GameResult::WHITE_WINS) == (game.colourOf(SIDE_2) == Colour::White);
        const bool grandmasterLost =
            result != GameResult::DRAW && result != GameResult::ONGOING && !grandmasterWon;
        if (winning) {
            ++won;
            converted += grandmasterWon;
        } else {
            ++drawn;
            held += !grandmasterLost;
        }
        std::cout << "position " << won + drawn << " value " << outcomeName(value->outcome) << ' '
                  << value->distance << " result "
                  << (grandmasterWon    ? "win"
                      : grandmasterLost ? "loss"
                                        : "draw")
                  << " reason " << (game.over() ? reasonWord(game.reason()) : "ply-limit")
                  << " plies " << game.moves().size() << std::endl;
    }
    const auto share = [](int part, int whole) {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f%%", whole == 0 ? 0.0 : 100.0 * part / whole);
        return std::string(text);
    };
    std::cout << "won " << won << " converted " << converted << ' ' << share(converted, won) << '\n'
              << "drawn " << drawn << " held " << held << ' ' << share(held, drawn) << '\n';
    return EXIT_SUCCESS;
}
