#include "match.h"

#include "engine/position.h"
#include "game/gamehistory.h"
#include "game/ruleset.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{

constexpr double Z_95 = 1.96;

std::optional<int> numberAfter(const std::string& spec, const std::string& prefix, int low,
                               int high)
{
    if (spec.compare(0, prefix.size(), prefix) != 0 || spec.size() == prefix.size())
        return std::nullopt;
    const std::string digits = spec.substr(prefix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(digits);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// The position seen from the other side, who then moves as the engine's side 2.
Position turned(const Position& position)
{
    Position result{};
    for (int square = 0; square < SQUARES; ++square)
        result[SQUARES - 1 - square] = SIDE_SWAP - position[square];
    return result;
}

void configure(Checkers& engine, const Match::Player& player)
{
    engine.level = player.level > 0 ? player.level : Match::MIN_LEVEL;
    engine.moveTime = player.moveTime;
    engine.moveDepth = player.depth;
}

std::string percent(double share)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f%%", 100 * share);
    return text;
}

} // namespace

std::optional<Match::Player> Match::player(const std::string& spec)
{
    Player player;
    if (const auto level = numberAfter(spec, "level:", MIN_LEVEL, MAX_LEVEL))
        player.level = *level;
    else if (const auto ms = numberAfter(spec, "movetime:", 1, MAX_MOVE_TIME_MS))
        player.moveTime = *ms;
    else if (const auto depth = numberAfter(spec, "depth:", 1, 64))
        player.depth = *depth;
    else
        return std::nullopt;
    return player;
}

double Match::Score::share() const
{
    return games() == 0 ? 0 : (wins + 0.5 * draws) / games();
}

// The Wilson score interval with the games' own variance (draws make it smaller than a coin's):
// unlike the plain normal interval it stays inside 0 to 1 and is not empty when every game
// ended alike.
Match::Score::Interval Match::Score::interval() const
{
    const int n = games();
    if (n == 0)
        return {0, 1};
    const double mean = share();
    // Each game scores 1, 1/2 or 0.
    const double variance = (wins * (1 - mean) * (1 - mean) + draws * (0.5 - mean) * (0.5 - mean) +
                             losses * mean * mean) /
                            n;
    const double z2 = Z_95 * Z_95;
    const double scale = 1 + z2 / n;
    const double centre = (mean + z2 / (2.0 * n)) / scale;
    const double half = Z_95 * std::sqrt(variance / n + z2 / (4.0 * n * n)) / scale;
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

Match::Match(int rulesCode, const Player& first, const Player& second)
    : m_rules(rulesCode), m_first(first), m_second(second)
{
}

bool Match::play(const Openings& openings, int games, unsigned seed, std::ostream& out)
{
    m_score = Score{};
    const std::unique_ptr<Checkers> first = ruleset::makeEngine(m_rules);
    const std::unique_ptr<Checkers> second = ruleset::makeEngine(m_rules);
    configure(*first, m_first);
    configure(*second, m_second);
    const std::size_t count = openings.all().size();
    for (int g = 0; g < games; ++g) {
        const Openings::Opening& opening = openings.all()[static_cast<std::size_t>(g / 2) % count];
        GameRecord game = openings.game(opening);
        // Engines made for the record seed the generator with the time: seeded after them.
        std::srand(seed + static_cast<unsigned>(g));
        first->clearSearchTables();
        second->clearSearchTables();
        const int firstSide = g % 2 == 0 ? 1 : 2;
        while (!game.over() && game.moves().size() < static_cast<std::size_t>(PLY_LIMIT)) {
            const int side = game.sideToMove();
            Checkers& engine = side == firstSide ? *first : *second;
            placePosition(engine, side == 1 ? turned(game.position()) : game.position());
            engine.history = searchHistoryOf(game);
            engine.go2();
            const Position after = positionOf(engine);
            if (!game.playResulting(side == 1 ? turned(after) : after)) {
                out << "game " << g + 1
                    << ": the engine's move is not legal: " << positionText(after) << '\n';
                return false;
            }
        }
        const Colour firstColour = game.colourOf(firstSide);
        const GameResult result = game.result();
        const char* reason = game.over() ? reasonWord(game.reason()) : "ply-limit";
        if (result == GameResult::ONGOING || result == GameResult::DRAW)
            ++m_score.draws;
        else if ((result == GameResult::WHITE_WINS) == (firstColour == Colour::White))
            ++m_score.wins;
        else
            ++m_score.losses;
        out << "game " << g + 1 << " opening " << g / 2 % count + 1 << " first "
            << (firstColour == Colour::White ? "white" : "black") << " result "
            << resultToken(result == GameResult::ONGOING ? GameResult::DRAW : result) << " reason "
            << reason << " plies " << game.moves().size() << std::endl;
    }
    const Score::Interval interval = m_score.interval();
    out << "wins " << m_score.wins << " draws " << m_score.draws << " losses " << m_score.losses
        << '\n'
        << "score " << percent(m_score.share()) << " interval " << percent(interval.low) << " to "
        << percent(interval.high) << '\n';
    return true;
}
