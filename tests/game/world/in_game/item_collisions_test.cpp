// The collision rules: which one decides when a racer meets an object (and when two apply), the
// hits the mine and drill deliver and their length, the coat turning a hit on the owner, the
// finish row once per racer, the authority-only rules and unknown ids.
#include <gtest/gtest.h>

#include "game/content/object_type.h"
#include "game/events/game_events.h"
#include "game/ui/end_race_gui.h"
#include "game/world/env_obj.h"
#include "game/world/item_collisions.h"
#include "game/world/item_hit_effects.h"
#include "game/world/item_manager.h"
#include "game/world/item_model.h"
#include "game/world/item_states.h"
#include "game/world/trigger_obj.h"
#include "world_fixtures.h"

namespace {

using common::CVector3;
using kelvo::ECollisionRule;

class ItemCollisionsTest : public ::testing::Test, public tktest::CRaceFixture {
protected:
    void SetUp() override { InitGame(); }

    kelvo::CKelvoModel* Thing(std::uint32_t id, std::uint32_t type) {
        kelvo::CKelvoModel* model = nullptr;
        auto body = std::make_shared<velm::phy::CRigidBody>();
        if (kelvo::IsItemType(type)) {
            auto* item = new kelvo::CItemModel(body, id);
            m_game.AddObject(item, nullptr, new kelvo::CPathItemController(id));
            item->SetController(m_game.GetControllers()[id]);
            model = item;
        } else if (type == 30 || type == 31 || type == 36) {
            model = new kelvo::CTriggerObjModel(body, id);
            m_game.AddObject(model, nullptr, nullptr);
        } else {
            model = new kelvo::CEnvObjModel(body, id);
            m_game.AddObject(model, nullptr, nullptr);
        }
        model->SetObjectType(type);
        model->SetForwardAxis(CVector3(0.0f, 0.0f, -1.0f));
        return model;
    }
};

TEST_F(ItemCollisionsTest, TheRulesDecideInTheirOrderWithTheRacerOnEitherSide) {
    kelvo::CRacerModel* racer = AddRacer(1, 1, kelvo::CONTROL_LOCAL_PLAYER);
    AddRacer(2, 2, kelvo::CONTROL_LOCAL_OTHER, 3.0f);
    AddRacer(3, 3, kelvo::CONTROL_NETWORK, 6.0f);
    struct SCase {
        std::uint32_t first;
        std::uint32_t second;
        ECollisionRule rule;
    };
    Thing(10, 15);
    Thing(11, 16);
    Thing(12, 12);
    Thing(13, 30);
    Thing(14, 36);
    Thing(15, 31);
    Thing(16, 35);
    Thing(17, 17);
    const std::vector<SCase> cases = {
        {1, 10, ECollisionRule::Jug},
        {10, 1, ECollisionRule::Jug},
        {3, 10, ECollisionRule::None},
        {1, 11, ECollisionRule::Ramp},
        {12, 1, ECollisionRule::Whirlpool},
        {1, 2, ECollisionRule::Racer},
        {1, 13, ECollisionRule::RockRelease},
        {14, 2, ECollisionRule::LogRelease},
        {1, 15, ECollisionRule::Finish},
        {16, 1, ECollisionRule::Geyser},
        {1, 17, ECollisionRule::None},
        {10, 11, ECollisionRule::None},
        {1, 99, ECollisionRule::None},
        {99, 99, ECollisionRule::None},
        // A racer against a remote racer's jug touch: the remote one gets nothing, and the racer
        // rule is what the pair means.
        {3, 1, ECollisionRule::Racer},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(kelvo::HandleItemCollision(c.first, c.second), c.rule) << c.first << " with " << c.second;
    }
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count(kelvo::kCreateItemEventName), 2);
    EXPECT_TRUE(m_game.m_rocksReleased);
    EXPECT_TRUE(m_game.m_logsReleased);
    EXPECT_EQ(m_game.GetGeyserSoundCount(), 1);
    EXPECT_NEAR(racer->GetLinearVelocity().y, 4.0f, 0.5f);
}

