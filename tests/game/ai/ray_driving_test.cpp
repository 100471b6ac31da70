#include "game/ai/ai_ray_driving.h"

#include <gtest/gtest.h>

#include <cmath>

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

// The window of five lines is the recorder's test in the race world; here, a log that cannot
// be opened.
TEST(RaySensor, ALogThatCannotBeOpenedDropsItsSamples) {
    tktest::CTempDir dir;
    CRaySensor lost(false);
    lost.OpenLog(dir.Path() + "/no/such/dir/TD.txt", 1);
    lost.RecordSample({1.0, 1.0}, {0.0});
    EXPECT_EQ(lost.GetPendingCount(), 0u);

    // On a full disk the first window that fails is said, once; the samples after it are dropped.
    CRaySensor full(false);
    full.OpenLog("/dev/full", 1);
    ::testing::internal::CaptureStderr();
    full.RecordSample({1.0, 1.0}, {0.0});
    full.RecordSample({1.0, 1.0}, {0.0});
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "/dev/full: writing failed (No space left on device); the driving samples stop here\n");
    EXPECT_EQ(full.GetPendingCount(), 0u);
}

} // namespace
