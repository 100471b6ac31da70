#include <gtest/gtest.h>

#include "engine/gfx/lights_manager.h"
#include "game/content/object_type.h"
#include "game/world/env_obj.h"
#include "game/world/item_model.h"
#include "game/world/light_model.h"
#include "world_fixtures.h"

namespace {

using common::CVector3;

class WorldObjectsTest : public ::testing::Test, public tktest::CRaceFixture {
protected:
    std::shared_ptr<velm::phy::CRigidBody> Body(const CVector3& at) {
        auto body = std::make_shared<velm::phy::CRigidBody>();
        body->SetPosition(at);
        return body;
    }
};

TEST_F(WorldObjectsTest, AnItemFindsItsOwnerOnlyWhileTheRacerExists) {
    kelvo::CRacerModel* racer = AddRacer(1, 1, kelvo::CONTROL_LOCAL_OTHER, 0.0f, false);
    auto* item = new kelvo::CItemModel(Body(CVector3()), 2);
    item->SetObjectType(kelvo::ITEM_MINE);
    m_game.AddObject(item, nullptr, nullptr);
    item->SetOwner(racer);
    EXPECT_EQ(item->GetOwner(), racer);
    m_game.RemoveObject(1);
    EXPECT_EQ(item->GetOwner(), nullptr) << "no dangling owner after the racer is gone";
}

TEST_F(WorldObjectsTest, ARemovedRacerTakesItsItemsAlong) {
    kelvo::CRacerModel* racer = AddRacer(1, 1, kelvo::CONTROL_LOCAL_OTHER, 0.0f, false);
    auto* item = new kelvo::CItemModel(Body(CVector3()), 2);
    m_game.AddObject(item, nullptr, nullptr);
    racer->AddItem(2);
    racer->AddItem(3); // already removed elsewhere: skipped
    m_game.RemoveObject(1);
    EXPECT_EQ(m_game.FindModel(2), nullptr);
}

TEST_F(WorldObjectsTest, ItemAnimationsReplicateExceptOnAClient) {
    auto* item = new kelvo::CItemModel(Body(CVector3()), 2);
    m_game.AddObject(item, nullptr, nullptr);
    struct Case {
        bool networked;
        std::uint8_t mode;
        int sent;
    };
    for (const Case& c : {Case{false, 0, 1}, Case{true, 1, 1}, Case{true, 2, 0}}) {
        m_game.SetNetworkMode(c.networked, c.mode, nullptr);
        m_log->m_names.clear();
        item->SetAnimation(3, false);
        m_events.Tick(-1);
        EXPECT_EQ(m_log->Count("Change_Ani_Evt"), c.sent) << int(c.mode);
        m_game.SetNetworkMode(false, 0, nullptr);
    }
}

TEST_F(WorldObjectsTest, OnlyTheServerSendsSceneryPositionsAtMostEveryThreeTenths) {
    auto* rock = new kelvo::CEnvObjModel(Body(CVector3(1.0f, 2.0f, 3.0f)), 5);
    m_game.AddObject(rock, nullptr, nullptr);
    struct Case {
        bool networked;
        std::uint8_t mode;
        bool isStatic;
        int sent;
    };
    for (const Case& c :
         {Case{false, 0, false, 0}, Case{true, 2, false, 0}, Case{true, 1, false, 3}, Case{true, 1, true, 0}}) {
        m_game.SetNetworkMode(c.networked, c.mode, nullptr);
        rock->GetBody()->SetStatic(c.isStatic);
        m_log->m_names.clear();
        for (int frame = 0; frame < 60; ++frame) {
            rock->Update(0.0, kFrame); // one second
        }
        EXPECT_EQ(m_log->Count("Position_Update"), c.sent) << int(c.mode) << c.isStatic;
        m_game.SetNetworkMode(false, 0, nullptr);
    }
}

TEST_F(WorldObjectsTest, ALightFollowsItsModelAndTheSceneOnlyOnRequest) {
    kelvo::CLightModel light(Body(CVector3()), 7);
    D3DLIGHT9& scene = velm::gfx::LightsManager::Instance().GetLight();
    scene.Position.y = -5.0f;
    light.SetPosition(CVector3(1.0f, 2.0f, 3.0f), false);
    EXPECT_FLOAT_EQ(light.GetLight().Position.y, 2.0f);
    EXPECT_EQ(light.GetPosition(), CVector3(1.0f, 2.0f, 3.0f));
    EXPECT_FLOAT_EQ(scene.Position.y, -5.0f) << "the lit scene stays";
    light.SetPosition(CVector3(1.0f, 4.0f, 3.0f), true);
    EXPECT_FLOAT_EQ(scene.Position.y, 4.0f);
}

} // namespace

namespace {

class RacerReplicationTest : public ::testing::Test, public tktest::CRaceFixture {};

TEST_F(RacerReplicationTest, SettersAndPositionsReachPeersByRole) {
    struct Case {
        bool networked;
        std::uint8_t mode;
        int scaleSent;      // two SetSpeedScale calls with the same value
        int invincibleSent; // true, true, false
        int positionsSent;  // one second of updates
    };
    const Case cases[] = {{false, 0, 0, 0, 0}, {true, 1, 2, 2, 12}, {true, 2, 0, 2, 12}};
    std::uint32_t id = 1;
    for (const Case& c : cases) {
        m_game.SetNetworkMode(c.networked, c.mode, nullptr);
        kelvo::CRacerModel* racer = AddRacer(id, 1, kelvo::CONTROL_LOCAL_OTHER, 3.0f * id, false);
        m_log->m_names.clear();
        racer->SetSpeedScale(0.5f);
        racer->SetSpeedScale(0.5f);
        EXPECT_EQ(m_log->Count("Change_Racer_State"), c.scaleSent) << int(c.mode);
        m_log->m_names.clear();
        racer->SetInvincible(true);
        racer->SetInvincible(true);
        racer->SetInvincible(false);
        EXPECT_EQ(m_log->Count("Change_Racer_State"), c.invincibleSent) << int(c.mode);
        m_log->m_names.clear();
        for (int frame = 0; frame < 60; ++frame) {
            racer->Update(0.0, kFrame);
        }
        EXPECT_EQ(m_log->Count("Position_Update"), c.positionsSent) << int(c.mode);
        m_game.RemoveObject(id);
        m_game.SetNetworkMode(false, 0, nullptr);
        ++id;
    }
}

} // namespace
