#pragma once

#include <string>
#include <vector>

class Checkers;

// A file of positions for the benchmarks: one a line in the engine's 32-number form, blank lines
// and lines starting with '#' passed over. Every position is checked on an engine before any is
// searched, so that a bad file is refused whole, naming its first bad line.
class PositionFile
{
public:
    // The positions of `path`, checked with `checker` (whose board it leaves on the last one).
    // False when the file cannot be read or a line is no position, after one line on standard
    // error: for a bad line, the engine's own complaint completed with the file's line number.
    static bool read(const std::string& path, Checkers& checker,
                     std::vector<std::string>& positions);
};