TEST_F(ItemCollisionsTest, AFinishingRacerGetsOneRowHoweverLongItTouchesTheLine) {
    AddRacer(1, 1, kelvo::CONTROL_LOCAL_PLAYER);
    AddRacer(2, 2, kelvo::CONTROL_LOCAL_OTHER);
    Thing(15, 31);
    for (int frame = 0; frame < 30; ++frame) {
        kelvo::HandleItemCollision(1, 15);
    }
    kelvo::HandleItemCollision(15, 2);
    EXPECT_EQ(m_game.GetEndRaceGUI()->GetResultRows(), (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(ItemCollisionsTest, OnAClientTheFinishAndGeyserRulesGiveWayToLaterOnesOrNothing) {
    m_game.SetNetworkMode(true, 0, nullptr);
    AddRacer(1, 1, kelvo::CONTROL_LOCAL_PLAYER);
    Thing(15, 31);
    Thing(16, 35);
    EXPECT_EQ(kelvo::HandleItemCollision(1, 15), ECollisionRule::None);
    EXPECT_EQ(kelvo::HandleItemCollision(1, 16), ECollisionRule::None);
    EXPECT_TRUE(m_game.GetEndRaceGUI()->GetResultRows().empty());
    // The crossing is kept, once, for a takeover.
    EXPECT_EQ(kelvo::HandleItemCollision(15, 1), ECollisionRule::None);
    EXPECT_EQ(m_game.GetCrossedFinish(), std::vector<std::uint32_t>{1});
}

TEST_F(ItemCollisionsTest, AMineExplodesAndHitsOrTurnsOnItsOwnerUnderACoat) {
    kelvo::CRacerModel* owner = AddRacer(1, 1, kelvo::CONTROL_LOCAL_PLAYER);
    kelvo::CRacerModel* racer = AddRacer(2, 2, kelvo::CONTROL_LOCAL_OTHER, 3.0f);
    auto* mine = static_cast<kelvo::CItemModel*>(Thing(20, 14));
    kelvo::LinkItemToOwner(20, 1);
    mine->CreateStateMachine();
    mine->Update(0.0, kFrame);
    ASSERT_EQ(mine->GetStateMachine()->GetCurrentState(), kelvo::kMineAttachedStateName);

    racer->SetInvincible(true);
    EXPECT_EQ(kelvo::HandleItemCollision(2, 20), ECollisionRule::Mine);
    EXPECT_EQ(mine->GetStateMachine()->GetCurrentState(), kelvo::kMineAttachedStateName);
    EXPECT_FALSE(racer->HasHitEffect());
    auto* turned = dynamic_cast<kelvo::HitByMineFunc*>(owner->GetHitEffect());
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(m_game.GetHUD()->GetHitOverlayCount(), 1);

    racer->SetInvincible(false);
    const int particlesBefore = m_log->Count(kelvo::kCreatePartSysEventName);
    EXPECT_EQ(kelvo::HandleItemCollision(20, 2), ECollisionRule::Mine);
    EXPECT_EQ(mine->GetStateMachine()->GetCurrentState(), kelvo::kMineExplodeStateName);
    EXPECT_FALSE(mine->IsAttached());
    auto* hit = dynamic_cast<kelvo::HitByMineFunc*>(racer->GetHitEffect());
    ASSERT_NE(hit, nullptr);
    EXPECT_NEAR(hit->GetTimer().GetRemainingSeconds(), 2.0, 0.05);
    EXPECT_NEAR(hit->GetForce().y, 16.0f * racer->GetBody()->GetMass(), 1e-3f);
    m_events.Tick(-1);
    EXPECT_EQ(m_log->Count(kelvo::kCreatePartSysEventName), particlesBefore + 2);
}

TEST_F(ItemCollisionsTest, ADrillIsMarkedEvenWhenItsVictimIsAlreadyHit) {
    AddRacer(1, 1, kelvo::CONTROL_LOCAL_PLAYER);
    kelvo::CRacerModel* racer = AddRacer(2, 2, kelvo::CONTROL_LOCAL_OTHER, 3.0f);
    auto* drill = static_cast<kelvo::CItemModel*>(Thing(20, 7));
    kelvo::LinkItemToOwner(20, 1);
    EXPECT_EQ(kelvo::HandleItemCollision(2, 20), ECollisionRule::Drill);
    auto* hit = dynamic_cast<kelvo::HitByDrillFunc*>(racer->GetHitEffect());
    ASSERT_NE(hit, nullptr);
    EXPECT_FLOAT_EQ(hit->GetSpin(), 2.0f);
    EXPECT_NEAR(hit->GetTimer().GetRemainingSeconds(), 2.0, 0.05);
    EXPECT_TRUE(drill->GetPathController()->HasHit());

    auto* second = static_cast<kelvo::CItemModel*>(Thing(21, 7));
    kelvo::LinkItemToOwner(21, 1);
    EXPECT_EQ(kelvo::HandleItemCollision(21, 2), ECollisionRule::Drill);
    EXPECT_EQ(racer->GetHitEffect(), hit);
    EXPECT_TRUE(second->GetPathController()->HasHit());
}

} // namespace
