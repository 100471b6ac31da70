#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/win32/file_path.h"

namespace {

class FilePath : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "tk_path_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        ASSERT_EQ(mkdir((m_root + "/Data").c_str(), 0700), 0);
        ASSERT_EQ(mkdir((m_root + "/Data/Scripts").c_str(), 0700), 0);
        std::ofstream(m_root + "/Data/Scripts/Init.LUA") << "x";
    }
    void TearDown() override {
        unlink((m_root + "/Data/Scripts/Init.LUA").c_str());
        rmdir((m_root + "/Data/Scripts").c_str());
        rmdir((m_root + "/Data").c_str());
        rmdir(m_root.c_str());
    }
    std::string m_root;
};

TEST_F(FilePath, WindowsNamesResolveToTheFileOnDisk) {
    struct SCase {
        std::string name;
        std::string expected;
    };
    const std::string file = m_root + "/Data/Scripts/Init.LUA";
    const SCase cases[] = {
        {m_root + "/Data/Scripts/Init.LUA", file},
        {m_root + "/Data\\Scripts\\Init.LUA", file},
        {m_root + "/data\\SCRIPTS\\init.lua", file},
        {m_root + "/Data/../DATA/scripts/Init.lua", m_root + "/Data/../Data/Scripts/Init.LUA"},
        {m_root + "/data\\Scripts\\Missing.lua", m_root + "/data/Scripts/Missing.lua"},
        {m_root + "/Nowhere\\Init.LUA", m_root + "/Nowhere/Init.LUA"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(platform::ResolvePath(c.name), c.expected) << c.name;
    }
    EXPECT_TRUE(platform::FileExists(m_root + "\\DATA\\scripts\\INIT.lua"));
    EXPECT_FALSE(platform::FileExists(m_root + "\\DATA\\scripts\\none.lua"));
}

} // namespace
