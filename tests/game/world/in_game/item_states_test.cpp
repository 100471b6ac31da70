// The items' machines: each item's state sequence on the server and as a networked copy, the hit
// each delivers and how long it lasts, the coat giving back the racer's effect, the drill's path
// and homing, the geyser's durations from its fixed seeds, and items whose target or path is
// missing ending cleanly.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/ai/ai_manager.h"
#include "engine/gfx/gfx_unit.h"
#include "game/events/game_events.h"
#include "game/world/boost_states.h"
#include "game/world/drill_states.h"
#include "game/world/env_obj.h"
#include "game/world/geyser_states.h"
#include "game/world/item_hit_effects.h"
#include "game/world/item_manager.h"
#include "game/world/item_model.h"
#include "game/world/item_states.h"
#include "game/world/shark_states.h"
#include "game/world/weapon_data.h"
#include "world_fixtures.h"

namespace {

using common::CVector3;

class ItemStatesTest : public ::testing::Test, public tktest::CRaceFixture {
protected:
    void SetUp() override {
        kelvo::data::Mine().m_life = 0.0f;
        kelvo::data::Propeller().m_life = 0.0f;
        kelvo::data::Propeller().m_hForce = 1.6f;
        kelvo::data::Reflect().m_life = 0.0f;
        kelvo::data::Pole().m_life = 0.7f;
        kelvo::data::Pole().m_range = 20.0f;
        kelvo::data::Pole().m_angle = 0.6f;
        kelvo::data::Pole().m_hForce = 2.0f;
        kelvo::data::Pole().m_vForce = 3.0f;
        kelvo::data::Drill().m_hForce = 10.0f;
        kelvo::SetDrillPathSource(&m_ai);
        InitGame();
    }
    void TearDown() override { kelvo::SetDrillPathSource(nullptr); }

    kelvo::CRacerModel* Racer(std::uint32_t id, std::uint32_t kind, std::uint32_t place, float x = 0.0f) {
        kelvo::CRacerModel* racer = AddRacer(id, 1, kind, x);
        racer->SetRaceRank(place);
        racer->GetLinearVelocity();
        m_game.AddRacerId(id);
        return racer;
    }

    // An item as the creation handler builds it: owner linked, path controller, animated unit.
    kelvo::CItemModel* Item(std::uint32_t id, std::uint32_t type, std::uint32_t owner) {
        auto body = std::make_shared<velm::phy::CRigidBody>();
        auto* item = new kelvo::CItemModel(body, id);
        item->SetObjectType(type);
        item->SetForwardAxis(CVector3(0.0f, 0.0f, -1.0f));
        auto* unit = new tktest::CAnimUnit();
        item->SetSceneNode(unit);
        auto* view = new kelvo::CItemView(item, unit);
        auto* controller = new kelvo::CPathItemController(id);
        item->SetController(controller);
        m_game.AddObject(item, view, controller);
        kelvo::LinkItemToOwner(id, owner);
        item->CreateStateMachine();
        return item;
    }

    // A frame with the views' pass, which also updates the models attached to a racer.
    void Step() {
        Frame();
        m_game.UpdateViews(m_time, kFrame);
    }

    static std::string StateOf(const velm::CModel* model) { return model->GetStateMachine()->GetCurrentState(); }

    // The states the model passes through in `frames` frames, its first state included.
    std::vector<std::string> Run(const velm::CModel* model, int frames, const std::function<void(int)>& each = {}) {
        // The model may be gone after a frame: only its id is safe then.
        const std::uint32_t id = model->GetID();
        std::vector<std::string> seen{StateOf(model)};
        for (int i = 0; i < frames; ++i) {
            if (each) {
                each(i);
            }
            Step();
            if (m_game.FindModel(id) == nullptr) {
                seen.push_back("removed");
                break;
            }
            if (StateOf(model) != seen.back()) {
                seen.push_back(StateOf(model));
            }
        }
        return seen;
    }

    void SetPath(std::vector<CVector3> points) {
        velm::ai::CWaypointPath path;
        path.m_name = "stage1hard";
        for (const CVector3& p : points) {
            path.m_waypoints.push_back(velm::ai::CWaypointData{p});
        }
        m_ai.AddPath(path);
    }

