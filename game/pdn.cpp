#include "pdn.h"

#include "ruleset.h"

#include <cctype>
#include <ctime>
#include <memory>

namespace
{

constexpr std::size_t LINE_WIDTH = 79;
constexpr const char* SETUP_TAG = "SetUp";
constexpr const char* FEN_TAG = "FEN";
constexpr const char* GAME_TYPE_TAG = "GameType";
constexpr const char* UNKNOWN_DATE = "????.??.??";
// Result tokens as PDN writes them, and the forms draughts programs use for the same results.
constexpr const char* RESULT_TOKENS[] = {"1-0", "0-1", "1/2-1/2", "*", "2-0", "0-2", "1-1"};

std::string quoted(const std::string& value)
{
    std::string text = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            text += '\\';
        text += c;
    }
    return text + '"';
}

std::string tagLine(const std::string& name, const std::string& value)
{
    return '[' + name + ' ' + quoted(value) + "]\n";
}

// Adds words to the movetext, breaking lines before they grow too long.
class MoveText
{
public:
    void add(const std::string& word)
    {
        if (!m_line.empty() && m_line.size() + 1 + word.size() > LINE_WIDTH) {
            m_text += m_line + '\n';
            m_line.clear();
        }
        if (!m_line.empty())
            m_line += ' ';
        m_line += word;
    }
    std::string text() const { return m_text + m_line + '\n'; }

private:
    std::string m_text;
    std::string m_line;
};

// The move number of a ply: full moves, the first mover's move opening each.
int moveNumber(int plies, bool secondMoverStarts)
{
    return 1 + (plies + (secondMoverStarts ? 1 : 0)) / 2;
}

bool isResultToken(const std::string& word)
{
    for (const char* token : RESULT_TOKENS) {
        if (word == token)
            return true;
    }
    return false;
}

// Splits PDN text into tags and movetext words, one game at a time. Every call moves on by at
// least one character, so no text can make it loop.
class Reader
{
public:
    Reader(const std::string& text, Colour side1Colour) : m_text(text), m_side1Colour(side1Colour)
    {
    }

    Pdn::ReadResult readAll()
    {
        Pdn::ReadResult result;
        while (skipSpace()) {
            ++m_gameNumber;
            if (!readGame(result))
                return result;
        }
        if (m_gameNumber == 0)
            result.error = Pdn::Error{1, 0, "", "no game in the text"};
        return result;
    }

private:
    struct Game {
        std::map<std::string, std::string> tags;
        std::unique_ptr<GameRecord> record;
    };

    bool fail(Pdn::ReadResult& result, int move, const std::string& text, const std::string& reason)
    {
        result.error = Pdn::Error{m_gameNumber, move, text, reason};
        return false;
    }

