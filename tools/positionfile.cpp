#include "positionfile.h"

#include "engine/checkers.h"

#include <fstream>
#include <iostream>

bool PositionFile::read(const std::string& path, Checkers& checker,
                        std::vector<std::string>& positions)
{
    std::ifstream in(path);
    if (!in) {
        std::cerr << "checkers-cli: cannot read " << path << '\n';
        return false;
    }
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (line.find_first_not_of(" \t\r") == std::string::npos || line[0] == '#')
            continue;
        if (!checker.fromString(line)) {
            std::cerr << " (checkers-cli: line " << lineNumber << " of " << path
                      << " is not a position)\n";
            return false;
        }
        positions.push_back(line);
    }
    return true;
}
