#include <gtest/gtest.h>

#include <cmath>

#include "engine/phy/ext_force_cntrl.h"
#include "game/world/racer_states.h"
#include "world_fixtures.h"

namespace {

using common::CVector3;
using kelvo::CONTROL_LOCAL_OTHER;
using kelvo::CONTROL_LOCAL_PLAYER;
using tktest::Key;

constexpr std::uint32_t kUp = 200;
constexpr std::uint32_t kLeft = 203;
constexpr std::uint32_t kRight = 205;
constexpr std::uint32_t kDown = 208;

class RacerDrivingTest : public ::testing::Test, public tktest::CRaceFixture {
protected:
    void SetUp() override {
        kelvo::SRacerTuning& bear = kelvo::GetOrCreateRacerTuning(2);
        bear.maxSpeed = 8.0f;
        bear.accel = 2.0f;
        bear.turning = 4.0f;
    }
    float Speed(kelvo::CRacerModel* racer) {
        const CVector3 v = racer->GetLinearVelocity();
        return std::sqrt(v.x * v.x + v.z * v.z);
    }
};

TEST_F(RacerDrivingTest, PaddlingForwardReachesTheTunedTopSpeedAndHoldsIt) {
    kelvo::CRacerModel* racer = AddRacer(1, 2, CONTROL_LOCAL_PLAYER);
    racer->SetRaceRank(3); // the player's band is 1.0 in third place
    racer->GetController()->HandleInput(Key(kUp, true, 1));
    float previous = 0.0f;
    for (int frame = 0; frame < 60; ++frame) {
        Frame();
    }
    previous = Speed(racer);
    EXPECT_GT(previous, 4.0f) << "a second of paddling gets the racer well under way";
    for (int frame = 0; frame < 600; ++frame) {
        Frame();
    }
    EXPECT_NEAR(Speed(racer), 8.0f, 0.4f);
    EXPECT_LT(racer->GetPosition().z, -40.0f) << "forward is down the course";
    EXPECT_EQ(racer->GetStateMachine()->GetCurrentState(), "Idle_State");
    EXPECT_EQ(Unit(racer).m_current, 4) << "the paddling animation";
}

TEST_F(RacerDrivingTest, WithoutPaddlingOrBoostTheRacerGetsNoThrust) {
    kelvo::CRacerModel* racer = AddRacer(1, 2, CONTROL_LOCAL_PLAYER);
    racer->SetRaceRank(1);
    for (int frame = 0; frame < 120; ++frame) {
        Frame();
    }
    EXPECT_FLOAT_EQ(static_cast<kelvo::CRacerController*>(racer->GetController())->GetThrust(), 0.0f);
    EXPECT_LT(Speed(racer), 0.05f);
    racer->SetBoost(1.0f);
    Frame();
    EXPECT_FLOAT_EQ(static_cast<kelvo::CRacerController*>(racer->GetController())->GetThrust(), 8.0f * 0.9f);
}

TEST_F(RacerDrivingTest, TheArrowKeysTurnTheHeadingTowardTheirSide) {
    struct Case {
        std::vector<velm::input::SInputEvent> keys;
        float expectX; // sign of the heading's x after turning
        const char* what;
    };
    const Case cases[] = {
        {{Key(kLeft, true, 1)}, 1.0f, "left alone paddles toward the side vector"},
        {{Key(kRight, true, 1)}, -1.0f, "right alone toward the opposite side"},
        {{Key(kLeft, true, 1), Key(kRight, true, 2)}, -1.0f, "the later of two held keys wins"},
        {{Key(kRight, true, 1), Key(kLeft, true, 2)}, 1.0f, "the later of two held keys wins"},
        {{Key(kUp, true, 1), Key(kLeft, true, 2)}, 1.0f, "up and left: the forward-side diagonal"},
    };
    std::uint32_t id = 1;
    for (const Case& c : cases) {
        kelvo::CRacerModel* racer = AddRacer(id, 2, CONTROL_LOCAL_PLAYER, -20.0f + 8.0f * id);
        racer->SetRaceRank(3);
        for (const auto& key : c.keys) {
            EXPECT_TRUE(racer->GetController()->HandleInput(key));
        }
        for (int frame = 0; frame < 240; ++frame) {
            Frame();
        }
        const CVector3 heading = racer->GetHeading();
        EXPECT_GT(heading.x * c.expectX, 0.5f) << c.what;
        EXPECT_TRUE(static_cast<kelvo::CRacerController*>(racer->GetController())->IsPaddling()) << c.what;
        m_game.RemoveObject(id);
        ++id;
    }
}

TEST_F(RacerDrivingTest, TheDownArrowAndOtherKeysAreNotConsumed) {
    kelvo::CRacerModel* racer = AddRacer(1, 2, CONTROL_LOCAL_PLAYER);
    EXPECT_FALSE(racer->GetController()->HandleInput(Key(kDown, true, 1)));
    EXPECT_FALSE(racer->GetController()->HandleInput(Key(30, true, 2)));
}

TEST_F(RacerDrivingTest, RubberBandByPlaceAndKind) {
    struct Case {
        std::uint32_t rank;
        float player;
        float other;
    };
    const Case cases[] = {{1, 0.9f, 1.05f}, {2, 0.9f, 1.05f}, {3, 1.0f, 1.15f}, {4, 1.0f, 1.15f},
                          {5, 1.1f, 1.25f}, {6, 1.1f, 1.25f}, {0, 0.0f, 0.0f},  {7, 0.0f, 0.0f}};
    kelvo::CRacerModel* player = AddRacer(1, 2, CONTROL_LOCAL_PLAYER, -5.0f);
    kelvo::CRacerModel* computer = AddRacer(2, 2, CONTROL_LOCAL_OTHER, 5.0f, false);
    player->GetController()->HandleInput(Key(kUp, true, 1));
    Frame(); // the first update steers; from the next one the player paddles
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(kelvo::RubberBand(c.rank, CONTROL_LOCAL_PLAYER), c.player) << c.rank;
        EXPECT_FLOAT_EQ(kelvo::RubberBand(c.rank, CONTROL_LOCAL_OTHER), c.other) << c.rank;
        EXPECT_FLOAT_EQ(kelvo::RubberBand(c.rank, kelvo::CONTROL_NETWORK), c.other) << c.rank;
        player->SetRaceRank(c.rank);
        computer->SetRaceRank(c.rank);
        computer->SetBoost(1.0f); // a computer racer that does not paddle moves only under boost
        player->SetSpeedScale(0.5f);
        Frame();
        EXPECT_FLOAT_EQ(static_cast<kelvo::CRacerController*>(player->GetController())->GetThrust(),
                        8.0f * c.player * 0.5f);
        EXPECT_FLOAT_EQ(static_cast<kelvo::CRacerController*>(computer->GetController())->GetThrust(), 8.0f * c.other);
    }
}

