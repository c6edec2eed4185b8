// Files written whole or not at all, and bad files set aside.

#include "game/atomicfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
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
    ~Folder()
    {
        for (const std::string& entry : entries())
            std::remove((m_path + '/' + entry).c_str());
        rmdir(m_path.c_str());
    }
    std::string file(const std::string& name) const { return m_path + '/' + name; }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        if (DIR* dir = opendir(m_path.c_str())) {
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
    std::string m_path;
};

} // namespace

TEST(AtomicFile, ReplacesTheFileAndLeavesNoTemporary)
{
    Folder folder;
    const std::string path = folder.file("checkers.pdn");
    std::string text;
    EXPECT_EQ(atomicfile::read(path, text, LIMIT), atomicfile::ReadStatus::MISSING);
    ASSERT_TRUE(atomicfile::write(path, "first"));
    ASSERT_TRUE(atomicfile::write(path, "second, longer"));
    ASSERT_EQ(atomicfile::read(path, text, LIMIT), atomicfile::ReadStatus::OK);
    EXPECT_EQ(text, "second, longer");
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
    std::string text;
    ASSERT_EQ(atomicfile::read(path, text, LIMIT), atomicfile::ReadStatus::OK);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"checkers.pdn"});
}

TEST(AtomicFile, ReadRefusesWhatIsNoFileOrTooLarge)
{
    Folder folder;
    const std::string path = folder.file("big");
    ASSERT_TRUE(atomicfile::write(path, std::string(100, 'x')));
    std::string text = "stale";
    EXPECT_EQ(atomicfile::read(path, text, 99), atomicfile::ReadStatus::UNREADABLE);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(atomicfile::read(folder.file(""), text, LIMIT), atomicfile::ReadStatus::UNREADABLE);
}

TEST(AtomicFile, SetAsideKeepsTheBadFile)
{
    Folder folder;
    const std::string path = folder.file("checkers.pdn");
    ASSERT_TRUE(atomicfile::write(path, "garbage"));
    ASSERT_TRUE(atomicfile::write(path + ".bad", "older garbage"));
    ASSERT_TRUE(atomicfile::setAside(path));
    std::string text;
    EXPECT_EQ(atomicfile::read(path, text, LIMIT), atomicfile::ReadStatus::MISSING);
    ASSERT_EQ(atomicfile::read(path + ".bad", text, LIMIT), atomicfile::ReadStatus::OK);
    EXPECT_EQ(text, "garbage");
    std::string why;
    EXPECT_FALSE(atomicfile::setAside(path, &why));
    EXPECT_FALSE(why.empty());
}
