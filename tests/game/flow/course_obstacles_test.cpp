// The shipped course's obstacles against a racer built from the shipped data, on a straight river
// of the shipped speed: the trap and finish triggers report a racer and let it through; a floe
// turns a racer that meets it off centre aside, holds one that paddles into it head on without
// letting it in, and lets it go once it paddles sideways; a rock of the sprung rock trap knocks a
// racer aside without tipping it; the log trap's logs wait fixed, lying across the stream, until
// the trap is sprung.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/core/object_id.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/collision_hull.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "game/content/object_type.h"
#include "game/events/creation_events.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "level_fixture.h"
#include "libs/common/quaternion.h"
#include "river_racer.h"

namespace {

using common::CVector3;

// The racer's paddle as the monkey drives it at the back of the field (top speed 14 m/s times the
// rubber band's 1.1, closing the gap at 0.6 a second) in the river of Scripts/StartGame.LUA.
constexpr float kPaddle = 14.0f * 1.1f;
constexpr float kAccel = 0.6f;
constexpr float kRiverSpeed = 10.0f;
constexpr float kRiverDensity = 2.0f * 70.0f / (1.2f * 1.0f * 2.0f * 1.331f);
constexpr float kFrame = 1.0f / 60.0f;

class CourseObstaclesTest : public tktest::CShippedGameTest {
protected:
    void SetUp() override {
        tktest::CShippedGameTest::SetUp();
        velm::phy::SetRiverDensity(kRiverDensity);
        velm::phy::SetRiverSpeed(kRiverSpeed);
        std::vector<velm::phy::CGridCell> cells;
        cells.emplace_back(CVector3(-20.0f, 0.0f, 50.0f), CVector3(-20.0f, 0.0f, -500.0f),
                           CVector3(20.0f, 0.0f, -500.0f), CVector3(20.0f, 0.0f, 50.0f), CVector3(0.0f, 0.0f, -1.0f));
        m_world.AddWaterField(1, std::make_shared<velm::phy::CWaterField>(cells));
    }
    void TearDown() override {
        velm::phy::SetRiverSpeed(0.0f);
        tktest::CShippedGameTest::TearDown();
    }

    // The monkey as the race builds it, floating in this test's river and paddling downstream.
    velm::phy::CRigidBody& Racer(const CVector3& at) {
        const std::uint32_t id = tktest::AddFloatingMonkey(*m_game, m_world, at);
        velm::phy::CRigidBody& body = *Model(id)->GetBody();
        m_thrust = static_cast<velm::phy::ThrustForce*>(body.GetForceCntrl(velm::phy::kThrustForceName).get());
        Paddle(CVector3(0.0f, 0.0f, -1.0f));
        return body;
    }
    void Paddle(const CVector3& direction) {
        m_thrust->SetDirection(direction);
        m_thrust->SetMagnitude(kPaddle);
        m_thrust->SetScale(kAccel);
    }
    velm::phy::CRigidBody& Floe(const CVector3& at) {
        const std::uint32_t id = velm::NewObjectID();
        velm::TriggerEvent(kelvo::CCreateEnvObjEvt("IceModelData", id, 1, 0, kelvo::OBJECT_ENVIRONMENT, &at, 0));
        m_world.AddBody(id, Model(id)->GetBody());
        return *Model(id)->GetBody();
    }
    void Run(float seconds) {
        for (int frame = 0; frame < static_cast<int>(seconds / kFrame); ++frame) {
            m_world.Update(kFrame);
        }
    }

