#include "textprovider.h"

#include <iterator>

const char* const TextProvider::g_rules[] = {"Russian", "English"};
const char* const TextProvider::g_level[] = {"Beginner", "Novice", "Average",    "Good",
                                             "Expert",   "Master", "Grandmaster"};

namespace
{

template <typename Table> const char* entry(const Table& table, unsigned int index)
{
    return index < std::size(table) ? table[index] : nullptr;
}

} // namespace

const char* TextProvider::get_rules_text(unsigned int index)
{
    return entry(g_rules, index);
}

const char* TextProvider::get_level_text(unsigned int index)
{
    return entry(g_level, index);
}
