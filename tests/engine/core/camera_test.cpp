#include "engine/core/velm_camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/phy/rigid_body.h"

namespace {

constexpr float kTolerance = 1e-4f;

void ExpectNear(const common::CVector3& actual, const common::CVector3& expected) {
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
}

TEST(CameraTest, StartsFiftyUnitsOutOnEveryAxis) {
    velm::CVelmCamera camera(nullptr, common::CVector3(0.0f, 0.0f, 0.0f));
    ExpectNear(camera.GetEye(), common::CVector3(50.0f, 50.0f, 50.0f));
    EXPECT_NEAR(camera.GetRadius(), 50.0f * std::sqrt(3.0f), 1e-3f);
    EXPECT_NEAR(camera.GetYaw(), -3.0f * 3.14159265f / 4.0f, kTolerance);
    EXPECT_NEAR(camera.GetPitch(), std::asin(-1.0f / std::sqrt(3.0f)), kTolerance);
}

TEST(CameraTest, PitchAndRadiusAreClamped) {
    const struct {
        float pitch;
        float radius;
        float storedPitch;
        float storedRadius;
    } cases[] = {
        {2.0f, 0.0f, 1.4279966f, 0.025f},
        {-2.0f, 10000.0f, -1.4279966f, 5000.0f},
        {0.5f, 12.0f, 0.5f, 12.0f},
    };
    for (const auto& c : cases) {
        velm::CVelmCamera camera(nullptr, common::CVector3());
        camera.SetPitch(c.pitch);
        camera.SetRadius(c.radius);
        EXPECT_FLOAT_EQ(camera.GetPitch(), c.storedPitch);
        EXPECT_FLOAT_EQ(camera.GetRadius(), c.storedRadius);
    }
}

TEST(CameraTest, YawMovesTheTargetInFreeModeAndTheEyeInBodyMode) {
    velm::CVelmCamera free(nullptr, common::CVector3());
    free.SetYaw(0.3f);
    ExpectNear(free.GetEye(), common::CVector3(50.0f, 50.0f, 50.0f));
    EXPECT_NEAR((free.GetTarget() - free.GetEye()).Length(), free.GetRadius(), 1e-3f);

    velm::CVelmCamera body(nullptr, common::CVector3());
    body.SetMode(velm::CVelmCamera::MODE_BODY);
    body.SetYaw(0.3f);
    ExpectNear(body.GetTarget(), common::CVector3());
    EXPECT_NEAR(body.GetEye().Length(), body.GetRadius(), 1e-3f);
}

TEST(CameraTest, TranslateKeepsTheAngles) {
    velm::CVelmCamera camera(nullptr, common::CVector3(1.0f, 2.0f, 3.0f));
    const float radius = camera.GetRadius(), pitch = camera.GetPitch(), yaw = camera.GetYaw();
    camera.Translate(common::CVector3(4.0f, -5.0f, 6.0f));
    EXPECT_NEAR(camera.GetRadius(), radius, 1e-3f);
    EXPECT_NEAR(camera.GetPitch(), pitch, kTolerance);
    EXPECT_NEAR(camera.GetYaw(), yaw, kTolerance);
}

TEST(CameraTest, MoveLocalForwardGoesTowardsTheTarget) {
    velm::CVelmCamera camera(nullptr, common::CVector3());
    const float radius = camera.GetRadius();
    const common::CVector3 eye = camera.GetEye();
    camera.MoveLocal(common::CVector3(1.0f, 0.0f, 0.0f));
    EXPECT_NEAR((camera.GetEye() - eye).Length(), 1.0f, kTolerance);
    EXPECT_NEAR(camera.GetEye().Length(), radius - 1.0f, 1e-3f);
}

TEST(CameraTest, CoincidingEyeAndTargetKeepFiniteAngles) {
    velm::CVelmCamera camera(nullptr, common::CVector3());
    camera.SetEye(common::CVector3());
    EXPECT_TRUE(std::isfinite(camera.GetPitch()));
    EXPECT_TRUE(std::isfinite(camera.GetYaw()));
}

TEST(CameraTest, ViewMatrixLooksFromTheBodyInBodyMode) {
    auto body = std::make_shared<velm::phy::CRigidBody>();
    body->SetPosition(common::CVector3(0.0f, 0.0f, -10.0f));
    velm::CVelmCamera camera(body, common::CVector3());
    camera.SetMode(velm::CVelmCamera::MODE_BODY);
    const D3DXMATRIX view = camera.GetViewMatrix();
    // Looking down +z from z = -10: the origin lands 10 units ahead in view space.
    EXPECT_NEAR(view(3, 2), 10.0f, kTolerance);
    EXPECT_NEAR(view(2, 2), 1.0f, kTolerance);
}

TEST(CameraTest, SetupBodyGivesAFrictionlessHull) {
    auto body = std::make_shared<velm::phy::CRigidBody>();
    body->GetRestitution() = 0.5f;
    velm::CVelmCamera camera(body, common::CVector3());
    camera.SetupBody();
    EXPECT_NE(body->GetHull(), nullptr);
    EXPECT_EQ(body->GetRestitution(), 0.0f);
    EXPECT_EQ(body->GetStaticFriction(), 0.0f);
    EXPECT_EQ(body->GetDynamicFriction(), 0.0f);
}

} // namespace
