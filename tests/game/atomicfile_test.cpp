// Files written whole or not at all, through links and with their modes, bad files set aside
// without losing one, and the leftovers of interrupted writes.

#include "game/atomicfile.h"
#include "game/systemcalls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace
{

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
    ~Folder() { removeAll(m_path); }
    std::string file(const std::string& name) const { return m_path + '/' + name; }
    std::vector<std::string> entries(const std::string& sub = "") const
    {
        std::vector<std::string> names;
        if (DIR* dir = opendir(file(sub).c_str())) {
            while (const dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    names.push_back(name);
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    static void removeAll(const std::string& path)
    {
        struct stat info {
        };
        if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            if (DIR* dir = opendir(path.c_str())) {
                while (const dirent* entry = readdir(dir)) {
                    const std::string name = entry->d_name;
                    if (name != "." && name != "..")
                        removeAll(path + '/' + name);
                }
                closedir(dir);
            }
            rmdir(path.c_str());
        } else {
            unlink(path.c_str());
        }
    }

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

// Sets the umask for its lifetime.
class Umask
{
public:
    explicit Umask(mode_t mask) : m_old(umask(mask)) {}
    ~Umask() { umask(m_old); }

private:
    mode_t m_old;
};

// Notes the calls that make a write safe, and fails the one named with EIO.
class RecordingCalls : public SystemCalls
{
public:
    explicit RecordingCalls(std::string failing = "") : m_failing(std::move(failing)) {}

    std::vector<std::string> log;

    int open(const char* path, int flags, mode_t mode) override
    {
        const bool folder = (flags & O_DIRECTORY) != 0;
        if (fails(folder ? "open folder" : "open"))
            return -1;
        const int fd = SystemCalls::open(path, flags, mode);
        if (folder)
            m_folders.insert(fd);
        return fd;
    }
    int fchmod(int fd, mode_t mode) override
    {
        std::ostringstream octal;
        octal << std::oct << mode;
        return fails("fchmod " + octal.str()) ? -1 : SystemCalls::fchmod(fd, mode);
    }
    int fsync(int fd) override
    {
        return fails(m_folders.count(fd) ? "fsync folder" : "fsync file") ? -1
                                                                          : SystemCalls::fsync(fd);
    }
    int rename(const char* from, const char* to) override
    {
        return fails("rename") ? -1 : SystemCalls::rename(from, to);
    }
    int link(const char* from, const char* to) override
    {
        return fails("link") ? -1 : SystemCalls::link(from, to);
    }

private:
    bool fails(const std::string& call)
    {
        log.push_back(call);
        if (call.rfind(m_failing, 0) != 0 || m_failing.empty())
            return false;
        errno = EIO;
        return true;
    }

    std::string m_failing;
    std::set<int> m_folders;
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

// Every call that makes the write safe happens, in order: the old file's mode given to the
// temporary, the temporary flushed, renamed, the folder flushed. A failure of any but the last
// leaves the old file and no temporary; a folder that cannot be flushed leaves the new file.
TEST(AtomicFile, EverySafeguardHappensAndItsFailureIsSeen)
{
    const std::vector<std::string> sequence = {"open",   "fchmod 640",  "fsync file",
                                               "rename", "open folder", "fsync folder"};
    const struct {
        const char* failing;
        bool written;
    } cases[] = {{"", true},        {"open", false},       {"fchmod", false}, {"fsync file", false},
                 {"rename", false}, {"fsync folder", true}};
    for (const auto& c : cases) {
        Folder folder;
        const std::string path = folder.file("checkers.pdn");
        ASSERT_TRUE(atomicfile::write(path, "old"));
        ASSERT_EQ(chmod(path.c_str(), 0640), 0);
        RecordingCalls calls(c.failing);
        std::string why;
        EXPECT_EQ(atomicfile::write(path, "new", &why, calls), c.written) << c.failing;
        EXPECT_EQ(contents(path), c.written ? "new" : "old") << c.failing;
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"checkers.pdn"}) << c.failing;
        EXPECT_EQ(modeOf(path) & 07777, 0640u) << c.failing;
        if (c.failing[0] == '\0') {
            EXPECT_EQ(calls.log, sequence);
        } else if (!c.written) {
            EXPECT_NE(why.find(std::strerror(EIO)), std::string::npos) << why;
        }
    }
}

// A new file gets what the umask leaves; an existing one keeps its mode whatever the umask.
TEST(AtomicFile, NewFileFollowsTheUmaskAndOldOneKeepsItsMode)
{
    Folder folder;
    const Umask mask(027);
    const std::string path = folder.file("checkers.pdn");
    ASSERT_TRUE(atomicfile::write(path, "new"));
    EXPECT_EQ(modeOf(path) & 07777, 0640u);
    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    ASSERT_TRUE(atomicfile::write(path, "again"));
    EXPECT_EQ(modeOf(path) & 07777, 0604u);
}

// A link is written through, even when its file does not exist yet: the file it leads to is
// replaced, or set aside, in its own folder, and the link stays.
TEST(AtomicFile, WritesThroughALink)
{
    Folder folder;
    ASSERT_EQ(mkdir(folder.file("sub").c_str(), 0755), 0);
    const std::string link = folder.file("checkers.pdn");
    ASSERT_EQ(symlink("sub/real.pdn", link.c_str()), 0);
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
    for (const char* failing : {"", "link"}) {
        Folder folder;
        const std::string path = folder.file("checkers.pdn");
        RecordingCalls calls(failing);
        for (const char* text : {"first", "second", "third"}) {
            ASSERT_TRUE(atomicfile::write(path, text));
            EXPECT_TRUE(atomicfile::setAside(path, nullptr, calls)) << failing;
        }
        EXPECT_EQ(folder.entries(),
                  (std::vector<std::string>{"checkers.pdn.bad", "checkers.pdn.bad.1",
                                            "checkers.pdn.bad.2"}))
            << failing;
        EXPECT_EQ(contents(path + ".bad"), "first");
        EXPECT_EQ(contents(path + ".bad.2"), "third");
        std::string why;
        EXPECT_FALSE(atomicfile::setAside(path, &why, calls));
        EXPECT_FALSE(why.empty());
    }
}

// Only a regular file named as the write names its temporaries, beside the file the link leads
// to and untouched for a minute, is a leftover.
TEST(AtomicFile, RemovesOnlyItsOwnOldLeftovers)
{
    Folder folder;
    ASSERT_EQ(mkdir(folder.file("sub").c_str(), 0755), 0);
    ASSERT_EQ(symlink("sub/real.pdn", folder.file("checkers.pdn").c_str()), 0);
    const std::vector<std::string> kept = {"real.pdn",
                                           "real.pdn.saving-Fresh1",
                                           "real.pdn.saving-Short",
                                           "real.pdn.saving-Ab3x-z",
                                           "real.pdn.backup",
                                           "other.pdn.saving-Ab3xYz",
                                           "real.pdn.saving-Dir123",
                                           "real.pdn.saving-Lnk123"};
    const timeval old[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
    for (const std::string& name : kept) {
        const std::string path = folder.file("sub/" + name);
        if (name == "real.pdn.saving-Dir123")
            ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        else if (name == "real.pdn.saving-Lnk123")
            ASSERT_EQ(symlink("real.pdn", path.c_str()), 0);
        else
            ASSERT_TRUE(atomicfile::write(path, name));
        if (name != "real.pdn.saving-Fresh1")
            lutimes(path.c_str(), old);
    }
    const std::string leftover = folder.file("sub/real.pdn.saving-Ab3xYz");
    ASSERT_TRUE(atomicfile::write(leftover, "torn"));
    ASSERT_EQ(utimes(leftover.c_str(), old), 0);

    EXPECT_EQ(atomicfile::removeLeftovers(folder.file("checkers.pdn")), 1);
    std::vector<std::string> sorted = kept;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(folder.entries("sub"), sorted);
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
