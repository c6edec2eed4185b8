// Files written whole or not at all, or grown at their end only, through links and with their
// modes, bad files set aside without losing one, and the leftovers of interrupted writes.

#include "game/atomicfile.h"
#include "game/systemcalls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace
{

namespace fs = std::filesystem;
constexpr std::size_t LIMIT = 1 << 20;

// A folder of its own for each test, removed with everything in it.
class Folder
{
public:
    Folder()
    {
        std::string name = ::testing::TempDir() + "atomicfile_XXXXXX";
        m_path = mkdtemp(name.data()) ? name : std::string();
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string file(const std::string& name) const { return m_path + '/' + name; }
    std::vector<std::string> entries(const std::string& sub = "") const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(file(sub)))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_path;
};

std::string contents(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

mode_t modeOf(const std::string& path)
{
    struct stat info {
    };
    return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// Notes the calls that make a write safe, and fails the one at index `failing` with EIO.
class RecordingCalls : public SystemCalls
{
public:
    explicit RecordingCalls(int failing) : m_failing(failing) {}

    std::vector<std::string> log;

    int open(const char* path, int flags, mode_t mode) override
    {
        return fails("open") ? -1 : SystemCalls::open(path, flags, mode);
    }
    ssize_t write(int fd, const void* data, std::size_t size) override
    {
        return fails("write") ? -1 : SystemCalls::write(fd, data, size);
    }
    int fchmod(int fd, mode_t mode) override
    {
        return fails("fchmod " + std::to_string(mode)) ? -1 : SystemCalls::fchmod(fd, mode);
    }
    int fsync(int fd) override { return fails("fsync") ? -1 : SystemCalls::fsync(fd); }
    int rename(const char* from, const char* to) override
    {
        return fails("rename") ? -1 : SystemCalls::rename(from, to);
    }

private:
    bool fails(const std::string& call)
    {
        log.push_back(call);
        if (static_cast<int>(log.size()) - 1 != m_failing)
            return false;
        errno = EIO;
        return true;
    }

    int m_failing;
};

// A file system without hard links.
class NoLinks : public SystemCalls
{
public:
    int link(const char*, const char*) override
    {
        errno = EPERM;
        return -1;
    }
};

// A file system that takes `taken` bytes, then no more: each later write returns 0.
class TakesNoMore : public SystemCalls
{
public:
    explicit TakesNoMore(std::size_t taken) : m_left(taken) {}

    ssize_t write(int fd, const void* data, std::size_t size) override
    {
        const std::size_t now = std::min(size, m_left);
        m_left -= now;
        return now == 0 ? 0 : SystemCalls::write(fd, data, now);
    }

private:
    std::size_t m_left;
};

} // namespace

TEST(AtomicFile, ReplacesTheFileAndLeavesNoTemporary)
{
    Folder folder;
    const std::string path = folder.file("checkers.pdn");
    std::ifstream in;
    EXPECT_EQ(atomicfile::open(path, in, LIMIT), atomicfile::ReadStatus::MISSING);
    ASSERT_TRUE(atomicfile::write(path, "first"));
    ASSERT_TRUE(atomicfile::write(path, "second, longer"));
    ASSERT_EQ(atomicfile::open(path, in, LIMIT), atomicfile::ReadStatus::OK);
    EXPECT_EQ(contents(path), "second, longer");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"checkers.pdn"});
}

TEST(AtomicFile, FailureKeepsTheOldFile)
{
    Folder folder;
    const std::string path = folder.file("checkers.pdn");
    ASSERT_TRUE(atomicfile::write(path, "kept"));
    // A folder in the way of the rename: the write fails and says why.
    const std::string blocked = folder.file("blocked");
    ASSERT_EQ(mkdir(blocked.c_str(), 0755), 0);
    ASSERT_TRUE(atomicfile::write(blocked + "/inner", "x"));
    std::string why;
    EXPECT_FALSE(atomicfile::write(blocked, "new", &why));
    EXPECT_FALSE(why.empty());
    std::remove((blocked + "/inner").c_str());
    rmdir(blocked.c_str());
    EXPECT_FALSE(atomicfile::write(folder.file("no/such/folder"), "x", &why));
    EXPECT_EQ(contents(path), "kept");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"checkers.pdn"});
}

