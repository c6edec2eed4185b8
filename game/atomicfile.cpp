#include "atomicfile.h"

#include "systemcalls.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace atomicfile
{

namespace
{

// A temporary is named "<file>.saving-" and six letters or digits: a name no person gives a
// file, so that removeLeftovers takes nothing else.
constexpr const char* TEMPORARY_INFIX = ".saving-";
constexpr const char TAG_LETTERS[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t TAG_LENGTH = 6;
constexpr int CREATE_ATTEMPTS = 100;
constexpr mode_t NEW_FILE_MODE = 0666; // less the umask: a record is no secret
constexpr mode_t PERMISSION_BITS = 07777;
constexpr int MAX_LINKS = 40; // as the kernel follows them
constexpr const char* BAD_SUFFIX = ".bad";
constexpr int MAX_SET_ASIDE = 1000;
constexpr std::time_t LEFTOVER_AGE_SECONDS = 60;

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

std::string nameOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Six letters or digits, different for every attempt and, most likely, every process and moment.
std::string uniqueTag(int attempt)
{
    std::uint64_t bits =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<std::uint64_t>(::getpid()) << 32) ^ static_cast<std::uint64_t>(attempt);
    // The finalizer of splitmix64 spreads every input bit over the letters taken.
    bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ULL;
    bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBULL;
    bits ^= bits >> 31;
    std::string tag;
    for (std::size_t i = 0; i < TAG_LENGTH; ++i) {
        tag += TAG_LETTERS[bits % (sizeof TAG_LETTERS - 1)];
        bits /= sizeof TAG_LETTERS - 1;
    }
    return tag;
}

bool isTemporaryOf(const std::string& entry, const std::string& file)
{
    const std::string prefix = file + TEMPORARY_INFIX;
    return entry.size() == prefix.size() + TAG_LENGTH &&
           entry.compare(0, prefix.size(), prefix) == 0 &&
           entry.find_first_not_of(TAG_LETTERS, prefix.size()) == std::string::npos;
}

// The file a path stands for: the path itself, or where its chain of links ends (a file that
// may not exist yet).
bool resolve(const std::string& path, std::string& file, std::string* error, SystemCalls& calls)
{
    file = path;
    for (int hop = 0; hop <= MAX_LINKS; ++hop) {
        struct stat info {
        };
        if (calls.lstat(file.c_str(), &info) != 0)
            return errno == ENOENT || fail(error, "cannot look at " + file);
        if (!S_ISLNK(info.st_mode))
            return true;
        char target[PATH_MAX];
        const ssize_t length = calls.readlink(file.c_str(), target, sizeof target);
        if (length < 0)
            return fail(error, "cannot read the link " + file);
        if (static_cast<std::size_t>(length) == sizeof target) {
            errno = ENAMETOOLONG;
            return fail(error, "cannot read the link " + file);
        }
        const std::string next(target, static_cast<std::size_t>(length));
        file = next[0] == '/' ? next : folderOf(file) + '/' + next;
    }
    errno = ELOOP;
    return fail(error, "cannot follow the links of " + path);
}

// Writes every byte, going on after short writes and interruptions. A write that takes nothing
// (as some network and FUSE file systems answer when full) would take nothing again: it fails
// as a full disk.
bool writeAll(int fd, const std::string& text, SystemCalls& calls)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = calls.write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// The rename is only durable once the folder's entry is on the disk; a folder that cannot be
// synced (some file systems refuse) leaves the file written all the same.
void syncFolder(const std::string& folder, SystemCalls& calls)
{
    const int fd = calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return;
    calls.fsync(fd);
    calls.close(fd);
}

} // namespace

bool write(const std::string& path, const std::string& text, std::string* error)
{
    SystemCalls calls;
    return write(path, text, error, calls);
}

bool write(const std::string& path, const std::string& text, std::string* error, SystemCalls& calls)
{
    std::string file;
    if (!resolve(path, file, error, calls))
        return false;
    struct stat old {
    };
    const bool replacing = calls.lstat(file.c_str(), &old) == 0;
    // Named before the file changes: running out of memory afterwards would report a write
    // that happened as failed.
    const std::string folder = folderOf(file);

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < CREATE_ATTEMPTS; ++attempt) {
        temporary = file + TEMPORARY_INFIX + uniqueTag(attempt);
        fd = calls.open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NEW_FILE_MODE);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail(error, "cannot create a temporary file beside " + file);

    const bool written = writeAll(fd, text, calls) &&
                         (!replacing || calls.fchmod(fd, old.st_mode & PERMISSION_BITS) == 0) &&
                         calls.fsync(fd) == 0;
    const int writeErrno = errno;
    const bool closed = calls.close(fd) == 0;
    // The temporary goes before the reason is put in words, which takes memory.
    if (!written || !closed) {
        const int reason = written ? errno : writeErrno;
        calls.unlink(temporary.c_str());
        errno = reason;
        return fail(error, "cannot write " + temporary);
    }
    if (calls.rename(temporary.c_str(), file.c_str()) != 0) {
        const int reason = errno;
        calls.unlink(temporary.c_str());
        errno = reason;
        return fail(error, "cannot rename " + temporary + " to " + file);
    }
    syncFolder(folder, calls);
    return true;
}

