#include "platform/win32/file_read.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "support/temp_dir.h"

namespace {

TEST(FileRead, RefusesWhatIsNotARegularFileOfSaneSizeAndReadsTheRest) {
    tktest::CTempDir dir;
    const std::string fifo = dir.Path() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string plain = dir.Write("plain.txt", "0123456789a");
    const struct {
        std::string path;
        std::uint64_t most;
        const char* said;
    } refused[] = {
        {dir.Path() + "/absent.txt", 100, "does not exist"},
        {plain + "/inside.txt", 100, "does not exist"},
        {dir.Path(), 100, "is a directory"},
        // Neither an endless device nor a pipe without a writer is read, nor waited on.
        {"/dev/zero", 100, "is not a regular file"},
        {fifo, 100, "is not a regular file"},
        {plain, 10, "is 11 bytes, more than the 10"},
    };
    for (const auto& c : refused) {
        std::string contents = "stale";
        std::string error;
        EXPECT_FALSE(platform::ReadWholeFile(c.path, c.most, contents, error)) << c.path;
        EXPECT_EQ(contents, "") << c.path;
        EXPECT_NE(error.find(c.said), std::string::npos) << c.path << ": " << error;
        std::string checked;
        EXPECT_FALSE(platform::CheckReadableFile(c.path, c.most, checked)) << c.path;
        EXPECT_EQ(checked, error) << c.path;
    }

    const std::string bytes("a\0b\r\nc", 6);
    for (const std::string& content : {bytes, std::string()}) {
        std::string contents;
        std::string error;
        EXPECT_TRUE(platform::ReadWholeFile(dir.Write("good.bin", content), content.size(), contents, error)) << error;
        EXPECT_EQ(contents, content);
        EXPECT_TRUE(platform::CheckReadableFile(dir.Path() + "/good.bin", content.size(), error));
    }
}

} // namespace
