#include <gtest/gtest.h>

#include <cmath>

#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "game/events/game_event.h"
#include "game/world/item_hit_effects.h"
#include "game/world/racer_states.h"
#include "support/held_clock.h"
#include "world_fixtures.h"

namespace {

using common::CVector3;
using kelvo::CONTROL_LOCAL_PLAYER;
using kelvo::CONTROL_NETWORK;
using tktest::Key;

// The clock is held first: the hit effects' timers start on it.
class RacerStatesTest : public ::testing::Test, public tktest::CHeldClock, public tktest::CRaceFixture {
protected:
    void SetUp() override {
        kelvo::SRacerTuning& monkey = kelvo::GetOrCreateRacerTuning(1);
        monkey.maxSpeed = 6.0f;
        monkey.accel = 1.0f;
        monkey.turning = 2.0f;
        m_racer = AddRacer(1, 1, CONTROL_LOCAL_PLAYER);
        m_racer->SetRaceRank(1);
        Frame(); // Network_State -> Idle_State
    }
    std::string State() const { return m_racer->GetStateMachine()->GetCurrentState(); }
    kelvo::CRacerController* Controller() const {
        return static_cast<kelvo::CRacerController*>(m_racer->GetController());
    }

    kelvo::CRacerModel* m_racer = nullptr;
};

TEST_F(RacerStatesTest, ALocalRacerLeavesTheNetworkStateOnItsFirstUpdate) {
    EXPECT_EQ(State(), "Idle_State");
    EXPECT_FLOAT_EQ(Unit(m_racer).m_speed, 1.4285715f) << "the network state's exit sets the animation speed";
}

TEST_F(RacerStatesTest, ANetworkedClientRacerStaysInItsNetworkStateAndSendsNoAnimations) {
    m_game.SetNetworkMode(true, 2, nullptr);
    kelvo::CRacerModel* remote = AddRacer(2, 1, CONTROL_NETWORK, 5.0f);
    EXPECT_EQ(remote->GetTrail(), nullptr) << "a client builds racers without a trail";
    m_events.Tick(-1);
    m_log->m_names.clear();
    for (int frame = 0; frame < 20; ++frame) {
        remote->Update(m_time, kFrame);
    }
    EXPECT_EQ(remote->GetStateMachine()->GetCurrentState(), "Network_State");
    EXPECT_EQ(Unit(remote).m_played, std::vector<int>{4}) << "only the view's first animation";
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count("Change_Ani_Evt"), 0);
    m_game.SetNetworkMode(false, 0, nullptr);
}

TEST_F(RacerStatesTest, ALocalRacerSendsItsAnimationsAndAskedForATrail) {
    EXPECT_EQ(m_log->Count("Create_PartSys_Event"), 1);
    m_events.Tick(-1);
    m_log->m_names.clear();
    m_racer->SetAnimation(9, false);
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count("Change_Ani_Evt"), 1);
}

TEST_F(RacerStatesTest, ProtectedAnimationsPlayToTheirEndUnlessHurt) {
    tktest::CAnimUnit& unit = Unit(m_racer);
    unit.SetAnimation(7, false);
    unit.m_done = false;
    EXPECT_TRUE(m_racer->SetAnimation(1, true));
    EXPECT_EQ(unit.m_current, 7);
    m_racer->SetAnimation(12, false);
    EXPECT_EQ(unit.m_current, 12);
}

TEST_F(RacerStatesTest, SlapAndFallSequencesRunTheirAnimationsBackToDriving) {
    struct Step {
        const char* enter;       // state changed to by name before the step, or null
        bool animationDone;      // the unit's answer during the step
        const char* request;     // controller request before the step, or null
        const char* expectState; // state after the step's update
        int expectAnimation;     // animation playing after the step
    };
    const Step steps[] = {
        {"Slap_State", false, nullptr, "Slap_State", 9},
        {nullptr, false, nullptr, "Slap_State", 9},
        {nullptr, true, nullptr, "Idle_State", 1},
        {"Fall_Start_State", false, nullptr, "Fall_Start_State", 15},
        {nullptr, true, nullptr, "Fall_Loop_State", 14},
        {nullptr, true, nullptr, "Fall_Loop_State", 14},
        {nullptr, false, "Fall_End_State", "Fall_End_State", 13},
        {nullptr, false, nullptr, "Fall_End_State", 13},
        {nullptr, true, nullptr, "Idle_State", 1},
    };
    tktest::CAnimUnit& unit = Unit(m_racer);
    int index = 0;
    for (const Step& step : steps) {
        if (step.enter != nullptr) {
            m_racer->ChangeState(step.enter);
            EXPECT_EQ(unit.m_resets > 0, true) << "each sequence restarts the animation clock";
        }
        if (step.request != nullptr) {
            Controller()->SetStateName(step.request);
        }
        unit.m_done = step.animationDone;
        m_racer->Update(m_time, kFrame);
        EXPECT_EQ(State(), step.expectState) << "step " << index;
        EXPECT_EQ(unit.m_current, step.expectAnimation) << "step " << index;
        ++index;
    }
    EXPECT_EQ(Controller()->GetStateName(), "Idle_State") << "Idle's init resets the request";
}

