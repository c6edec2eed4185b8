#include "textprovider.h"

#include <QCoreApplication>

#include <iterator>

namespace
{

const char CONTEXT[] = "TextProvider";

} // namespace

const char* const TextProvider::g_rules[] = {QT_TRANSLATE_NOOP("TextProvider", "Russian"),
                                             QT_TRANSLATE_NOOP("TextProvider", "English")};
const char* const TextProvider::g_level[] = {
    QT_TRANSLATE_NOOP("TextProvider", "Beginner"),   QT_TRANSLATE_NOOP("TextProvider", "Novice"),
    QT_TRANSLATE_NOOP("TextProvider", "Average"),    QT_TRANSLATE_NOOP("TextProvider", "Good"),
    QT_TRANSLATE_NOOP("TextProvider", "Expert"),     QT_TRANSLATE_NOOP("TextProvider", "Master"),
    QT_TRANSLATE_NOOP("TextProvider", "Grandmaster")};

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

QString TextProvider::display(const char* text)
{
    return QCoreApplication::translate(CONTEXT, text);
}
