// A computer racer with the shipped steering net on a straight, still test river: its controller
// asks the enemy AI each frame and the racer paddles down its path to the end.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/ai/ai_enemy.h"
#include "engine/ai/ai_manager.h"
#include "engine/ai/ai_random.h"
#include "engine/ai/neural_net.h"
#include "game/ai/ai_profile.h"
#include "game/ai/game_enemy.h"
#include "game/world/in_game/world_fixtures.h"
#include "game/world/racer_tuning.h"

namespace {

using common::CVector3;

class ComputerRacerTest : public ::testing::Test, public tktest::CRaceFixture {
protected:
    void SetUp() override {
        velm::ai::CWaypointPath path;
        path.m_name = "straight";
        for (int i = 1; i <= 30; ++i) {
            path.m_waypoints.emplace_back(CVector3(0.0f, 0.3f, -6.0f * static_cast<float>(i)));
        }
        m_manager.AddPath(path);
        velm::ai::SNetDesc desc;
        desc.m_name = "Driving";
        desc.m_inputs = 1;
        desc.m_outputs = 2;
        desc.m_activationResponse = 1.0;
        auto net = std::make_unique<velm::ai::CNeuralNet>(desc);
        net->CreateNet();
        // The weights Scripts/StartGame.LUA gives the game's net.
        ASSERT_TRUE(net->PutWeights({-6.0, -3.0, 6.0, 3.0}));
        m_manager.AddNet(std::move(net));
        kelvo::ai::SetEnemyAIManager(&m_manager);
        velm::ai::AIEnemy::SetDefaultStates(true, true, true);
        velm::ai::SeedAIRand(3);
    }
    void TearDown() override {
        kelvo::ai::SetEnemyAIManager(nullptr);
        kelvo::ai::GetAIProfiles().clear();
    }

    velm::ai::CAIManager m_manager;
};

TEST_F(ComputerRacerTest, EveryCharacterReachesTheEndOfItsPath) {
    for (std::uint32_t type = 1; type <= 6; ++type) {
        kelvo::SRacerTuning& tuning = kelvo::GetOrCreateRacerTuning(type);
        tuning.maxSpeed = 8.0f;
        tuning.accel = 2.0f;
        tuning.turning = 4.0f;
        kelvo::ai::AIProfile& profile = kelvo::ai::GetAIProfile(2, static_cast<int>(type));
        profile.Path = "straight";
        profile.Net = "Driving";
        // Starting off the line, on either side.
        const float x = (type % 2 == 0 ? 1.0f : -1.0f) * 1.5f * static_cast<float>(type);
        kelvo::CRacerModel* racer = AddRacer(10 + type, type, kelvo::CONTROL_LOCAL_OTHER, x, false);
        racer->SetRaceRank(3);
        auto* controller = static_cast<kelvo::CAIRacerContr*>(racer->GetController());
        auto* ai = static_cast<velm::ai::AIEnemy*>(controller->GetAI());
        ASSERT_EQ(ai->GetNeuralDriver().GetRoute().size(), 30u) << type;
        float widest = 0.0f;
        for (int frame = 0; frame < 60 * 60 && !ai->GetNeuralDriver().GetRoute().empty(); ++frame) {
            Frame();
            if (racer->GetPosition().z < -12.0f) {
                widest = std::max(widest, std::fabs(racer->GetPosition().x));
            }
        }
        EXPECT_TRUE(ai->GetNeuralDriver().GetRoute().empty()) << "character " << type;
        EXPECT_LT(racer->GetPosition().z, -170.0f) << "character " << type;
        EXPECT_LT(widest, 6.0f) << "character " << type << " keeps near the line once on it";
        m_game.RemoveObject(10 + type);
    }
}

// An item that needs no aim at a rival ahead (the bait, and the whirlpool, whose cone looks
// behind) is used at once; the racer is not sent after an aim point and keeps to its waypoints.
TEST_F(ComputerRacerTest, AnItemThatNeedsNoAimIsUsedAtOnceWithoutADetour) {
    for (std::uint32_t item : {9u, 12u}) {
        kelvo::CRacerModel* racer = AddRacer(20, 2, kelvo::CONTROL_LOCAL_OTHER, 0.0f, false);
        kelvo::CRacerModel* rival = AddRacer(21, 3, kelvo::CONTROL_LOCAL_OTHER, 0.0f, false);
        rival->SetPosition(CVector3(0.5f, 0.3f, -10.0f));
        for (kelvo::CRacerModel* r : {racer, rival}) {
            r->SetLinearVelocity(CVector3(0.0f, 0.0f, -5.0f));
        }
        racer->SetHeldItemType(item);
        auto* ai = static_cast<velm::ai::AIEnemy*>(static_cast<kelvo::CAIRacerContr*>(racer->GetController())->GetAI());
        velm::ai::SRacerInfo self;
        self.m_heading = CVector3(0.0f, 0.0f, -1.0f);
        bool fired = false;
        for (int update = 0; update < 5; ++update) {
            velm::ai::SDriveInput out;
            ai->Update(out, self, {}, kFrame);
            fired = fired || out.m_fire;
            EXPECT_LE(ai->GetDetourTimer(), 0.0f) << "item " << item << ", update " << update;
        }
        EXPECT_TRUE(fired) << "item " << item;
        m_game.RemoveObject(20);
        m_game.RemoveObject(21);
        m_game.GetRacerIds().clear();
    }
}

} // namespace
