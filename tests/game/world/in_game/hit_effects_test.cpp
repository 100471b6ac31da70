#include <gtest/gtest.h>

#include "game/world/item_hit_effects.h"
#include "support/held_clock.h"
#include "world_fixtures.h"

namespace {

using common::CVector3;

// The clock is held first: the effects' timers start on it.
class HitEffectsTest : public ::testing::Test, public tktest::CHeldClock, public tktest::CRaceFixture {
protected:
    void SetUp() override {
        kelvo::GetOrCreateRacerTuning(3) = kelvo::SRacerTuning{5.0f, 1.0f, 1.0f};
        m_racer = AddRacer(1, 3, kelvo::CONTROL_LOCAL_OTHER, 0.0f, false);
        m_racer->Update(0.0, kFrame);
        m_racer->SetLinearVelocity(CVector3(0.0f, 0.5f, -3.0f));
    }
    void Wait(int ms) { Advance(ms / 1000.0); }

    kelvo::CRacerModel* m_racer = nullptr;
};

TEST_F(HitEffectsTest, EachEffectPushesItsBodyEveryFrameUntilItsTimerEnds) {
    struct Case {
        const char* name;
        kelvo::CRacerModel::ItemHitEffectFunc* (*make)(kelvo::CRacerModel*);
        CVector3 force;  // expected force accumulator after one call
        CVector3 spinUp; // expected angular velocity change direction
    };
    const Case cases[] = {
        {"shark",
         [](kelvo::CRacerModel* r) -> kelvo::CRacerModel::ItemHitEffectFunc* {
             auto* e = new kelvo::HitBySharkFunc(r);
             e->SetForce(CVector3(0.0f, 0.0f, 50.0f));
             return e;
         },
         CVector3(0.0f, 0.0f, 50.0f), CVector3()},
        {"pole",
         [](kelvo::CRacerModel* r) -> kelvo::CRacerModel::ItemHitEffectFunc* {
             auto* e = new kelvo::HitByPoleFunc(r);
             e->SetForce(CVector3(0.0f, 30.0f, 10.0f));
             return e;
         },
         CVector3(0.0f, 30.0f, 10.0f), CVector3()},
        {"drill",
         [](kelvo::CRacerModel* r) -> kelvo::CRacerModel::ItemHitEffectFunc* {
             auto* e = new kelvo::HitByDrillFunc(r);
             e->SetSpin(2.0f);
             return e;
         },
         CVector3(), CVector3(0.0f, 1.0f, 0.0f)},
    };
    for (const Case& c : cases) {
        kelvo::CRacerModel::ItemHitEffectFunc* effect = c.make(m_racer);
        effect->GetTimer().StartCountdown(0.05f);
        m_racer->TakeHit(effect);
        ASSERT_TRUE(m_racer->HasHitEffect()) << c.name;
        for (int frame = 0; frame < 3; ++frame) {
            m_racer->GetBody()->ClearAccumulators();
            const float spinBefore = m_racer->GetBody()->GetAngularVelocity().y;
            m_racer->Update(m_time, kFrame);
            EXPECT_EQ(m_racer->GetBody()->GetForceAccum(), c.force) << c.name;
            if (c.spinUp.y > 0.0f) {
                EXPECT_GT(m_racer->GetBody()->GetAngularVelocity().y, spinBefore) << c.name;
            }
        }
        Wait(60);
        m_racer->GetBody()->ClearAccumulators();
        m_racer->Update(m_time, kFrame);
        EXPECT_EQ(m_racer->GetBody()->GetForceAccum(), c.force) << c.name << ": the last frame still pushes";
        EXPECT_FALSE(m_racer->HasHitEffect()) << c.name;
        EXPECT_EQ(m_racer->GetStateMachine()->GetCurrentState(), "Idle_State") << c.name;
    }
}

TEST_F(HitEffectsTest, AMineStopsTheRacerHoldsItDownAndRestoresItsSpeedScale) {
    auto* mine = new kelvo::HitByMineFunc(m_racer);
    mine->SetForce(CVector3(0.0f, -10.0f, 0.0f));
    mine->GetTimer().StartCountdown(0.05f);
    EXPECT_FLOAT_EQ(m_racer->GetSpeedScale(), 1.0f) << "nothing happens before the racer accepts the hit";
    m_racer->TakeHit(mine);
    EXPECT_FLOAT_EQ(m_racer->GetSpeedScale(), 0.0f);
    EXPECT_FLOAT_EQ(m_racer->GetThrustInput(), 0.0f);
    m_racer->GetBody()->SetLinearVelocity(CVector3(0.0f, 0.5f, 0.0f));
    m_racer->GetBody()->ClearAccumulators();
    m_racer->Update(m_time, kFrame);
    EXPECT_EQ(m_racer->GetBody()->GetForceAccum(), CVector3(0.0f, -10.0f - 100.0f, 0.0f));
    Wait(60);
    m_racer->Update(m_time, kFrame);
    EXPECT_FLOAT_EQ(m_racer->GetSpeedScale(), 1.0f) << "back in the frame the timer expires";
    EXPECT_FALSE(m_racer->HasHitEffect());
}

TEST_F(HitEffectsTest, ARefusedHitChangesNothingAndIsDiscarded) {
    auto* first = new kelvo::HitBySharkFunc(m_racer);
    first->GetTimer().StartCountdown(5.0f);
    m_racer->TakeHit(first);
    m_racer->SetLinearVelocity(CVector3(0.0f, 0.0f, -4.0f));
    // A mine during a running effect must not leave the racer stopped for good.
    auto* mine = new kelvo::HitByMineFunc(m_racer);
    mine->GetTimer().StartCountdown(2.0f);
    m_racer->TakeHit(mine);
    EXPECT_FLOAT_EQ(m_racer->GetSpeedScale(), 1.0f);
    EXPECT_EQ(m_racer->GetLinearVelocity(), CVector3(0.0f, 0.0f, -4.0f));
    // Invincible: refused as well.
    kelvo::CRacerModel* coated = AddRacer(2, 3, kelvo::CONTROL_LOCAL_OTHER, 6.0f, false);
    coated->SetInvincible(true);
    EXPECT_FALSE(coated->CanBeHit());
    auto* pole = new kelvo::HitByPoleFunc(coated);
    coated->SetLinearVelocity(CVector3(1.0f, 0.0f, 0.0f));
    coated->TakeHit(pole);
    EXPECT_FALSE(coated->HasHitEffect());
    EXPECT_EQ(coated->GetLinearVelocity(), CVector3(1.0f, 0.0f, 0.0f));
}

TEST_F(HitEffectsTest, AnEffectWhoseTimerNeverStartedEndsAtItsFirstCall) {
    m_racer->TakeHit(new kelvo::HitByDrillFunc(m_racer));
    EXPECT_TRUE(m_racer->HasHitEffect());
    m_racer->Update(m_time, kFrame);
    EXPECT_FALSE(m_racer->HasHitEffect());
    EXPECT_EQ(m_racer->GetStateMachine()->GetCurrentState(), "Idle_State");
}

} // namespace
