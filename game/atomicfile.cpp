#include "atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace atomicfile
{

namespace
{

constexpr const char* TEMPORARY_SUFFIX = ".XXXXXX"; // mkstemp's pattern
constexpr const char* BAD_SUFFIX = ".bad";
constexpr mode_t FILE_MODE = 0644; // mkstemp makes 0600; a record is no secret

bool fail(std::string* error, const std::string& what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

std::string folderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes every byte, going on after short writes and interruptions.
bool writeAll(int fd, const std::string& text)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// The rename is only durable once the folder's entry is on the disk; a folder that cannot be
// synced (some file systems refuse) leaves the file written all the same.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool write(const std::string& path, const std::string& text, std::string* error)
{
    std::vector<char> name(path.begin(), path.end());
    name.insert(name.end(), TEMPORARY_SUFFIX, TEMPORARY_SUFFIX + std::strlen(TEMPORARY_SUFFIX));
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return fail(error, "cannot create a temporary file beside " + path);
    const std::string temporary(name.data());
    const bool written = writeAll(fd, text) && ::fchmod(fd, FILE_MODE) == 0 && ::fsync(fd) == 0;
    const int savedErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        errno = written ? errno : savedErrno;
        fail(error, "cannot write " + temporary);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        fail(error, "cannot rename " + temporary + " to " + path);
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}

ReadStatus read(const std::string& path, std::string& text, std::size_t maxBytes,
                std::string* error)
{
    text.clear();
    struct stat info {
    };
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return ReadStatus::MISSING;
        fail(error, "cannot read " + path);
        return ReadStatus::UNREADABLE;
    }
    if (!S_ISREG(info.st_mode)) {
        if (error)
            *error = path + " is not a file";
        return ReadStatus::UNREADABLE;
    }
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        if (error)
            *error = path + " is too large";
        return ReadStatus::UNREADABLE;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail(error, "cannot open " + path);
        return ReadStatus::UNREADABLE;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad() || text.size() > maxBytes) {
        if (error)
            *error = "cannot read " + path;
        text.clear();
        return ReadStatus::UNREADABLE;
    }
    return ReadStatus::OK;
}

bool setAside(const std::string& path, std::string* error)
{
    const std::string bad = path + BAD_SUFFIX;
    if (std::rename(path.c_str(), bad.c_str()) != 0)
        return fail(error, "cannot rename " + path + " to " + bad);
    syncFolder(folderOf(path));
    return true;
}

} // namespace atomicfile
