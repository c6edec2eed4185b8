#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>

class SystemCalls;

// Files a person would miss: written so that a power loss leaves the old file or the new one,
// never a torn one, or grown so that it can cut short only what was being added; and read
// defensively. A path that is a symbolic link stands for the file it leads to: that file is
// replaced or grown, in its own folder, and the link stays a link.
namespace atomicfile
{

// Writes text to a temporary file beside the file, flushes it to the disk, gives it the old
// file's permission bits (a new file gets those the umask leaves of 0666), renames it over the
// file and flushes the folder. False, with the reason in *error when given, on any failure; the
// old file is then intact and the temporary gone. `calls` makes the system calls.
bool write(const std::string& path, const std::string& text, std::string* error = nullptr);
bool write(const std::string& path, const std::string& text, std::string* error,
           SystemCalls& calls);

// Adds text at the end of a regular file opened for appending, in one write, and flushes it to
// the disk (and the folder, when the file had to be created) before it returns: the text before
// it is never rewritten, and a power loss can cut short only the text added. When the file is
// not empty a line break goes first, so the text starts on a line of its own even after a line
// that was cut short, and a blank line parts it from a whole line before. A new file gets the
// mode write gives one; an old file keeps its own. False, with the reason in *error when given,
// on any failure; the text may then be there in part, cut short at its end. `calls` makes the
// system calls.
bool append(const std::string& path, const std::string& text, std::string* error = nullptr);
bool append(const std::string& path, const std::string& text, std::string* error,
            SystemCalls& calls);

enum class ReadStatus { OK, MISSING, UNREADABLE };
// Opens the file to be read as a stream, refusing as UNREADABLE what is no regular file or is
// larger than maxBytes.
ReadStatus open(const std::string& path, std::ifstream& in, std::size_t maxBytes,
                std::string* error = nullptr);

// Renames a bad file to "<path>.bad", or to "<path>.bad.1", ".2" and so on when that is taken,
// so that it is kept for a person to look at, is no longer read, and replaces no file set aside
// before (through a link: the file it leads to, beside itself). The name it now has, or nothing
// with the reason in *error.
std::optional<std::string> setAside(const std::string& path, std::string* error = nullptr);
std::optional<std::string> setAside(const std::string& path, std::string* error,
                                    SystemCalls& calls);

// Removes what interrupted writes of `path` left: regular files of this user beside the file
// (or the file its link leads to) named as write names its temporaries, untouched for a minute,
// so that a write still under way elsewhere is spared. The number removed.
int removeLeftovers(const std::string& path);

} // namespace atomicfile