    velm::ai::CAIManager m_ai;
};

TEST_F(ItemStatesTest, EachItemsSequenceOnTheServerAndAsANetworkedCopy) {
    struct SCase {
        std::uint32_t type;
        std::vector<std::string> server;
    };
    const std::vector<SCase> cases = {
        {9, {"Bait_Network_State"}},
        {14,
         {"Mine_Network_State", "Mine_Attached_State", "Mine_Detached_State", "Mine_Explode_State",
          "Mine_Destroy_State", "removed"}},
        {13, {"Propeller_Network_State", "Propeller_Boost_State", "Propeller_Destroy_State", "removed"}},
        {8, {"Reflect_Network_State", "Reflect_Invincible_State", "Reflect_Destroy_State", "removed"}},
        {11, {"Pole_Network_State", "Pole_Cast_State", "Pole_Destroy_State", "removed"}},
        {10, {"Shark_Network_State", "Shark_Spin_State", "Shark_Destroy_State", "removed"}},
    };
    Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 2);
    Racer(2, kelvo::CONTROL_LOCAL_OTHER, 1, 3.0f);
    std::uint32_t id = 100;
    for (const SCase& c : cases) {
        kelvo::CItemModel* item = Item(++id, c.type, 1);
        const std::uint32_t itemId = item->GetID();
        const std::vector<std::string> seen = Run(item, 12, [this, itemId](int frame) {
            auto* live = dynamic_cast<kelvo::CItemModel*>(m_game.FindModel(itemId));
            if (frame == 2 && live != nullptr) {
                live->SetShouldDetach(true);
            }
        });
        EXPECT_EQ(seen, c.server) << "type " << c.type;
    }
    auto* whirlpool = Item(++id, 12, 1);
    EXPECT_EQ(StateOf(whirlpool), "");

    m_game.SetNetworkMode(true, 0, nullptr);
    for (const SCase& c : cases) {
        kelvo::CItemModel* item = Item(++id, c.type, 1);
        EXPECT_EQ(Run(item, 6), std::vector<std::string>{c.server.front()}) << "type " << c.type;
    }
}

TEST_F(ItemStatesTest, TheSharkPullsTheLeaderAndACoatTurnsItOnTheOwner) {
    kelvo::CRacerModel* owner = Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 3);
    kelvo::CRacerModel* leader = Racer(2, kelvo::CONTROL_LOCAL_OTHER, 1, 4.0f);
    leader->SetLinearVelocity(CVector3(0.0f, 0.0f, -2.0f));
    kelvo::CItemModel* shark = Item(10, 10, 1);
    Unit(leader).m_done = true;
    static_cast<tktest::CAnimUnit*>(shark->GetSceneNode())->m_done = false;
    Step();
    EXPECT_EQ(StateOf(shark), "Shark_Spin_State");
    EXPECT_NEAR(shark->GetPosition().z, leader->GetPosition().z + 1.8f, 0.05f);
    Step();
    EXPECT_FALSE(leader->HasHitEffect());
    static_cast<tktest::CAnimUnit*>(shark->GetSceneNode())->m_done = true;
    Step();
    auto* pull = dynamic_cast<kelvo::HitBySharkFunc*>(leader->GetHitEffect());
    ASSERT_NE(pull, nullptr);
    EXPECT_NEAR(pull->GetTimer().GetRemainingSeconds(), 2.0, 0.05);
    // Still water: straight down, eight times the mass.
    EXPECT_NEAR(pull->GetForce().y, -8.0f * leader->GetBody()->GetMass(), 1e-3f);
    EXPECT_NEAR(kelvo::SharkPullDirection(*owner).y, -1.0f, 1e-5f);

    leader->GetHitEffect()->GetTimer().StartCountdown(0.0f);
    Step();
    EXPECT_FALSE(leader->HasHitEffect());
    leader->SetInvincible(true);
    kelvo::CItemModel* second = Item(11, 10, 1);
    Run(second, 4);
    EXPECT_FALSE(leader->HasHitEffect());
    EXPECT_NE(dynamic_cast<kelvo::HitBySharkFunc*>(owner->GetHitEffect()), nullptr);
    EXPECT_EQ(m_game.GetHUD()->GetHitOverlayCount(), 1);
}

TEST_F(ItemStatesTest, ARemoteTargetGetsTheForceEventAndNoHitHere) {
    Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 2);
    kelvo::CRacerModel* remote = Racer(2, kelvo::CONTROL_NETWORK, 1, 4.0f);
    remote->SetConnectionId(7);
    Run(Item(10, 10, 1), 4);
    EXPECT_FALSE(remote->HasHitEffect());
    EXPECT_EQ(m_log->Count(kelvo::kSharkForceEventName), 1);
}