bool append(const std::string& path, const std::string& text, std::string* error)
{
    SystemCalls calls;
    return append(path, text, error, calls);
}

bool append(const std::string& path, const std::string& text, std::string* error,
            SystemCalls& calls)
{
    std::string file;
    if (!resolve(path, file, error, calls))
        return false;
    // Not blocking: a pipe in the file's place is refused at once instead of waiting for a
    // reader; on a regular file the flag changes nothing.
    constexpr int FLAGS = O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK;
    // Whatever takes memory is made before the file is opened, so that running out of it can
    // neither leak the descriptor nor report text that was added as failed.
    const std::string folder = folderOf(file);
    const std::string separated = '\n' + text;
    bool created = false;
    int fd = calls.open(file.c_str(), FLAGS, 0);
    if (fd < 0 && errno == ENOENT) {
        // Made only when still missing; made meanwhile by someone else, it is opened as it is.
        fd = calls.open(file.c_str(), FLAGS | O_CREAT | O_EXCL, NEW_FILE_MODE);
        created = fd >= 0;
        if (fd < 0 && errno == EEXIST)
            fd = calls.open(file.c_str(), FLAGS, 0);
    }
    if (fd < 0)
        return fail(error, "cannot open " + file + " to add to it");

    struct stat info {
    };
    const bool looked = calls.fstat(fd, &info) == 0;
    if (!looked || !S_ISREG(info.st_mode)) {
        const int reason = errno;
        calls.close(fd);
        errno = reason;
        if (!looked)
            return fail(error, "cannot look at " + file);
        if (error)
            *error = file + " is not a file";
        return false;
    }
    // One buffer, one write: the separator and the text reach the file together.
    const bool written =
        writeAll(fd, info.st_size > 0 ? separated : text, calls) && calls.fsync(fd) == 0;
    const int writeErrno = errno;
    const bool closed = calls.close(fd) == 0;
    if (!written || !closed) {
        errno = written ? errno : writeErrno;
        return fail(error, "cannot add to " + file);
    }
    if (created)
        syncFolder(folder, calls);
    return true;
}

ReadStatus open(const std::string& path, std::ifstream& in, std::size_t maxBytes,
                std::string* error)
{
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
    in.open(path, std::ios::binary);
    if (!in) {
        fail(error, "cannot open " + path);
        return ReadStatus::UNREADABLE;
    }
    return ReadStatus::OK;
}

std::optional<std::string> setAside(const std::string& path, std::string* error)
{
    SystemCalls calls;
    return setAside(path, error, calls);
}

std::optional<std::string> setAside(const std::string& link, std::string* error, SystemCalls& calls)
{
    // The file a link leads to is set aside beside itself; the link stays for the next write.
    std::string path;
    if (!resolve(link, path, error, calls))
        return std::nullopt;
    const std::string folder = folderOf(path); // before the file moves, as write's
    for (int number = 0; number <= MAX_SET_ASIDE; ++number) {
        const std::string name =
            path + BAD_SUFFIX + (number == 0 ? std::string() : '.' + std::to_string(number));
        // A second name made by link() never replaces a file; then the first goes.
        if (calls.link(path.c_str(), name.c_str()) == 0) {
            if (calls.unlink(path.c_str()) != 0) {
                fail(error, "cannot remove " + path);
                calls.unlink(name.c_str());
                return std::nullopt;
            }
            syncFolder(folder, calls);
            return name;
        }
        // Taken, or a file system without hard links: then a rename to a name that is not.
        struct stat info {
        };
        if (calls.lstat(name.c_str(), &info) == 0)
            continue;
        if (calls.rename(path.c_str(), name.c_str()) != 0) {
            fail(error, "cannot rename " + path + " to " + name);
            return std::nullopt;
        }
        syncFolder(folder, calls);
        return name;
    }
    errno = EEXIST;
    fail(error, "cannot set " + path + " aside");
    return std::nullopt;
}

int removeLeftovers(const std::string& path)
{
    SystemCalls calls;
    std::string file;
    if (!resolve(path, file, nullptr, calls))
        return 0;
    const std::string folder = folderOf(file);
    const std::string name = nameOf(file);
    // Closed however the loop is left: running out of memory for a name must not leak it.
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return 0;
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string entryName = entry->d_name;
        if (!isTemporaryOf(entryName, name))
            continue;
        const std::string leftover = folder + '/' + entryName;
        struct stat info {
        };
        if (calls.lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid() && now - info.st_mtime >= LEFTOVER_AGE_SECONDS &&
            calls.unlink(leftover.c_str()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace atomicfile
