#pragma once

#include "puzzle.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class PuzzleProgress;

// The puzzles of one rule set, in the order they are offered: the book shipped with the game
// (puzzles/russian.pdn or puzzles/english.pdn), easy ones first, then every other PDN file of
// the folder (a person's own problems, by file name), each puzzle of the rule set that sets up a
// position with its side to move to win. Files are read as streams, a puzzle at a time, and only
// what names and orders a puzzle is kept: a puzzle itself is read again when it is wanted.
class PuzzleBook
{
public:
    struct Entry {
        std::string file; // the file's name within the folder
        int number;       // in its file, from 1
        std::string fen;  // the starting position, which names the puzzle
        Puzzle::Difficulty difficulty;
    };
    // What one book may hold (some 100 bytes each): more is no book a person reads on the reader.
    static constexpr std::size_t MAX_PUZZLES = 5000;
    static constexpr std::size_t MAX_FILES = 100;

    explicit PuzzleBook(int rulesCode);

    // Reads the puzzles of the folder. Returns one line for each file or game that could not
    // be read (the puzzles read before a fault in a file are kept), for the person to be told.
    std::vector<std::string> load(const std::string& folder);

    int rules() const { return m_rules; }
    const std::vector<Entry>& entries() const { return m_entries; }
    // The puzzle of an entry, read from its file; nothing, with the reason in *why, when the
    // file has changed since load() so that it is gone.
    std::optional<Puzzle> puzzle(std::size_t index, std::string* why = nullptr) const;
    // The first puzzle from `from` on (wrapping round) that is neither solved nor skipped; when
    // every one is, the first skipped one; nothing when all are solved or the book is empty.
    std::optional<std::size_t> next(const PuzzleProgress& progress, std::size_t from = 0) const;
    // The progress key of an entry.
    std::string key(std::size_t index) const;

    // The shipped book's file name for the rule set.
    static std::string shippedName(int rulesCode);

private:
    void readFile(const std::string& folder, const std::string& name,
                  std::vector<std::string>& problems);

    int m_rules;
    std::string m_folder;
    std::vector<Entry> m_entries;
};
