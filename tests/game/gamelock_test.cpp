// One running copy of the game per kept game: a second copy finds it taken until the first lets
// go, and a folder that allows no lock lets the game be played all the same.

#include "game/gamelock.h"
#include "game/systemcalls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace
{

// A folder of its own, removed with everything in it.
class Folder
{
public:
    Folder()
    {
        std::string name = ::testing::TempDir() + "gamelock_XXXXXX";
        m_path = mkdtemp(name.data()) ? name : std::string();
    }
    ~Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string file(const std::string& name) const { return m_path + '/' + name; }

private:
    std::string m_path;
};

// Fails open or flock with the error given (0: neither fails).
class Refusing : public SystemCalls
{
public:
    Refusing(int openError, int flockError) : m_openError(openError), m_flockError(flockError) {}

    int open(const char* path, int flags, mode_t mode) override
    {
        if (m_openError == 0)
            return SystemCalls::open(path, flags, mode);
        errno = m_openError;
        return -1;
    }
    int flock(int fd, int operation) override
    {
        if (m_flockError == 0)
            return SystemCalls::flock(fd, operation);
        errno = m_flockError;
        return -1;
    }

private:
    int m_openError;
    int m_flockError;
};

} // namespace

// Two copies in one folder: the second finds the game taken; once the first has ended another
// copy has it; a copy in another folder is never kept out.
TEST(GameLock, ASecondCopyFindsTheGameTakenUntilTheFirstEnds)
{
    Folder folder;
    const std::string kept = folder.file("checkers.pdn");
    {
        const GameLock first(kept);
        ASSERT_EQ(first.status(), GameLock::Status::HELD) << first.error();
        const GameLock second(kept);
        EXPECT_EQ(second.status(), GameLock::Status::TAKEN);
        Folder other;
        EXPECT_EQ(GameLock(other.file("checkers.pdn")).status(), GameLock::Status::HELD);
    }
    EXPECT_EQ(GameLock(kept).status(), GameLock::Status::HELD);
    EXPECT_TRUE(std::filesystem::exists(kept + GameLock::SUFFIX));
}

// A lock file that cannot be made, or a file system without locks, is no running copy.
TEST(GameLock, NoLockToBeHadIsNoOtherCopy)
{
    const struct {
        int openError;
        int flockError;
        GameLock::Status status;
    } cases[] = {
        {EACCES, 0, GameLock::Status::UNAVAILABLE},
        {0, ENOLCK, GameLock::Status::UNAVAILABLE},
        {0, EWOULDBLOCK, GameLock::Status::TAKEN},
    };
    for (const auto& c : cases) {
        Folder folder;
        Refusing calls(c.openError, c.flockError);
        const GameLock lock(folder.file("checkers.pdn"), calls);
        EXPECT_EQ(lock.status(), c.status) << c.openError << ' ' << c.flockError;
        EXPECT_NE(lock.error().find(std::strerror(c.openError ? c.openError : c.flockError)),
                  std::string::npos)
            << lock.error();
    }
}