TEST_F(ItemStatesTest, ThePoleHooksTheNearestRacerAheadAndPullsItForItsLife) {
    kelvo::CRacerModel* owner = Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 2);
    kelvo::CRacerModel* far = Racer(2, kelvo::CONTROL_LOCAL_OTHER, 1);
    kelvo::CRacerModel* near = Racer(3, kelvo::CONTROL_LOCAL_OTHER, 3);
    far->SetPosition(CVector3(0.0f, 0.3f, -12.0f));
    near->SetPosition(CVector3(0.0f, 0.3f, -5.0f));
    Unit(owner).m_done = true;
    Run(Item(10, 11, 1), 4);
    EXPECT_FALSE(far->HasHitEffect());
    auto* pull = dynamic_cast<kelvo::HitByPoleFunc*>(near->GetHitEffect());
    ASSERT_NE(pull, nullptr);
    EXPECT_NEAR(pull->GetTimer().GetRemainingSeconds(), 0.7, 0.05);
    const float m = near->GetBody()->GetMass();
    EXPECT_NEAR(pull->GetForce().y, 3.0f * m, 1e-3f);
    EXPECT_NEAR(pull->GetForce().z, -2.0f * m, 1e-2f);
    EXPECT_NE(std::find(Unit(owner).m_played.begin(), Unit(owner).m_played.end(), 8), Unit(owner).m_played.end());
}

TEST_F(ItemStatesTest, ThePropellerBoostsAndThenLeavesSpeedScaleAtExactlyOne) {
    kelvo::CRacerModel* owner = Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 1);
    owner->SetSpeedScale(0.4f);
    kelvo::data::Propeller().m_life = 30.0f;
    kelvo::CItemModel* propeller = Item(10, 13, 1);
    Step();
    EXPECT_EQ(StateOf(propeller), "Propeller_Boost_State");
    EXPECT_FLOAT_EQ(owner->GetSpeedScale(), 1.6f);
    EXPECT_FLOAT_EQ(owner->GetBoost(), 1.0f);
    EXPECT_TRUE(propeller->IsAttached());
    auto* boost =
        dynamic_cast<kelvo::CPropBoostState*>(propeller->GetStateMachine()->GetState(kelvo::kPropellerBoostStateName));
    ASSERT_NE(boost, nullptr);
    boost->GetTimer().StartCountdown(0.0f);
    Step();
    EXPECT_FLOAT_EQ(owner->GetSpeedScale(), 1.0f);
    EXPECT_FLOAT_EQ(owner->GetBoost(), 0.0f);
    EXPECT_FALSE(propeller->IsAttached());
}

TEST_F(ItemStatesTest, TheCoatGivesBackTheEffectAndTechniqueTheRacerWore) {
    kelvo::CRacerModel* owner = Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 1);
    auto* unit = new velm::gfx::CGfxUnit();
    unit->SetEffectFileName("Cartoon.fx");
    unit->SetTechniqueName("Outline");
    owner->SetSceneNode(unit);
    delete m_game.GetViews()[1];
    m_game.GetViews()[1] = new kelvo::CRacerView(owner, unit);
    kelvo::data::Reflect().m_life = 30.0f;
    kelvo::CItemModel* coat = Item(10, 8, 1);
    Step();
    EXPECT_EQ(unit->GetEffectFileName(), "Membrane.fx");
    EXPECT_EQ(unit->GetTechniqueName(), "Membrane");
    EXPECT_TRUE(owner->IsInvincible());
    EXPECT_EQ(m_log->Count(kelvo::kChangeFXFileEventName), 1);
    dynamic_cast<kelvo::CReflectInvincibleState*>(coat->GetStateMachine()->GetState(kelvo::kReflectInvincibleStateName))
        ->GetTimer()
        .StartCountdown(0.0f);
    Step();
    EXPECT_EQ(unit->GetEffectFileName(), "Cartoon.fx");
    EXPECT_EQ(unit->GetTechniqueName(), "Outline");
    EXPECT_FALSE(owner->IsInvincible());
    EXPECT_EQ(m_log->Count(kelvo::kChangeFXFileEventName), 2);
}