TEST_F(RacerStatesTest, AFireRequestFiresExactlyOnce) {
    EXPECT_TRUE(m_racer->GetController()->HandleInput(Key(57, true, 1)));
    m_log->m_names.clear();
    for (int frame = 0; frame < 5; ++frame) {
        m_racer->Update(m_time, kFrame);
    }
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count("Fire_Item_Event"), 1);
    EXPECT_EQ(State(), "Idle_State");
    // Releasing space with nothing attached sends nothing.
    m_log->m_names.clear();
    m_racer->GetController()->HandleInput(Key(57, false, 2));
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count("Item_Should_Detach_Event"), 0);
}

TEST_F(RacerStatesTest, HurtHoldsTheRacerUntilTheEffectEndsThenDrivesAgain) {
    m_racer->GetController()->HandleInput(Key(200, true, 1));
    for (int frame = 0; frame < 60; ++frame) {
        Frame();
    }
    ASSERT_GT(m_racer->GetLinearVelocity().LengthSquared(), 1.0f);
    auto* drill = new kelvo::HitByDrillFunc(m_racer);
    drill->SetSpin(0.0f);
    drill->GetTimer().StartCountdown(0.05f);
    m_racer->TakeHit(drill);
    EXPECT_EQ(State(), "Hurt_State");
    EXPECT_EQ(Unit(m_racer).m_current, 12);
    EXPECT_EQ(m_racer->GetLinearVelocity(), CVector3());
    EXPECT_FLOAT_EQ(m_racer->GetThrust()->GetMagnitude(), 0.0f);
    EXPECT_FLOAT_EQ(m_racer->GetBuoyancy()->GetFlowSpeed(), 0.0f);
    EXPECT_EQ(m_game.GetHUD()->GetIconSpin(1).m_count, 4u);
    Frame();
    EXPECT_EQ(State(), "Hurt_State");
    EXPECT_FLOAT_EQ(m_racer->GetThrust()->GetMagnitude(), 0.0f);
    Advance(0.06);
    m_racer->Update(m_time, kFrame);
    EXPECT_EQ(State(), "Idle_State") << "the frame the effect ends";
    EXPECT_FALSE(m_racer->HasHitEffect());
    for (int frame = 0; frame < 30; ++frame) {
        Frame();
    }
    EXPECT_GT(m_racer->GetThrust()->GetMagnitude(), 0.0f) << "driving again";
}

TEST_F(RacerStatesTest, TurningStatesYawStepwiseAndFlattenThrustTowardPositiveX) {
    m_racer->GetBody()->SetHullFlag(false);
    m_racer->ChangeState("Left_State");
    Controller()->SetStateName("Left_State");
    common::CQuaternion start;
    start.FromAxisAngle(CVector3(0.0f, 1.0f, 0.0f), 0.2f);
    m_racer->SetOrientation(start);
    m_racer->Update(m_time, kFrame);
    CVector3 axis;
    float angle = 0.0f;
    m_racer->GetOrientation().ToAxisAngle(axis, angle);
    EXPECT_NEAR(angle, 0.2f - 0.07853982f, 1e-4f);
    start.FromAxisAngle(CVector3(0.0f, 1.0f, 0.0f), 0.05f);
    m_racer->SetOrientation(start);
    m_racer->Update(m_time, kFrame);
    // Below 0 the yaw wraps to a full turn: facing down the course again.
    EXPECT_NEAR(m_racer->GetHeading().z, -1.0f, 1e-4f);
    // An orientation a rounding step past unit length still gives a finite yaw.
    m_racer->SetOrientation(common::CQuaternion(0.0f, 0.0f, 0.0f, 1.0001f));
    m_racer->Update(m_time, kFrame);
    EXPECT_FALSE(std::isnan(m_racer->GetOrientation().w));
    EXPECT_LE(m_racer->GetThrust()->GetDirection().x, 0.0f);
}

} // namespace