// Every call that makes the write safe happens, in order: the temporary made, given the old
// file's mode, flushed, renamed, the folder opened and flushed. A failure of any but the last two
// leaves the old file and no temporary; a folder that cannot be flushed, the new file.
TEST(AtomicFile, EverySafeguardHappensAndItsFailureIsSeen)
{
    const std::vector<std::string> sequence = {
        "open", "write", "fchmod " + std::to_string(0640), "fsync", "rename", "open", "fsync"};
    for (int failing = -1; failing < static_cast<int>(sequence.size()); ++failing) {
        const bool written = failing == -1 || failing >= 5;
        Folder folder;
        const std::string path = folder.file("checkers.pdn");
        ASSERT_TRUE(atomicfile::write(path, "old"));
        chmod(path.c_str(), 0640);
        RecordingCalls calls(failing);
        std::string why;
        EXPECT_EQ(atomicfile::write(path, "new", &why, calls), written) << failing;
        EXPECT_EQ(contents(path), written ? "new" : "old") << failing;
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"checkers.pdn"}) << failing;
        EXPECT_EQ(modeOf(path) & 07777, 0640u) << failing;
        EXPECT_EQ(why.find(std::strerror(EIO)) != std::string::npos, !written) << why;
        if (failing == -1) {
            EXPECT_EQ(calls.log, sequence);
        }
    }
}

// A new file gets what the umask leaves; an existing one keeps its mode whatever the umask.
TEST(AtomicFile, NewFileFollowsTheUmaskAndOldOneKeepsItsMode)
{
    Folder folder;
    const mode_t oldMask = umask(027);
    const std::string path = folder.file("checkers.pdn");
    EXPECT_TRUE(atomicfile::write(path, "new"));
    EXPECT_EQ(modeOf(path) & 07777, 0640u);
    chmod(path.c_str(), 0604);
    EXPECT_TRUE(atomicfile::write(path, "again"));
    EXPECT_EQ(modeOf(path) & 07777, 0604u);
    umask(oldMask);
}

// A link is written through, even when its file does not exist yet: the file it leads to is
// replaced, or set aside, in its own folder, and the link stays.
TEST(AtomicFile, WritesThroughALink)
{
    Folder folder;
    fs::create_directory(folder.file("sub"));
    const std::string link = folder.file("checkers.pdn");
    fs::create_symlink("sub/real.pdn", link);
    ASSERT_TRUE(atomicfile::write(link, "first"));
    ASSERT_TRUE(atomicfile::write(link, "second"));
    EXPECT_TRUE(S_ISLNK(modeOf(link)));
    EXPECT_EQ(contents(folder.file("sub/real.pdn")), "second");
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"checkers.pdn", "sub"}));
    EXPECT_EQ(folder.entries("sub"), std::vector<std::string>{"real.pdn"});
    // Set aside through the link, the file is kept beside itself and the link stays.
    EXPECT_EQ(atomicfile::setAside(link), folder.file("sub/real.pdn.bad"));
    EXPECT_TRUE(S_ISLNK(modeOf(link)));
}

// Each file set aside is kept: .bad, then .bad.1, .bad.2; also where the file system has no
// hard links.
TEST(AtomicFile, SetAsideKeepsEveryBadFile)
{
    SystemCalls real;
    NoLinks noLinks;
    for (SystemCalls* calls : {&real, static_cast<SystemCalls*>(&noLinks)}) {
        Folder folder;
        const std::string path = folder.file("checkers.pdn");
        for (const char* text : {"first", "second", "third"}) {
            ASSERT_TRUE(atomicfile::write(path, text));
            EXPECT_TRUE(atomicfile::setAside(path, nullptr, *calls));
        }
        EXPECT_EQ(folder.entries(),
                  (std::vector<std::string>{"checkers.pdn.bad", "checkers.pdn.bad.1",
                                            "checkers.pdn.bad.2"}));
        EXPECT_EQ(contents(path + ".bad"), "first");
        EXPECT_EQ(contents(path + ".bad.2"), "third");
        std::string why;
        EXPECT_FALSE(atomicfile::setAside(path, &why, *calls));
        EXPECT_FALSE(why.empty());
    }
}