TEST_F(ItemStatesTest, TheLeadersDrillFollowsThePathAndEndsBeforeItsLastWaypoint) {
    std::vector<CVector3> points;
    for (int i = 0; i < 5; ++i) {
        points.emplace_back(0.0f, 0.0f, -5.0f * static_cast<float>(i + 1));
    }
    SetPath(points);
    Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 1);
    kelvo::CItemModel* drill = Item(10, 7, 1);
    Step();
    ASSERT_EQ(StateOf(drill), "Drill_Spin_State");
    kelvo::CPathItemController* steer = drill->GetPathController();
    EXPECT_EQ(steer->GetTargetId(), 0u);
    EXPECT_EQ(steer->GetWaypointIndex(), 0u);
    EXPECT_NEAR(drill->GetLinearVelocity().z, -10.0f, 0.05f);
    std::vector<std::uint32_t> indices{steer->GetWaypointIndex()};
    for (int i = 0; i < 8 && StateOf(drill) == "Drill_Spin_State"; ++i) {
        drill->SetPosition(CVector3(0.0f, 0.0f, steer->GetWaypointPoint().z));
        Step();
        if (m_game.FindModel(10) == nullptr) {
            break;
        }
        if (steer->GetWaypointIndex() != indices.back()) {
            indices.push_back(steer->GetWaypointIndex());
        }
    }
    EXPECT_EQ(indices, (std::vector<std::uint32_t>{0, 1, 2, 3}));
    Step();
    EXPECT_EQ(m_game.FindModel(10), nullptr);
}

TEST_F(ItemStatesTest, TheDrillStartsFromTheAIsNearestWaypointAndFacesLevelAtLaunch) {
    // Waypoints every 10 m ahead; the owner halfway between the second and the third. The AI's
    // search keeps the later of two equal waypoints, which already lies ahead.
    std::vector<CVector3> points;
    for (int i = 0; i < 20; ++i) {
        points.emplace_back(0.0f, 0.3f, -10.0f * static_cast<float>(i));
    }
    SetPath(points);
    Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 1)->SetPosition(CVector3(0.0f, 0.3f, -15.0f));
    kelvo::CItemModel* drill = Item(10, 7, 1);
    drill->SetLinearVelocity(CVector3(0.0f, -4.0f, 0.0f));
    Step();
    ASSERT_EQ(StateOf(drill), "Drill_Spin_State");
    const kelvo::CPathItemController* steer = drill->GetPathController();
    EXPECT_EQ(steer->GetWaypointIndex(), 2u);
    EXPECT_EQ(steer->GetWaypointPoint(), CVector3(0.0f, 0.0f, -20.0f));
    EXPECT_EQ(steer->GetTargetPoint(), CVector3(0.0f, 0.0f, -120.0f)) << "the end point, ten waypoints on";
    // It falls as it did, but its nose points along the level launch heading.
    EXPECT_FLOAT_EQ(drill->GetLinearVelocity().y, -4.0f);
    const CVector3 nose = drill->GetOrientation().Rotate(CVector3(1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(nose.y, 0.0f, 1e-5f);
    EXPECT_NEAR(nose.z, -1.0f, 1e-5f);
}

TEST_F(ItemStatesTest, TheThirdPlacedDrillHomesOnSecondPlaceOnceItIsNearerThanTheWaypoint) {
    std::vector<CVector3> points;
    for (int i = 0; i < 30; ++i) {
        points.emplace_back(0.0f, 0.0f, -5.0f * static_cast<float>(i + 1));
    }
    SetPath(points);
    Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 3);
    kelvo::CRacerModel* second = Racer(2, kelvo::CONTROL_LOCAL_OTHER, 2, 30.0f);
    second->SetPosition(CVector3(0.0f, 0.3f, -60.0f));
    kelvo::CItemModel* drill = Item(10, 7, 1);
    Step();
    kelvo::CPathItemController* steer = drill->GetPathController();
    EXPECT_EQ(steer->GetTargetId(), 2u);
    EXPECT_FALSE(steer->IsHoming());
    second->SetPosition(CVector3(0.0f, 0.3f, -2.0f));
    Step();
    EXPECT_TRUE(steer->IsHoming());
    // At the target without the hit mark it keeps going; with it, it ends.
    drill->SetPosition(second->GetPosition());
    Step();
    EXPECT_EQ(StateOf(drill), "Drill_Spin_State");
    steer->SetHit(true);
    Step();
    EXPECT_EQ(StateOf(drill), "Drill_Destroy_State");
}

