#pragma once

#include <string>

// Files a person would miss: written so that a power loss leaves the old file or the new one,
// never a torn one, and read defensively.
namespace atomicfile
{

// Writes text to a temporary file in the same folder, flushes it to the disk and renames it over
// path. False, with the reason in *error when given, on any failure; the old file is then intact.
bool write(const std::string& path, const std::string& text, std::string* error = nullptr);

enum class ReadStatus { OK, MISSING, UNREADABLE };
// Reads the whole file, refusing one larger than maxBytes as UNREADABLE.
ReadStatus read(const std::string& path, std::string& text, std::size_t maxBytes,
                std::string* error = nullptr);

// Renames a bad file to "<path>.bad" (replacing an older one), so that it is kept for a person
// to look at and no longer read. False with the reason on failure.
bool setAside(const std::string& path, std::string* error = nullptr);

} // namespace atomicfile
