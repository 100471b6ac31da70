#include "engine/phy/rigid_body.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/phy/collision_hull.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/simulator.h"

namespace {

using common::CVector3;
using velm::phy::CRigidBody;

TEST(RigidBodyTest, ZeroInertiaEntriesInvertToZero) {
    CRigidBody body;
    body.SetInertia(0.0f, 2.0f, 0.0f);
    const common::CMatrix3& inverse = body.GetInverseInertia();
    EXPECT_FLOAT_EQ(inverse(0, 0), 0.0f);
    EXPECT_FLOAT_EQ(inverse(1, 1), 0.5f);
    EXPECT_FLOAT_EQ(inverse(2, 2), 0.0f);
}

TEST(RigidBodyTest, AngularClampIsOnTheSquaredLength) {
    struct Case {
        CVector3 impulse;
        float expectedScale;
    };
    const Case cases[] = {
        {CVector3(10.0f, 10.0f, 0.0f), 1.0f},  // exactly 200: kept
        {CVector3(10.0f, 10.0f, 0.01f), 0.2f}, // 200.0001: cut to a fifth
        {CVector3(1.0f, 0.0f, 0.0f), 1.0f},
    };
    for (const Case& c : cases) {
        CRigidBody body;
        body.SetInverseInertia(1.0f, 1.0f, 1.0f);
        body.UpdateWorldInverseInertia();
        body.ApplyAngularImpulse(c.impulse);
        EXPECT_NEAR(body.GetAngularVelocity().x, c.impulse.x * c.expectedScale, 1e-5f);
        EXPECT_NEAR(body.GetAngularVelocity().z, c.impulse.z * c.expectedScale, 1e-6f);
    }
}

TEST(RigidBodyTest, ZeroMassIgnoresImpulses) {
    CRigidBody body;
    body.SetBoxHull(1.0f, 1.0f, 1.0f, 0.0f, false);
    body.ApplyLinearImpulse(CVector3(5.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(body.GetInverseMass(), 0.0f);
    EXPECT_EQ(body.GetLinearVelocity(), CVector3());
}

TEST(RigidBodyTest, HullFlagNeedsAHull) {
    CRigidBody body;
    body.SetHullFlag(true);
    EXPECT_FALSE(body.GetHullFlag());
    body.SetBoxHull(1.0f, 1.0f, 1.0f, 1.0f, false);
    body.SetHullFlag(true);
    EXPECT_TRUE(body.GetHullFlag());
}

TEST(RigidBodyTest, HullFollowsPoseAndSetterSetsMassProperties) {
    CRigidBody body;
    body.SetPosition(CVector3(1.0f, 2.0f, 3.0f));
    body.SetBoxHull(2.0f, 1.0f, 4.0f, 3.0f, false);
    EXPECT_EQ(body.GetHull()->GetOwner(), &body);
    EXPECT_EQ(body.GetHull()->GetPosition(), CVector3(1.0f, 2.0f, 3.0f));
    EXPECT_FLOAT_EQ(body.GetInertia()(0, 0), 3.0f * (1.0f + 16.0f) / 3.0f);
    EXPECT_FLOAT_EQ(body.GetInertia()(1, 1), 3.0f * (4.0f + 16.0f) / 3.0f);
    body.SetPosition(CVector3(-1.0f, 0.0f, 0.0f));
    EXPECT_EQ(body.GetHull()->GetPosition(), CVector3(-1.0f, 0.0f, 0.0f));

    CRigidBody scenery;
    scenery.SetCylinderHull(0.11f, 0.34f, 20.0f, 4, 16, true);
    EXPECT_EQ(scenery.GetHull()->GetOwner(), nullptr);
}

// The step integrates velocities twice (trial and real), so rest accumulates 2 dt per step.
TEST(RigidBodyTest, RestingBodyFallsAsleepAfterHalfASecondAndWakesOnForce) {
    velm::phy::CSimulator simulator;
    auto body = std::make_shared<CRigidBody>();
    simulator.AddBody(body);
    simulator.Step(0.1f);
    simulator.Step(0.1f);
    EXPECT_FALSE(body->IsAsleep());
    simulator.Step(0.1f);
    EXPECT_TRUE(body->IsAsleep());
    body->AddForce(CVector3(0.0f, 1.0f, 0.0f));
    EXPECT_FALSE(body->IsAsleep());
    EXPECT_FLOAT_EQ(body->GetRestTimer(), 0.0f);
}

TEST(RigidBodyTest, GravityKeepsABodyAwake) {
    velm::phy::CSimulator simulator;
    auto body = std::make_shared<CRigidBody>();
    body->SetBoxHull(1.0f, 1.0f, 1.0f, 2.0f, false);
    body->SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(body.get()));
    simulator.AddBody(body);
    for (int i = 0; i < 20; ++i) {
        simulator.Step(0.1f);
    }
    EXPECT_FALSE(body->IsAsleep());
    EXPECT_LT(body->GetLinearVelocity().y, 0.0f);
}

TEST(RigidBodyTest, UnknownForceNameGivesEmptyPointer) {
    CRigidBody body;
    EXPECT_EQ(body.GetForceCntrl("Thrust"), nullptr);
}

} // namespace