TEST_F(ItemStatesTest, ItemsWithoutLeaderPathOrTargetEndCleanly) {
    Racer(1, kelvo::CONTROL_LOCAL_PLAYER, 2);
    // No path at all, then a path of one waypoint.
    EXPECT_EQ(Run(Item(10, 7, 1), 4).back(), "removed");
    SetPath({CVector3(0.0f, 0.0f, -5.0f)});
    EXPECT_EQ(Run(Item(11, 7, 1), 4).back(), "removed");
    // No racer leads: the shark ends.
    EXPECT_EQ(Run(Item(12, 10, 1), 4).back(), "removed");

    // The drill's target leaves the race.
    std::vector<CVector3> points;
    for (int i = 0; i < 30; ++i) {
        points.emplace_back(0.0f, 0.0f, -5.0f * static_cast<float>(i + 1));
    }
    SetPath(points);
    Racer(2, kelvo::CONTROL_LOCAL_OTHER, 1);
    m_game.FindModel(2)->SetPosition(CVector3(0.0f, 0.3f, -100.0f));
    kelvo::CItemModel* drill = Item(13, 7, 1);
    Step();
    ASSERT_EQ(drill->GetPathController()->GetTargetId(), 2u);
    m_game.RemoveObject(2);
    EXPECT_EQ(Run(drill, 4).back(), "removed");

    // The pole's hooked racer leaves before the pull.
    Racer(3, kelvo::CONTROL_LOCAL_OTHER, 3);
    m_game.FindModel(3)->SetPosition(CVector3(0.0f, 0.3f, -5.0f));
    Unit(static_cast<kelvo::CRacerModel*>(m_game.FindModel(1))).m_done = false;
    kelvo::CItemModel* pole = Item(14, 11, 1);
    Step();
    ASSERT_EQ(StateOf(pole), "Pole_Cast_State");
    m_game.RemoveObject(3);
    Unit(static_cast<kelvo::CRacerModel*>(m_game.FindModel(1))).m_done = true;
    EXPECT_EQ(Run(pole, 4).back(), "removed");
}

TEST_F(ItemStatesTest, GeysersIdleAndEruptForTimesDrawnFromTheirFixedSeeds) {
    auto geyser = [this](std::uint32_t id) {
        auto* model = new kelvo::CEnvObjModel(std::make_shared<velm::phy::CRigidBody>(), id);
        model->SetObjectType(35);
        m_game.AddObject(model, nullptr, nullptr);
        model->CreateStateMachine();
        return model;
    };
    kelvo::CEnvObjModel* first = geyser(40);
    kelvo::CEnvObjModel* second = geyser(41);
    auto timer = [](kelvo::CEnvObjModel* model, const char* name) {
        return dynamic_cast<kelvo::CGeyserTimerState*>(model->GetStateMachine()->GetState(name));
    };
    const std::uint32_t base = timer(first, kelvo::kGeyserIdleStateName)->GetGenerator().GetSeed();
    EXPECT_EQ((base - 1000u) % 4000u, 0u);
    EXPECT_EQ(timer(first, kelvo::kGeyserEruptStateName)->GetGenerator().GetSeed(), base + 2000u);
    EXPECT_EQ(timer(second, kelvo::kGeyserIdleStateName)->GetGenerator().GetSeed(), base + 4000u);
    EXPECT_EQ(StateOf(first), "Geyser_Init_State");
    EXPECT_EQ(m_log->Count(kelvo::kCreatePartSysEventName), 2);

    common::CMersenneTwister idle;
    idle.Seed(base);
    common::CMersenneTwister erupt;
    erupt.Seed(base + 2000u);
    Step();
    ASSERT_EQ(StateOf(first), "Geyser_Idle_State");
    for (int cycle = 0; cycle < 3; ++cycle) {
        const double idleTime = 2.0 + 2.0 * idle.RandomInt(100001) * 0.00001;
        kelvo::CGeyserTimerState* idleState = timer(first, kelvo::kGeyserIdleStateName);
        EXPECT_NEAR(idleState->GetTimer().GetRemainingSeconds(), idleTime, 0.05) << cycle;
        EXPECT_TRUE(idleTime >= 2.0 && idleTime <= 4.0);
        idleState->GetTimer().StartCountdown(0.0f);
        Step();
        ASSERT_EQ(StateOf(first), "Geyser_Erupt_State");
        const double eruptTime = 5.0 + 4.0 * erupt.RandomInt(100001) * 0.00001;
        kelvo::CGeyserTimerState* eruptState = timer(first, kelvo::kGeyserEruptStateName);
        EXPECT_NEAR(eruptState->GetTimer().GetRemainingSeconds(), eruptTime, 0.05) << cycle;
        eruptState->GetTimer().StartCountdown(0.0f);
        Step();
        ASSERT_EQ(StateOf(first), "Geyser_Idle_State");
    }

    m_game.SetNetworkMode(true, 0, nullptr);
    timer(second, kelvo::kGeyserIdleStateName)->GetTimer().StartCountdown(0.0f);
    Step();
    Step();
    EXPECT_EQ(StateOf(second), "Geyser_Network_State");
}

} // namespace
