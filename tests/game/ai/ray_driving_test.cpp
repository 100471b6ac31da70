#include "game/ai/ai_ray_driving.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace {

using kelvo::ai::AIRayDriving;
using kelvo::ai::CRaySensor;

TEST(RaySensor, BankDistancesBecomeRatiosWithMissesAndZerosClamped) {
    struct SCase {
        const char* what;
        float left;
        bool leftHit;
        float right;
        bool rightHit;
        double s0;
        double s1;
    };
    const SCase cases[] = {
        {"both banks far", 3.0f, true, 2.5f, true, 1.0, 1.0},
        {"left twice as far", 1.0f, true, 0.5f, true, 2.0, 0.5},
        {"right far", 0.2f, true, 1.0f, true, 0.2, 5.0},
        {"both missed", 0.0f, false, 0.0f, false, 1.0, 1.0},
        {"right missed: far", 1.0f, true, 0.0f, false, 0.0005, 2000.0},
        {"hit at the racer", 0.0f, true, 1.0f, true, 0.01, 100.0},
    };
    for (const SCase& c : cases) {
        const std::vector<double> s = CRaySensor::RatioSample(c.left, c.leftHit, c.right, c.rightHit);
        ASSERT_EQ(s.size(), 2u) << c.what;
        EXPECT_NEAR(s[0], c.s0, c.s0 * 1e-5) << c.what;
        EXPECT_NEAR(s[1], c.s1, c.s1 * 1e-5) << c.what;
        EXPECT_TRUE(std::isfinite(s[0]) && std::isfinite(s[1])) << c.what;
    }
}

TEST(RayDriving, TurnsAwayFromTheNearBankOnlyPastTheThresholds) {
    struct SCase {
        double ratio;
        bool forward;
        bool left;
        bool right;
    };
    const SCase cases[] = {
        {1.0, false, false, false}, {1.5, false, false, false},  {1.5001, true, true, false}, {2.0, true, true, false},
        {0.3, false, false, false}, {0.2999, true, false, true}, {0.2, true, false, true},
    };
    for (const SCase& c : cases) {
        const velm::ai::SDriveInput out = AIRayDriving::Decide({c.ratio, 1.0 / c.ratio});
        EXPECT_EQ(out.m_forward, c.forward) << c.ratio;
        EXPECT_EQ(out.m_left, c.left) << c.ratio;
        EXPECT_EQ(out.m_right, c.right) << c.ratio;
    }
    EXPECT_FALSE(AIRayDriving::Decide({}).Any());
    // Without a racer it asks nothing.
    AIRayDriving driver;
    velm::ai::SDriveInput out;
    out.m_fire = true;
    EXPECT_FALSE(driver.Update(out, {}, {}, 0.1f).Any());
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The window of five lines is the recorder's test in the race world; here, a log that cannot be
// written. A folder that is not there is said at once and no sample is kept.
TEST(RaySensor, ALogThatCannotBeOpenedDropsItsSamples) {
    tktest::CTempDir dir;
    CRaySensor lost(false);
    ::testing::internal::CaptureStderr();
    lost.OpenLog(dir.Path() + "/no/such/dir/TD.txt", 1);
    lost.RecordSample({1.0, 1.0}, {0.0});
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("driving samples are not recorded"), std::string::npos);
    EXPECT_EQ(lost.GetPendingCount(), 0u);
}

// A disk that fills before the run's first window leaves the earlier run's log whole, with
// nothing beside it; once the run has written, the windows it wrote stay whole. Each failure is
// said once and the samples after it are dropped. (The size limit holds for standard error's
// capture too: the lines written are longer than what is said.)
TEST(RaySensor, AFullDiskKeepsTheEarlierLogAndTheWholeWindows) {
    tktest::CTempDir dir;
    const std::string earlier = "1,1 : 0\n";
    const std::string path = dir.Write("TD.txt", earlier);
    const std::vector<double> values(100, 0.125);
    std::string valuesText = "0.125";
    for (int i = 1; i < 100; ++i) {
        valuesText += ",0.125";
    }
    {
        CRaySensor sensor(false);
        sensor.OpenLog(path, 2);
        EXPECT_EQ(Read(path), earlier) << "opening the log leaves the earlier one";
        ::testing::internal::CaptureStderr();
        {
            tktest::CFileSizeLimit full(400);
            for (int i = 0; i < 4; ++i) {
                sensor.RecordSample({2.0, 0.5}, values);
            }
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  path +
                      ": cannot be written (File too large); the driving samples stop here and the earlier file is "
                      "kept\n");
        EXPECT_EQ(sensor.GetPendingCount(), 0u);
    }
    EXPECT_EQ(Read(path), earlier);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);

    CRaySensor sensor(false);
    sensor.OpenLog(path, 1);
    sensor.RecordSample({2.0, 0.5}, values);
    const std::string first = "2,0.5 : " + valuesText + "\n";
    EXPECT_EQ(Read(path), first) << "the first window takes the earlier log's place";
    sensor.RecordSample({1.0, 1.0}, values);
    const std::string both = first + "1,1 : " + valuesText + "\n";
    EXPECT_EQ(Read(path), both);
    ::testing::internal::CaptureStderr();
    {
        tktest::CFileSizeLimit full(both.size() + 300);
        sensor.RecordSample({0.25, 4.0}, values);
        sensor.RecordSample({0.25, 4.0}, values);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              path + ": writing failed (File too large); the driving samples stop here\n");
    EXPECT_EQ(Read(path), both);
}

} // namespace
