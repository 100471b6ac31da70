// The game camera's timed transition: it ends exactly at its end values after its duration, and
// a duration of zero or less puts the camera there at once instead of dividing by zero.
#include <gtest/gtest.h>

#include <cmath>

#include "game/flow/tumbo_kelvo_camera.h"

namespace {

TEST(GameCameraTest, TransitionReachesItsEndExactlyAndAnEmptyDurationSnaps) {
    struct SCase {
        float m_duration;
        int m_frames; // frames until the transition stops
    };
    const SCase cases[] = {{2.0f, 120}, {0.5f, 30}, {0.0f, 0}, {-1.0f, 0}};
    const common::CVector3 end(5.6f, -1.17f, 505.65f);
    for (const SCase& test : cases) {
        kelvo::CTumboKelvoCamera camera("RaceCameraInit.xml");
        camera.StartTransition(end, test.m_duration, 7.0f, 2.85f, -0.5f);
        int frames = 0;
        while (camera.IsTransitionRunning() && frames < 1000) {
            camera.Update(1.0f / 60.0f);
            ++frames;
        }
        EXPECT_NEAR(frames, test.m_frames, 1) << test.m_duration;
        EXPECT_TRUE(std::isfinite(camera.GetEye().x)) << test.m_duration;
        EXPECT_NEAR(camera.GetTarget().x, end.x, 1e-3f) << test.m_duration;
        EXPECT_NEAR(camera.GetTarget().z, end.z, 1e-2f) << test.m_duration;
        EXPECT_NEAR(camera.GetRadius(), 7.0f, 1e-3f) << test.m_duration;
        EXPECT_NEAR(camera.GetYaw(), 2.85f, 1e-3f) << test.m_duration;
        EXPECT_NEAR(camera.GetPitch(), -0.5f, 1e-3f) << test.m_duration;
        // Further frames leave it where it ended.
        camera.Update(1.0f / 60.0f);
        EXPECT_NEAR(camera.GetRadius(), 7.0f, 1e-3f);
    }
}

} // namespace
