#pragma once

// The keys of the settings file checkers.ini. Each holds the index of the chosen entry in the
// settings dialog's list.
namespace SettingsKeys
{

constexpr char RULES[] = "rules";                 // 0 Russian, 1 English
constexpr char LEVEL[] = "level";                 // 0 Beginner .. 5 Master
constexpr char FIRST_MOVE[] = "first_move";       // 0 the person at the keys, else side 2
constexpr char SECOND_PLAYER[] = "second_player"; // 0 the computer, else a second person

} // namespace SettingsKeys
