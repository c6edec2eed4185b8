#include "puzzle.h"

#include "ruleset.h"

#include "engine/proofsearch.h"

#include <numeric>

namespace
{

constexpr char GOAL_TAG[] = "Goal";
constexpr char PLIES_TAG[] = "Plies";
constexpr char DIFFICULTY_TAG[] = "Difficulty";
constexpr char GOAL_WIN[] = "win";

// Square numbers are cell numbers of a board without a border.
const int* identity()
{
    static const int squares[SQUARES] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                         11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                                         22, 23, 24, 25, 26, 27, 28, 29, 30, 31};
    return squares;
}

std::string tagLine(const std::string& name, const std::string& value)
{
    return '[' + name + " \"" + value + "\"]\n";
}

std::optional<int> smallNumber(const std::string& text, int low, int high)
{
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

Puzzle::Puzzle(GameRecord record, int goal, int plies)
    : m_record(std::move(record)), m_goal(goal),
      m_plies(plies > 0 ? plies : static_cast<int>(m_record.moves().size()))
{
}

Puzzle::Difficulty Puzzle::difficulty() const
{
    if (m_plies <= EASY_PLIES)
        return Difficulty::EASY;
    return m_plies <= MEDIUM_PLIES ? Difficulty::MEDIUM : Difficulty::HARD;
}

Puzzle::Kind Puzzle::kind() const
{
    const std::vector<GameMove>& line = m_record.moves();
    if (!line.empty() && line[0].isCapture())
        return Kind::CAPTURE;
    return line.size() > 1 && line[1].isCapture() ? Kind::SACRIFICE : Kind::QUIET;
}

std::string Puzzle::fen() const
{
    return m_record.notation().fen(m_record.start(), m_record.colourOf(m_record.startSide()));
}

const char* Puzzle::difficultyName(Difficulty difficulty)
{
    switch (difficulty) {
    case Difficulty::EASY:
        return "easy";
    case Difficulty::MEDIUM:
        return "medium";
    default:
        return "hard";
    }
}

std::string Puzzle::pdn(const std::string& event) const
{
    Pdn::Tags tags;
    tags.event = event;
    tags.white = "?";
    tags.black = "?";
    std::string text = Pdn::write(m_record, tags);
    const std::string extra =
        tagLine(GOAL_TAG,
                m_goal >= ProofSearch::WIN ? GOAL_WIN : std::to_string(m_goal / ProofSearch::MAN)) +
        tagLine(PLIES_TAG, std::to_string(m_plies)) +
        tagLine(DIFFICULTY_TAG, difficultyName(difficulty()));
    // The tags end at the first blank line.
    const std::size_t end = text.find("\n\n");
    text.insert(end == std::string::npos ? text.size() : end + 1, extra);
    return text;
}

Colour Puzzle::fenColour(const Pdn::TagValues& tags)
{
    const auto fen = tags.find("FEN");
    return fen != tags.end() && !fen->second.empty() && fen->second[0] == 'B' ? Colour::Black
                                                                              : Colour::White;
}

std::optional<Puzzle> Puzzle::fromGame(const Pdn::Game& game, std::string* why)
{
    const auto fail = [why](const std::string& reason) -> std::optional<Puzzle> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (game.tags.find("FEN") == game.tags.end())
        return fail("no FEN tag: a puzzle sets up its position");
    const GameRecord& record = game.record;
    if (record.startSide() != 1)
        return fail("the FEN's side to move is not the colour it was read for");
    int goal = ProofSearch::WIN;
    if (const auto tag = game.tags.find(GOAL_TAG);
        tag != game.tags.end() && tag->second != GOAL_WIN) {
        const std::optional<int> men = smallNumber(tag->second, 1, MAX_GOAL_MEN);
        if (!men)
            return fail("the Goal tag must be \"win\" or a number of men from 1 to 24");
        goal = *men * ProofSearch::MAN;
    }
    int plies = 0;
    if (const auto tag = game.tags.find(PLIES_TAG); tag != game.tags.end()) {
        const std::optional<int> value = smallNumber(tag->second, 1, 999);
        if (!value)
            return fail("the Plies tag must be a number from 1 to 999");
        plies = *value;
    }
    GameRecord start(record.rules(), record.side1Colour(), record.start(), 1);
    if (start.over())
        return fail("the side to move has no move");
    return Puzzle(record, goal, plies);
}

std::optional<std::string> Puzzle::prove(ProofSearch& search) const
{
    const std::vector<GameMove>& line = m_record.moves();
    if (line.empty())
        return std::string("no main line");
    const PackedPosition start = packed(m_record.start(), 1);
    const ProofSearch::Verdict verdict = search.judge(start, ProofSearch::PROOF_PLIES);
    if (!verdict.puzzle) {
        if (verdict.moves < 2)
            return std::string("a forced move");
        if (verdict.winners == 0)
            return std::string("no first move wins two men");
        if (verdict.winners > 1)
            return std::string("more than one first move wins");
        return std::string("another first move is less than a man worse");
    }
    if (unpacked(verdict.reply, 2) != line.front().after)
        return std::string("the winning first move is not the main line's");
    if (verdict.gain < m_goal)
        return std::string("the solution wins less than the goal");
    return std::nullopt;
}

MoveGenerator::Rules Puzzle::generatorRules(int rulesCode)
{
    return rulesCode == ruleset::RUSSIAN ? MoveGenerator::Rules::RUSSIAN
                                         : MoveGenerator::Rules::ENGLISH;
}

PackedPosition Puzzle::packed(const Position& position, int sideToMove)
{
    const PackedPosition seen = PackedPosition::fromCells(position.data(), identity());
    return sideToMove == 2 ? seen : seen.rotated();
}

Position Puzzle::unpacked(const PackedPosition& packed, int sideToMove)
{
    Position position{};
    (sideToMove == 2 ? packed : packed.rotated()).toCells(position.data(), identity());
    return position;
}
