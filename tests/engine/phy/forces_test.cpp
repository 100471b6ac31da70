#include <gtest/gtest.h>

#include <memory>

#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "phy_test_util.h"

namespace {

using common::CVector3;
using velm::phy::BuoyancyForce;
using velm::phy::CRigidBody;

TEST(ThrustForceTest, ZeroMagnitudeAndReachedVelocityApplyNothing) {
    CRigidBody body;
    body.SetBoxHull(1.0f, 1.0f, 1.0f, 2.0f, false);
    velm::phy::ThrustForce thrust(&body);
    thrust.SetDirection(CVector3(0.0f, 0.0f, -4.0f));
    thrust.SetScale(1.0f);
    body.SetLinearVelocity(CVector3(0.0f, 0.0f, -3.0f));

    thrust.Apply(0.1f);
    EXPECT_EQ(body.GetForceAccum(), CVector3());

    thrust.SetMagnitude(3.0f);
    thrust.Apply(0.1f);
    EXPECT_EQ(body.GetForceAccum(), CVector3());

    thrust.SetMagnitude(5.0f);
    thrust.Apply(0.1f);
    EXPECT_FLOAT_EQ(body.GetForceAccum().z, -4.0f);
}

// A 1 x 1 x 1 box: its grid box, the one buoyancy reads, is 1.1 high and 1.331 in volume.
class BuoyancyTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_world.AddWaterField(1, phytest::SquareWater(10.0f, 0.0f, CVector3(0.0f, 0.0f, -1.0f)));
        m_body.SetBoxHull(1.0f, 1.0f, 1.0f, 1.0f, false);
        velm::phy::SetRiverDensity(2.0f);
        velm::phy::SetRiverSpeed(0.0f);
    }
    void TearDown() override {
        velm::phy::SetRiverDensity(0.0f);
        velm::phy::SetRiverSpeed(0.0f);
    }
    BuoyancyForce Make() {
        BuoyancyForce force(&m_body, &m_world.GetSimulator(), CVector3());
        force.SetUseRiverDensity(true);
        return force;
    }

    velm::phy::CPhysicsWorld m_world;
    CRigidBody m_body;
};

TEST_F(BuoyancyTest, BoxBottomAtTheSurfaceIsOutOfTheWater) {
    m_body.SetPosition(CVector3(0.0f, 0.55f, 0.0f));
    BuoyancyForce force = Make();
    force.Apply(0.1f);
    EXPECT_FALSE(force.IsInWater());
    CVector3 surface(7.0f, 7.0f, 7.0f);
    EXPECT_FALSE(force.GetSurfacePoint(surface));
    EXPECT_EQ(surface, CVector3(7.0f, 7.0f, 7.0f));
}

TEST_F(BuoyancyTest, DeepBodyGetsTheWholeVolumeAsLiftAndNoFlowAtZeroSpeed) {
    m_body.SetPosition(CVector3(1.0f, -5.0f, 2.0f));
    BuoyancyForce force = Make();
    force.Apply(0.1f);
    EXPECT_TRUE(force.IsInWater());
    EXPECT_NEAR(m_body.GetForceAccum().y, 1.331f * 2.0f * 9.81f, 1e-3f);
    EXPECT_FLOAT_EQ(m_body.GetForceAccum().z, 0.0f);
    CVector3 surface;
    ASSERT_TRUE(force.GetSurfacePoint(surface));
    EXPECT_EQ(surface, CVector3(1.0f, 0.0f, 2.0f));
}

TEST_F(BuoyancyTest, EntryDampingOnlyOnTheFirstStepInTheWater) {
    m_body.SetPosition(CVector3(0.0f, -1.0f, 0.0f));
    m_body.SetLinearVelocity(CVector3(0.0f, -1.0f, 0.0f));
    BuoyancyForce force = Make();
    force.Apply(0.1f);
    EXPECT_NEAR(m_body.GetLinearVelocity().y, -0.8f * 0.94f, 1e-6f);
    force.Apply(0.1f);
    EXPECT_NEAR(m_body.GetLinearVelocity().y, -0.8f * 0.94f * 0.94f, 1e-6f);
}

