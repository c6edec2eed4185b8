#include "notation.h"

#include "ruleset.h"

#include <algorithm>
#include <cctype>

namespace
{

constexpr int SIZE = 8;           // fields along an edge of the board
constexpr int ROW_SQUARES = 4;    // dark squares in a row
constexpr char CAPTURE_SEP = 'x'; // between the squares of a capture
constexpr char MOVE_SEP = '-';    // between the squares of a move
constexpr char ALT_CAPTURE_SEP = ':';
constexpr char KING_MARK = 'K';
constexpr char LIST_SEP = ',';
constexpr char SECTION_SEP = ':';

struct Field {
    int row;
    int column;
};

// Where engine square 0..31 is on the board as the engine draws it: row 0 at the top, column 0
// at the left, the bottom-left field dark.
Field fieldOf(int square)
{
    const int row = square / ROW_SQUARES;
    const int column = 2 * (square % ROW_SQUARES) + (row % 2 == 0 ? 1 : 0);
    return {row, column};
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string::size_type begin = 0;
    while (true) {
        const auto end = text.find(separator, begin);
        parts.push_back(text.substr(begin, end == std::string::npos ? end : end - begin));
        if (end == std::string::npos)
            return parts;
        begin = end + 1;
    }
}

} // namespace

Notation::Notation(int rulesCode, Colour bottom) : m_rules(rulesCode), m_bottom(bottom) {}

std::string Notation::squareName(int square) const
{
    if (square < 0 || square >= SQUARES)
        return {};
    if (m_rules == ruleset::ENGLISH) {
        // Numbered from Black's home row, which is at the top when White is at the bottom.
        const int number = m_bottom == Colour::White ? square + 1 : SQUARES - square;
        return std::to_string(number);
    }
    const Field field = fieldOf(square);
    const bool whiteBelow = m_bottom == Colour::White;
    const int file = whiteBelow ? field.column : SIZE - 1 - field.column;
    const int rank = whiteBelow ? SIZE - field.row : field.row + 1;
    return std::string{static_cast<char>('a' + file), static_cast<char>('0' + rank)};
}

int Notation::square(const std::string& name) const
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (int square = 0; square < SQUARES; ++square) {
        if (squareName(square) == lower)
            return square;
    }
    return -1;
}

int Notation::standardIndex(int square) const
{
    if (m_rules == ruleset::ENGLISH)
        return std::stoi(squareName(square)) - 1;
    const std::string name = squareName(square);
    return (name[1] - '1') * SIZE + (name[0] - 'a');
}

std::string Notation::moveText(const GameMove& move, bool withLandings) const
{
    const char separator = move.isCapture() ? CAPTURE_SEP : MOVE_SEP;
    std::string text = squareName(move.from);
    // A capture that comes back to its start would read "e1xe1": its route is all it says.
    const bool circular = move.to == move.from;
    if ((withLandings || circular) && move.isCapture()) {
        for (int landing : move.landings)
            text += separator + squareName(landing);
        if (move.landings.empty() || move.landings.back() != move.to)
            text += separator + squareName(move.to);
        return text;
    }
    return text + separator + squareName(move.to);
}

std::optional<Notation::MoveText> Notation::parseMove(const std::string& text) const
{
    std::string lower = trimmed(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto separatorAt =
        lower.find_first_of(std::string{MOVE_SEP, CAPTURE_SEP, ALT_CAPTURE_SEP});
    if (separatorAt == std::string::npos)
        return std::nullopt;
    const char separator = lower[separatorAt];
    const std::vector<std::string> parts = split(lower, separator);
    if (parts.size() < 2)
        return std::nullopt;
    MoveText move;
    move.capture = separator != MOVE_SEP;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const int square = this->square(parts[i]);
        if (square < 0)
            return std::nullopt; // also a mixture of separators, which leaves one in a part
        if (i == 0)
            move.from = square;
        else if (i + 1 == parts.size())
            move.to = square;
        else
            move.landings.push_back(square);
    }
    return move;
}

std::string Notation::fen(const Position& position, Colour toMove) const
{
    const auto list = [&](Colour colour) {
        const bool bottom = colour == m_bottom;
        const int man = bottom ? MAN1 : MAN2;
        const int king = bottom ? KING1 : KING2;
        std::vector<std::pair<int, std::string>> pieces;
        for (int square = 0; square < SQUARES; ++square) {
            if (position[square] == man)
                pieces.emplace_back(standardIndex(square), squareName(square));
            else if (position[square] == king)
                pieces.emplace_back(standardIndex(square), KING_MARK + squareName(square));
        }
        std::sort(pieces.begin(), pieces.end());
        std::string text;
        for (const auto& piece : pieces) {
            if (!text.empty())
                text += LIST_SEP;
            text += piece.second;
        }
        return text;
    };
    const char mover = toMove == Colour::White ? 'W' : 'B';
    return std::string{mover} + SECTION_SEP + 'W' + list(Colour::White) + SECTION_SEP + 'B' +
           list(Colour::Black);
}

std::optional<Notation::Fen> Notation::parseFen(const std::string& text) const
{
    std::string body = trimmed(text);
    if (!body.empty() && body.back() == '.')
        body.pop_back();
    const std::vector<std::string> sections = split(body, SECTION_SEP);
    if (sections.empty() || sections.size() > 3)
        return std::nullopt;
    Fen fen;
    const std::string mover = trimmed(sections[0]);
    if (mover != "W" && mover != "B")
        return std::nullopt;
    fen.toMove = mover == "W" ? Colour::White : Colour::Black;
    fen.position.fill(FREE);
    bool seen[2] = {false, false};
    for (std::size_t s = 1; s < sections.size(); ++s) {
        const std::string section = trimmed(sections[s]);
        if (section.empty() || (section[0] != 'W' && section[0] != 'B'))
            return std::nullopt;
        const Colour colour = section[0] == 'W' ? Colour::White : Colour::Black;
        bool& once = seen[colour == Colour::White ? 0 : 1];
        if (once)
            return std::nullopt;
        once = true;
        const bool bottom = colour == m_bottom;
        const std::string list = trimmed(section.substr(1));
        if (list.empty())
            continue;
        for (std::string item : split(list, LIST_SEP)) {
            item = trimmed(item);
            const bool king = !item.empty() && item[0] == KING_MARK;
            if (king)
                item = item.substr(1);
            std::vector<int> squares;
            const auto dash = item.find(MOVE_SEP);
            if (dash != std::string::npos && m_rules == ruleset::ENGLISH) {
                const int first = square(item.substr(0, dash));
                const int last = square(item.substr(dash + 1));
                if (first < 0 || last < 0)
                    return std::nullopt;
                const int low = std::stoi(squareName(first));
                const int high = std::stoi(squareName(last));
                if (low > high)
                    return std::nullopt;
                for (int number = low; number <= high; ++number)
                    squares.push_back(square(std::to_string(number)));
            } else {
                const int one = square(item);
                if (one < 0)
                    return std::nullopt;
                squares.push_back(one);
            }
            for (int square : squares) {
                if (fen.position[square] != FREE)
                    return std::nullopt; // a square named twice
                const int row = square / ROW_SQUARES;
                const int crowningRow = bottom ? 0 : SIZE - 1;
                if (!king && row == crowningRow)
                    return std::nullopt; // a man would have been crowned there
                fen.position[square] = king ? (bottom ? KING1 : KING2) : (bottom ? MAN1 : MAN2);
            }
        }
    }
    return fen;
}
