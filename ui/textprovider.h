#pragma once

#include <QString>

// The display names of the rule sets and the skill levels, by the index stored in the settings
// file. The orders match the main window's tables of rule-set codes and search depths.
class TextProvider
{
public:
    static const char* const g_rules[];
    static const char* const g_level[];

    // The name of rule set `index`, or nullptr past the last one.
    static const char* get_rules_text(unsigned int index);
    // The name of skill level `index`, or nullptr past the last one.
    static const char* get_level_text(unsigned int index);
    // A name from the tables as a person reads it, in the language of the program.
    static QString display(const char* text);
};
