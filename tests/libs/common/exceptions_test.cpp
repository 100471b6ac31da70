#include "libs/common/exceptions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "libs/common/singleton.h"
#include "support/temp_dir.h"

namespace {

TEST(ExceptionsTest, NamesAndTextsDiffer) {
    const common::CBaseException base("a.cpp", 1);
    const common::COutOfMemException oom("b.cpp", 2);
    EXPECT_STREQ(base.what(), "Base Exception Thrown");
    EXPECT_STREQ(base.GetName(), "Base Exception");
    EXPECT_STREQ(oom.what(), "Out Of Memory !");
    EXPECT_STREQ(oom.GetName(), "Out Of Memory Exception");
}

TEST(ExceptionsTest, ReportsAppendBlocksOldestFirst) {
    tktest::CTempDir dir;
    const std::string saved = common::CBaseException::s_reportFile;
    common::CBaseException::s_reportFile = dir.Write("exception.txt", "earlier\n");
    common::COutOfMemException("alloc.cpp", 48).Report();
    common::CBaseException("net.cpp", 7).Report();
    common::CBaseException::s_reportFile = saved;

    std::ifstream in(dir.Path() + "/exception.txt");
    std::stringstream text;
    text << in.rdbuf();
    const std::string stars(55, '*');
    EXPECT_EQ(text.str(), "earlier\nOut Of Memory Exception Thrown\nIn file: alloc.cpp\nLine #48\n" + stars +
                              "\nBase Exception Thrown\nIn file: net.cpp\nLine #7\n" + stars + "\n");
}

TEST(ExceptionsTest, AReportOnAFullDiskIsSaid) {
    const std::string saved = common::CBaseException::s_reportFile;
    common::CBaseException::s_reportFile = "/dev/full";
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(common::CBaseException("x", 1).Report());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "/dev/full: writing failed (No space left on device); the report is on standard error only\n");
    common::CBaseException::s_reportFile = saved;
}

TEST(ExceptionsTest, UnopenableReportFileIsSkipped) {
    const std::string saved = common::CBaseException::s_reportFile;
    common::CBaseException::s_reportFile = "/nonexistent-dir/exception.txt";
    EXPECT_NO_THROW(common::CBaseException("x", 1).Report());
    common::CBaseException::s_reportFile = saved;
}

struct SCounted {
    SCounted() { ++s_constructed; }
    static inline int s_constructed = 0;
};

TEST(SingletonTest, CreatesOnceAndReturnsTheSameInstance) {
    SCounted& first = common::CSingleton<SCounted>::Instance();
    SCounted& second = common::CSingleton<SCounted>::Instance();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(SCounted::s_constructed, 1);
    common::CSingleton<SCounted>::Destroy();
}

struct SHuge {
    SHuge() { throw std::bad_alloc(); }
};

TEST(SingletonTest, AllocationFailureBecomesOutOfMemory) {
    try {
        common::CSingleton<SHuge>::Instance();
        FAIL() << "no exception";
    } catch (const common::COutOfMemException& failure) {
        EXPECT_EQ(failure.GetLine(), 48);
    }
    EXPECT_FALSE(common::CSingleton<SHuge>::Exists());
}

} // namespace