    // Skips white space, comments, variations, NAGs and escape lines; false at the end.
    bool skipSpace()
    {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_at;
            } else if (c == ';' || (c == '%' && (m_at == 0 || m_text[m_at - 1] == '\n'))) {
                const auto end = m_text.find('\n', m_at);
                m_at = end == std::string::npos ? m_text.size() : end + 1;
            } else {
                return true;
            }
        }
        return false;
    }

    // A comment in braces or a variation in parentheses; false when the text ends inside it.
    bool skipBlock()
    {
        const char open = m_text[m_at];
        const char close = open == '{' ? '}' : ')';
        int depth = 0;
        for (; m_at < m_text.size(); ++m_at) {
            const char c = m_text[m_at];
            if (c == open)
                ++depth;
            else if (c == close && --depth == 0) {
                ++m_at;
                return true;
            } else if (open == '(' && c == '{') {
                if (!skipBlock())
                    return false;
                --m_at; // the loop steps past the comment's last character again
            }
        }
        return false;
    }

    bool readTag(Game& game, Pdn::ReadResult& result)
    {
        ++m_at; // '['
        std::string name;
        while (m_at < m_text.size() &&
               (std::isalnum(static_cast<unsigned char>(m_text[m_at])) || m_text[m_at] == '_'))
            name += m_text[m_at++];
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t'))
            ++m_at;
        if (name.empty() || m_at >= m_text.size() || m_text[m_at] != '"')
            return fail(result, 0, name, "a tag is not [Name \"value\"]");
        ++m_at;
        std::string value;
        bool closed = false;
        while (m_at < m_text.size()) {
            char c = m_text[m_at++];
            if (c == '\\' && m_at < m_text.size()) {
                c = m_text[m_at++];
            } else if (c == '"') {
                closed = true;
                break;
            } else if (c == '\n') {
                break;
            }
            value += c;
        }
        while (closed && m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t'))
            ++m_at;
        if (!closed || m_at >= m_text.size() || m_text[m_at] != ']')
            return fail(result, 0, name, "the tag is not closed");
        ++m_at;
        game.tags[name] = value;
        return true;
    }

    // The record the game's tags ask for, made before its first move is replayed.
    bool startRecord(Game& game, Pdn::ReadResult& result)
    {
        const auto type = game.tags.find(GAME_TYPE_TAG);
        int rules = 0;
        if (type != game.tags.end()) {
            const std::string& value = type->second;
            const std::string digits = value.substr(0, value.find(','));
            if (!digits.empty() && digits.size() <= 2 &&
                digits.find_first_not_of("0123456789") == std::string::npos)
                rules = std::stoi(digits);
        }
        if (!ruleset::known(rules)) {
            return fail(result, 0, type == game.tags.end() ? "" : type->second,
                        "GameType must be 21 (English) or 25 (Russian)");
        }
        const auto fen = game.tags.find(FEN_TAG);
        const auto setUp = game.tags.find(SETUP_TAG);
        const bool fromFen =
            fen != game.tags.end() && (setUp == game.tags.end() || setUp->second != "0");
        if (!fromFen) {
            game.record = std::make_unique<GameRecord>(rules, m_side1Colour);
            return true;
        }
        const Notation notation(rules, m_side1Colour);
        const std::optional<Notation::Fen> position = notation.parseFen(fen->second);
        if (!position)
            return fail(result, 0, fen->second, "the FEN tag is not a position");
        game.record = std::make_unique<GameRecord>(rules, m_side1Colour, position->position,
                                                   position->toMove == m_side1Colour ? 1 : 2);
        return true;
    }

    bool playMove(Game& game, const std::string& word, Pdn::ReadResult& result)
    {
        if (!game.record && !startRecord(game, result))
            return false;
        GameRecord& record = *game.record;
        const bool secondMoverStarts =
            record.colourOf(record.startSide()) != ruleset::firstMover(record.rules());
        const int number = moveNumber(static_cast<int>(record.moves().size()), secondMoverStarts);
        std::string text = word;
        while (!text.empty() && std::string("!?+#").find(text.back()) != std::string::npos)
            text.pop_back();
        const std::optional<Notation::MoveText> move = record.notation().parseMove(text);
        if (!move)
            return fail(result, number, word, "not a move");
        if (record.over())
            return fail(result, number, word, "the game is already over");
        const LegalMoves::Choice choice =
            record.legalMoves().find(move->from, move->landings, move->to, true);
        if (choice.match == LegalMoves::Match::NONE)
            return fail(result, number, word, "not a legal move");
        if (choice.match == LegalMoves::Match::AMBIGUOUS)
            return fail(result, number, word, "ambiguous without its landing squares");
        const GameMove chosen = *choice.move;
        record.play(chosen);
        return true;
    }

    // The word at m_at: up to white space or the start of a comment, variation or tag.
    std::string nextWord()
    {
        const auto start = m_at;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (std::isspace(static_cast<unsigned char>(c)) || c == '{' || c == '(' || c == '[' ||
                c == ';' || c == '}' || c == ')' || c == ']')
                break;
            ++m_at;
        }
        if (m_at == start)
            ++m_at; // a stray closing bracket: taken as a word of its own
        return m_text.substr(start, m_at - start);
    }

    bool readGame(Pdn::ReadResult& result)
    {
        Game game;
        bool inMoves = false;
        while (skipSpace()) {
            const char c = m_text[m_at];
            if (c == '[') {
                if (inMoves)
                    return fail(result, 0, "", "the game has no result at its end");
                if (!readTag(game, result))
                    return false;
                continue;
            }
            inMoves = true;
            if (c == '{' || c == '(') {
                if (!skipBlock())
                    return fail(result, 0, "", "the text ends inside a comment or variation");
                continue;
            }
            std::string word = nextWord();
            if (word[0] == '$' && word.size() > 1 &&
                word.find_first_not_of("0123456789", 1) == std::string::npos)
                continue; // a NAG
            if (isResultToken(word)) {
                if (!game.record && !startRecord(game, result))
                    return false;
                result.games.push_back(Pdn::Game{game.tags, *game.record});
                return true;
            }
            // A move number, "12." or "12...", possibly run together with the move.
            const auto digits = word.find_first_not_of("0123456789");
            if (digits != std::string::npos && digits > 0 && word[digits] == '.') {
                const auto rest = word.find_first_not_of('.', digits);
                if (rest == std::string::npos)
                    continue;
                word = word.substr(rest);
            }
            if (!playMove(game, word, result))
                return false;
        }
        return fail(result, 0, "", "the game has no result at its end");
    }

    const std::string& m_text;
    Colour m_side1Colour;
    std::size_t m_at = 0;
    int m_gameNumber = 0;
};

} // namespace

std::string Pdn::Error::describe() const
{
    std::string text = "game " + std::to_string(game);
    if (moveNumber > 0)
        text += ", move " + std::to_string(moveNumber);
    if (!moveText.empty())
        text += " \"" + moveText + '"';
    return text + ": " + reason;
}

std::string Pdn::write(const GameRecord& record, const Tags& tags)
{
    std::string text = tagLine("Event", tags.event);
    text += tagLine("Date", tags.date.empty() ? UNKNOWN_DATE : tags.date);
    text += tagLine("White", tags.white);
    text += tagLine("Black", tags.black);
    text += tagLine("Result", resultToken(record.result()));
    text += tagLine(GAME_TYPE_TAG, std::to_string(record.rules()));
    const Notation notation = record.notation();
    const int firstSide = record.sideOf(ruleset::firstMover(record.rules()));
    if (record.start() != startPosition() || record.startSide() != firstSide) {
        text += tagLine(SETUP_TAG, "1");
        text += tagLine(FEN_TAG, notation.fen(record.start(), record.colourOf(record.startSide())));
    }
    text += '\n';

    const bool secondMoverStarts = record.startSide() != firstSide;
    MoveText moves;
    int plies = 0;
    for (const GameMove& move : record.moves()) {
        const int number = moveNumber(plies, secondMoverStarts);
        if (move.side == firstSide)
            moves.add(std::to_string(number) + '.');
        else if (plies == 0)
            moves.add(std::to_string(number) + "...");
        moves.add(record.moveText(static_cast<std::size_t>(plies)));
        ++plies;
    }
    moves.add(resultToken(record.result()));
    return text + moves.text();
}

Pdn::ReadResult Pdn::read(const std::string& text, Colour side1Colour)
{
    return Reader(text, side1Colour).readAll();
}

std::string Pdn::today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return UNKNOWN_DATE;
    char date[sizeof "YYYY.MM.DD"];
    if (std::strftime(date, sizeof date, "%Y.%m.%d", &local) == 0)
        return UNKNOWN_DATE;
    return date;
}