    velm::phy::CPhysicsWorld m_world;
    velm::phy::ThrustForce* m_thrust = nullptr;
};

TEST_F(CourseObstaclesTest, TriggersReportARacerPassingThroughWithoutSlowingIt) {
    m_game->BuildRockTrap();
    m_game->BuildLogTrap();
    m_game->BuildFinishTrigger();
    for (std::uint32_t id : {m_game->GetRockTriggerId(), m_game->GetLogTriggerId(), m_game->GetFinishTriggerId()}) {
        const velm::phy::CCollisionHull* hull = Model(id)->GetBody()->GetHull();
        ASSERT_NE(hull, nullptr) << id;
        EXPECT_EQ(hull->GetOwner(), nullptr) << "trigger " << id << " would stop what it watches";
    }
    // The rock trap's trigger, moved onto this river.
    const std::uint32_t trigger = m_game->GetRockTriggerId();
    Model(trigger)->GetBody()->SetPosition(CVector3(0.0f, 0.0f, -20.0f));
    m_world.AddHull(trigger, Model(trigger)->GetBody()->GetHullSlot());
    velm::phy::CRigidBody& racer = Racer(CVector3(0.0f, 0.0f, 0.0f));
    Run(3.0f);
    const float speed = racer.GetLinearVelocity().Length();
    Run(4.0f);
    m_events.Tick(-1);
    EXPECT_GT(Dispatched("ObjectCollision"), 0u);
    EXPECT_LT(racer.GetPosition().z, -25.0f);
    EXPECT_GT(racer.GetLinearVelocity().Length(), 0.95f * speed);
}

TEST_F(CourseObstaclesTest, AFloeTurnsARacerMeetingItOffCentreAside) {
    const velm::phy::CRigidBody& floe = Floe(CVector3(-1.6f, 0.2f, -20.0f));
    const velm::phy::CRigidBody& racer = Racer(CVector3(0.0f, 0.0f, 0.0f));
    Run(10.0f);
    EXPECT_LT(racer.GetPosition().z, floe.GetPosition().z - 10.0f);
}

TEST_F(CourseObstaclesTest, AFloeHoldsARacerPaddlingIntoItHeadOnOutsideItUntilItPaddlesAside) {
    const velm::phy::CRigidBody& floe = Floe(CVector3(0.0f, 0.2f, -20.0f));
    const velm::phy::CRigidBody& racer = Racer(CVector3(0.0f, 0.0f, 0.0f));
    // Floe radius 1.45, the racer's nose 1 m ahead of its centre: held, and never let in.
    const float touching = floe.GetPosition().z + 1.45f + 1.0f;
    Run(5.0f);
    const float held = racer.GetPosition().z;
    EXPECT_NEAR(held, touching, 0.3f);
    Run(30.0f);
    EXPECT_NEAR(racer.GetPosition().z, held, 0.05f) << "the racer sank into the floe";
    // Left alone paddles towards the side: a second of it slides the racer off.
    Paddle(CVector3(1.0f, 0.0f, 0.0f));
    Run(1.0f);
    Paddle(CVector3(0.0f, 0.0f, -1.0f));
    Run(10.0f);
    EXPECT_LT(racer.GetPosition().z, floe.GetPosition().z - 10.0f);
}

// A rock of the sprung rock trap, dropped into the stream just off the racer's line and just ahead
// of it: the racer paddling into it as it sinks is knocked aside and, tipped by the blow, rights
// itself on the water.
TEST_F(CourseObstaclesTest, ARockOfTheSprungTrapInARacersWayKnocksItAsideButLeavesItLevel) {
    m_game->BuildRockTrap();
    kelvo::ReleaseRocks(nullptr);
    ASSERT_FALSE(m_game->GetRockTrapList().empty());
    const std::uint32_t id = m_game->GetRockTrapList().front();
    velm::phy::CRigidBody& rock = *Model(id)->GetBody();
    ASSERT_TRUE(rock.GetHullFlag());
    rock.SetPosition(CVector3(0.9f, 1.5f, -20.0f));
    // Sprung, the rock looks for the game's river, which this test has not: it sinks in this one.
    auto buoyancy = std::make_shared<velm::phy::BuoyancyForce>(&rock, &m_world.GetSimulator(), CVector3());
    buoyancy->SetUseRiverDensity(true);
    rock.SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
    m_world.AddBody(id, Model(id)->GetBody());
    velm::phy::CRigidBody& racer = Racer(CVector3(0.0f, 0.0f, -14.0f));
    float lowest = 1.0f;
    float sideways = 0.0f;
    for (int frame = 0; frame < 600; ++frame) {
        m_world.Update(kFrame);
        lowest = std::min(lowest, racer.GetOrientation().Rotate(CVector3(0.0f, 1.0f, 0.0f)).y);
        sideways = std::max(sideways, std::fabs(racer.GetLinearVelocity().x));
    }
    const float last = racer.GetOrientation().Rotate(CVector3(0.0f, 1.0f, 0.0f)).y;
    EXPECT_GT(sideways, 0.5f) << "the rock missed the racer";
    EXPECT_GT(lowest, 0.0f) << "the racer was turned over";
    EXPECT_GT(last, std::cos(0.05f)) << "the racer was left tipped " << std::acos(std::min(last, 1.0f)) * 57.3f
                                     << " degrees";
}

TEST_F(CourseObstaclesTest, TheLogTrapsLogsWaitFixedLyingAcrossTheStream) {
    m_game->BuildLogTrap();
    ASSERT_EQ(m_game->GetLogTrapList().size(), 5u);
    for (std::uint32_t id : m_game->GetLogTrapList()) {
        const velm::phy::CRigidBody& log = *Model(id)->GetBody();
        EXPECT_TRUE(log.IsStatic()) << id;
        // A log's hull runs along its y axis: across the stream is along x.
        const CVector3 along = log.GetOrientation().Rotate(CVector3(0.0f, 1.0f, 0.0f));
        EXPECT_GT(std::fabs(along.x), 0.99f) << id;
    }
}

} // namespace
