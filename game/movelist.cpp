#include "movelist.h"

#include "gamerecord.h"
#include "ruleset.h"

namespace
{

const char MISSING_MOVE[] = "...";
const char REPLY_SEPARATOR[] = "  ";

} // namespace

std::vector<std::string> MoveList::rows(const GameRecord& record)
{
    const int firstSide = record.sideOf(ruleset::firstMover(record.rules()));
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < record.moves().size(); ++i) {
        const std::string text = record.moveText(i);
        if (record.moves()[i].side == firstSide) {
            rows.push_back(std::to_string(rows.size() + 1) + ". " + text);
            continue;
        }
        if (rows.empty())
            rows.push_back(std::string("1. ") + MISSING_MOVE);
        rows.back() += REPLY_SEPARATOR + text;
    }
    return rows;
}
