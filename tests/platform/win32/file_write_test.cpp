#include "platform/win32/file_write.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t Entries(const std::string& dir) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) {
        ++count;
    }
    return count;
}

TEST(ReplaceFile, AFailedWriteLeavesTheOldFileWholeAndNothingBesideIt) {
    tktest::CTempDir dir;
    const std::string path = dir.Write("out.txt", "the good one");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const struct {
        std::string path;
        std::size_t bytes;
        const char* said;
    } failed[] = {
        {path, 10000, "cannot be written (File too large)"}, // the disk fills up half way
        {path + "/below.txt", 10, "cannot be written (Not a directory)"},
        {dir.Path(), 10, "cannot be written (Is a directory)"},
    };
    for (const auto& c : failed) {
        std::string error;
        {
            tktest::CFileSizeLimit full(4096);
            EXPECT_FALSE(platform::ReplaceFile(c.path, std::string(c.bytes, 'x'), error)) << c.path;
        }
        EXPECT_EQ(error, c.said) << c.path;
        EXPECT_EQ(Read(path), "the good one");
        EXPECT_EQ(Entries(dir.Path()), 1u) << "a half-written file was left beside " << c.path;
    }
    // A pipe in the file's place is neither written to nor replaced.
    const std::string pipe = dir.Path() + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string error;
    EXPECT_FALSE(platform::ReplaceFile(pipe, "x", error));
    EXPECT_EQ(error, "cannot be written (not a regular file)");
    struct stat kept {};
    ASSERT_EQ(stat(pipe.c_str(), &kept), 0);
    EXPECT_TRUE(S_ISFIFO(kept.st_mode));
    ASSERT_EQ(std::filesystem::remove(pipe), true);

    ASSERT_TRUE(platform::ReplaceFile(path, "the new one", error)) << error;
    EXPECT_EQ(Read(path), "the new one");
    EXPECT_EQ(Entries(dir.Path()), 1u);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(LogFile, AFullDiskIsToldAndTheLogStops) {
    platform::CLogFile log;
    ASSERT_TRUE(log.Open("/dev/full", platform::CLogFile::EMode::APPEND));
    EXPECT_FALSE(log.Write("a line\n"));
    EXPECT_EQ(log.GetError(), "writing failed (No space left on device)");
    EXPECT_FALSE(log.IsOpen());
    EXPECT_FALSE(log.Write("another\n"));
    EXPECT_FALSE(log.Close()) << "the failure stands";

    tktest::CTempDir dir;
    const std::string path = dir.Write("log.txt", "older\n");
    EXPECT_FALSE(log.Open(path + "/below.txt", platform::CLogFile::EMode::TRUNCATE));
    EXPECT_EQ(log.GetError(), "cannot be written (Not a directory)");
    ASSERT_TRUE(log.Open(path, platform::CLogFile::EMode::APPEND));
    EXPECT_TRUE(log.Write("newer\n"));
    EXPECT_EQ(Read(path), "older\nnewer\n") << "each write reaches the file at once";
    EXPECT_TRUE(log.Close());
    ASSERT_TRUE(log.Open(path, platform::CLogFile::EMode::TRUNCATE));
    EXPECT_EQ(Read(path), "");

    // A write the disk takes only part of is taken back whole.
    ASSERT_TRUE(log.Open(path, platform::CLogFile::EMode::APPEND));
    ASSERT_TRUE(log.Write("whole\n"));
    {
        tktest::CFileSizeLimit full(10);
        EXPECT_FALSE(log.Write("cut short\n"));
    }
    EXPECT_EQ(log.GetError(), "writing failed (File too large)");
    EXPECT_EQ(Read(path), "whole\n");
}

} // namespace