TEST_F(RacerDrivingTest, AnUntunedCharacterGetsNoThrustAndIsReportedOnce) {
    kelvo::CRacerModel* racer = AddRacer(1, 5, CONTROL_LOCAL_PLAYER);
    racer->SetRaceRank(1);
    racer->GetController()->HandleInput(Key(kUp, true, 1));
    testing::internal::CaptureStderr();
    for (int frame = 0; frame < 30; ++frame) {
        Frame();
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("no tuning"), log.rfind("no tuning"));
    EXPECT_NE(log.find("no tuning"), std::string::npos);
    EXPECT_FLOAT_EQ(racer->GetMaxSpeed(), 0.0f);
    EXPECT_FLOAT_EQ(racer->GetTurning(), 0.0f);
    EXPECT_LT(std::fabs(racer->GetLinearVelocity().z), 0.05f);
    // A tuning set later by the script reaches the racer already built.
    EXPECT_TRUE(kelvo::SetRacerMaxSpeed("hillbilly", 6.0f));
    EXPECT_TRUE(kelvo::SetRacerAccel("hillbilly", 1.0f));
    EXPECT_FALSE(kelvo::SetRacerTurning("jug", 1.0f));
    Frame();
    EXPECT_FLOAT_EQ(racer->GetMaxSpeed(), 6.0f);
    EXPECT_FLOAT_EQ(racer->GetThrust()->GetScale(), 1.0f);
}

TEST_F(RacerDrivingTest, ARacerOffTheRiverIsPutBackOnTheCentreLine) {
    kelvo::CRacerModel* racer = AddRacer(1, 2, CONTROL_LOCAL_PLAYER);
    racer->SetPosition(CVector3(24.5f, 1.0f, -7.0f));
    m_game.UpdateControllers(0.0, kFrame);
    EXPECT_EQ(racer->GetPosition(), CVector3(0.0f, 4.0f, -7.0f));
}

TEST_F(RacerDrivingTest, SpinAboveTheLimitIsCutToAFifth) {
    kelvo::CRacerModel* racer = AddRacer(1, 2, CONTROL_LOCAL_PLAYER);
    racer->GetStateMachine()->ChangeState(kelvo::kHurtStateName); // a state that leaves the spin alone
    racer->GetBody()->SetAngularVelocity(CVector3(0.0f, 10.0f, 0.0f));
    racer->Update(0.0, kFrame);
    EXPECT_FLOAT_EQ(racer->GetBody()->GetAngularVelocity().y, 10.0f) << "exactly 100 is left alone";
    racer->GetBody()->SetAngularVelocity(CVector3(0.0f, 11.0f, 0.0f));
    racer->Update(0.0, kFrame);
    EXPECT_FLOAT_EQ(racer->GetBody()->GetAngularVelocity().y, 11.0f * 0.2f);
}

} // namespace