// Only a regular file named as the write names its temporaries, beside the file the link leads
// to and untouched for a minute, is a leftover.
TEST(AtomicFile, RemovesOnlyItsOwnOldLeftovers)
{
    Folder folder;
    fs::create_directory(folder.file("sub"));
    fs::create_symlink("sub/real.pdn", folder.file("checkers.pdn"));
    const std::vector<std::string> kept = {"other.pdn.saving-Ab3xYz", "real.pdn",
                                           "real.pdn.saving-Fresh1", "real.pdn.saving-Link12",
                                           "real.pdn.saving-Short"};
    std::vector<std::string> all = kept;
    all.push_back("real.pdn.saving-Ab3xYz"); // the only leftover
    const timeval old[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
    for (const std::string& name : all) {
        const std::string path = folder.file("sub/" + name);
        if (name.find("Link") != std::string::npos)
            fs::create_symlink("real.pdn", path);
        else
            std::ofstream(path) << name;
        if (name.find("Fresh") == std::string::npos)
            lutimes(path.c_str(), old);
    }
    EXPECT_EQ(atomicfile::removeLeftovers(folder.file("checkers.pdn")), 1);
    EXPECT_EQ(folder.entries("sub"), kept);
}

TEST(AtomicFile, OpenRefusesWhatIsNoFileOrTooLarge)
{
    Folder folder;
    const std::string path = folder.file("big");
    ASSERT_TRUE(atomicfile::write(path, std::string(100, 'x')));
    std::ifstream in;
    EXPECT_EQ(atomicfile::open(path, in, 99), atomicfile::ReadStatus::UNREADABLE);
    EXPECT_EQ(atomicfile::open(path, in, 100), atomicfile::ReadStatus::OK);
    std::ifstream folderStream;
    EXPECT_EQ(atomicfile::open(folder.file(""), folderStream, LIMIT),
              atomicfile::ReadStatus::UNREADABLE);
}

// Each text goes at the end on a line of its own: after a blank line behind a whole line, right
// after a line cut short. Nothing before it changes; through a link the file it leads to grows;
// a new file gets what the umask leaves, an old one keeps its mode.
TEST(AtomicFile, AppendGrowsTheFileOnALineOfItsOwn)
{
    Folder folder;
    fs::create_directory(folder.file("sub"));
    const std::string link = folder.file("games.pdn");
    const std::string real = folder.file("sub/real.pdn");
    fs::create_symlink("sub/real.pdn", link);
    const mode_t oldMask = umask(027);
    ASSERT_TRUE(atomicfile::append(link, "one\n"));
    umask(oldMask);
    EXPECT_EQ(modeOf(real) & 07777, 0640u);
    chmod(real.c_str(), 0604);
    ASSERT_TRUE(atomicfile::append(link, "two\n"));
    std::ofstream(real, std::ios::app) << "[Event \"cut";
    ASSERT_TRUE(atomicfile::append(link, "three\n"));
    EXPECT_EQ(contents(real), "one\n\ntwo\n[Event \"cut\nthree\n");
    EXPECT_EQ(modeOf(real) & 07777, 0604u);
    EXPECT_TRUE(S_ISLNK(modeOf(link)));
    EXPECT_EQ(folder.entries("sub"), std::vector<std::string>{"real.pdn"});
}

// A file made new: opened, missing, made, written in one write, flushed with its folder. Failing
// any call up to the file's flush fails the append; failing its flush leaves the text written.
TEST(AtomicFile, AppendIsOneFlushedWriteAndItsFailureIsSeen)
{
    const std::vector<std::string> sequence = {"open", "open", "write", "fsync", "open", "fsync"};
    constexpr int FILE_FLUSH = 3;
    for (int failing = -1; failing < static_cast<int>(sequence.size()); ++failing) {
        Folder folder;
        const std::string path = folder.file("games.pdn");
        RecordingCalls calls(failing);
        std::string why;
        const bool added = failing == -1 || failing > FILE_FLUSH;
        EXPECT_EQ(atomicfile::append(path, "new\n", &why, calls), added) << failing;
        EXPECT_EQ(why.find(std::strerror(EIO)) != std::string::npos, !added) << why;
        EXPECT_EQ(contents(path), added || failing == FILE_FLUSH ? "new\n" : "") << failing;
        if (failing == -1) {
            EXPECT_EQ(calls.log, sequence);
        }
    }
}

// A write that takes nothing, at once or after part of the text, fails as a full disk instead of
// being tried for ever: the old file stays and no temporary is left.
TEST(AtomicFile, AWriteThatTakesNothingIsAFullDisk)
{
    for (const std::size_t taken : {0, 3}) {
        Folder folder;
        const std::string path = folder.file("checkers.pdn");
        std::ofstream(path) << "old";
        TakesNoMore calls(taken);
        std::string why;
        EXPECT_FALSE(atomicfile::write(path, "a longer new text", &why, calls)) << taken;
        EXPECT_NE(why.find(std::strerror(ENOSPC)), std::string::npos) << why;
        EXPECT_EQ(contents(path), "old");
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"checkers.pdn"});
        why.clear();
        EXPECT_FALSE(atomicfile::append(path, "added", &why, calls)) << taken;
        EXPECT_NE(why.find(std::strerror(ENOSPC)), std::string::npos) << why;
    }
}