TEST_F(BuoyancyTest, RiverSpeedChangeActsAtTheNextStep) {
    m_body.SetPosition(CVector3(0.0f, -1.0f, 0.0f));
    BuoyancyForce force = Make();
    force.SetUseRiverSpeed(true);
    velm::phy::SetRiverSpeed(3.0f);
    force.Apply(0.1f);
    EXPECT_FLOAT_EQ(m_body.GetForceAccum().z, -1.5f);
    m_body.ClearAccumulators();
    m_body.SetLinearVelocity(CVector3());
    velm::phy::SetRiverSpeed(5.0f);
    force.Apply(0.1f);
    EXPECT_FLOAT_EQ(m_body.GetForceAccum().z, -2.5f);
}

TEST_F(BuoyancyTest, FlatOrMissingHullGivesNoNaN) {
    CRigidBody flat;
    flat.SetBoxHull(1.0f, 0.0f, 1.0f, 1.0f, false);
    flat.SetPosition(CVector3(0.0f, -1.0f, 0.0f));
    flat.SetLinearVelocity(CVector3(1.0f, -1.0f, 0.0f));
    BuoyancyForce onFlat(&flat, &m_world.GetSimulator(), CVector3());
    onFlat.SetUseRiverDensity(true);
    onFlat.Apply(0.1f);
    EXPECT_TRUE(onFlat.IsInWater());
    EXPECT_TRUE(phytest::IsFinite(flat.GetForceAccum()));
    phytest::ExpectFiniteBody(flat);

    CRigidBody bare;
    bare.SetPosition(CVector3(0.0f, -1.0f, 0.0f));
    BuoyancyForce onBare(&bare, &m_world.GetSimulator(), CVector3());
    onBare.Apply(0.1f);
    EXPECT_FALSE(onBare.IsInWater());
    EXPECT_EQ(bare.GetForceAccum(), CVector3());
}

// An empty mesh hull has no volume to lift but still floats as a point: flow and damping act.
TEST_F(BuoyancyTest, ShapelessHullIsCarriedWithoutLift) {
    CRigidBody empty;
    empty.SetTestPointHull({}, 2.0f);
    empty.SetPosition(CVector3(0.0f, -1.0f, 0.0f));
    empty.SetLinearVelocity(CVector3(0.0f, -1.0f, 0.0f));
    BuoyancyForce force(&empty, &m_world.GetSimulator(), CVector3());
    force.SetUseRiverDensity(true);
    force.SetFlowSpeed(3.0f);
    force.Apply(0.1f);
    EXPECT_TRUE(force.IsInWater());
    // Flow (3 * -z - v) * 2 * 0.5 after the entry damping, then the -ratio * v drag with ratio 1.
    EXPECT_NEAR(empty.GetForceAccum().z, -3.0f, 1e-5f);
    EXPECT_NEAR(empty.GetForceAccum().y, 0.8f + 0.8f * 0.94f, 1e-5f);
    EXPECT_NEAR(empty.GetLinearVelocity().y, -0.8f * 0.94f, 1e-6f);
}

TEST_F(BuoyancyTest, ClearedWaterFieldIsNeverReadAgain) {
    m_body.SetPosition(CVector3(0.0f, -1.0f, 0.0f));
    BuoyancyForce force = Make();
    ASSERT_NE(force.GetWaterField(), nullptr);
    m_world.ClearWaterFields();
    EXPECT_EQ(force.GetWaterField(), nullptr);
    m_body.ClearAccumulators();
    force.Apply(0.1f);
    EXPECT_EQ(force.GetWaterField(), nullptr);
    EXPECT_EQ(m_body.GetForceAccum(), CVector3());
}

} // namespace
