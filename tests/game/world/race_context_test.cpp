// The race world with only its own race beneath the game: what the racers, their controllers,
// the collision rules and the item manager ask of the race they run in, and that they carry on
// without one.
#include "game/world/race_context.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/events/event_manager.h"
#include "game/content/object_type.h"
#include "game/events/game_events.h"
#include "game/world/item_collisions.h"
#include "game/world/item_manager.h"
#include "game/world/kelvo_model.h"
#include "game/world/model_manip.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/trigger_obj.h"
#include "libs/common/script_manager.h"
#include "race_fakes.h"

namespace {

using kelvo::ECollisionRule;
using Calls = std::vector<std::string>;

TEST(RaceContextTest, CollisionRulesTellTheRaceWhatOnlyItMayDo) {
    struct SCase {
        const char* what;
        std::uint32_t otherType;
        bool networked;
        bool host;
        ECollisionRule rule;
        Calls calls;
    };
    const SCase cases[] = {
        {"finish alone", kelvo::TRIGGER_FINISH, false, false, ECollisionRule::Finish, {"AddResultRow 1"}},
        {"finish on the host", kelvo::TRIGGER_FINISH, true, true, ECollisionRule::Finish, {"AddResultRow 1"}},
        // Not a client's to decide, but noted should it become the server.
        {"finish on a client", kelvo::TRIGGER_FINISH, true, false, ECollisionRule::None, {"NoteFinishCrossed 1"}},
        {"rock release", kelvo::TRIGGER_ROCK_RELEASE, true, false, ECollisionRule::RockRelease, {"ReleaseRocks 1"}},
        {"log release", kelvo::TRIGGER_LOG_RELEASE, false, false, ECollisionRule::LogRelease, {"ReleaseLogs"}},
        {"geyser alone", kelvo::OBJECT_GEYSER, false, false, ECollisionRule::Geyser, {"PlayGeyserSound"}},
        {"geyser on a client", kelvo::OBJECT_GEYSER, true, false, ECollisionRule::None, {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        tktest::CTestRace race;
        race.m_networked = c.networked;
        race.m_host = c.host;
        race.Add<kelvo::CRacerModel>(1, 1u, kelvo::CONTROL_LOCAL_PLAYER);
        race.Add<kelvo::CTriggerObjModel>(2, c.otherType);
        EXPECT_EQ(kelvo::HandleItemCollision(2, 1), c.rule);
        EXPECT_EQ(race.m_calls, c.calls);
    }
    // Without a race nothing is anybody's to decide.
    EXPECT_EQ(kelvo::HandleItemCollision(2, 1), ECollisionRule::None);
}

TEST(RaceContextTest, NetworkingFlagsAreTheRaces) {
    EXPECT_FALSE(kelvo::IsNetworkedGame()) << "no race: single play";
    EXPECT_FALSE(kelvo::IsNetworkHost());
    EXPECT_FALSE(kelvo::IsNetworkClient());
    tktest::CTestRace race;
    EXPECT_FALSE(kelvo::IsNetworkedGame());
    race.m_host = true;
    EXPECT_FALSE(kelvo::IsNetworkHost()) << "a host flag off the network counts for nothing";
    race.m_networked = true;
    EXPECT_TRUE(kelvo::IsNetworkHost());
    EXPECT_FALSE(kelvo::IsNetworkClient());
    race.m_host = false;
    EXPECT_TRUE(kelvo::IsNetworkClient());
}

TEST(RaceContextTest, ControllersTakeTheirDriversFromTheRace) {
    auto& scripts = *common::CScriptManager::GetInstance();
    {
        tktest::CTestRace race;
        kelvo::CRacerModel* computer = race.Add<kelvo::CRacerModel>(7, 2u, kelvo::CONTROL_LOCAL_OTHER);
        kelvo::CAIRacerContr brain(computer);
        kelvo::CRacerModel* player = race.Add<kelvo::CRacerModel>(8, 3u, kelvo::CONTROL_LOCAL_PLAYER);
        ASSERT_TRUE(scripts.RunString("RECORD_INPUT = false"));
        kelvo::CHumanRacerContr quiet(player);
        ASSERT_TRUE(scripts.RunString("RECORD_INPUT = true"));
        kelvo::CHumanRacerContr recording(player);
        EXPECT_EQ(race.m_calls, (Calls{"CreateEnemyAI 2 7", "CreateDrivingRecorder 3"}));
        // The race gave no AI: the computer racer drifts rather than fall over.
        brain.Update(0.0, 1.0f / 60.0f);
        EXPECT_EQ(brain.GetAI(), nullptr);
        EXPECT_FALSE(brain.IsPaddling());
    }
    // Without a race there is no one to ask.
    kelvo::CRacerModel lone(std::make_shared<velm::phy::CRigidBody>(), 9);
    kelvo::CAIRacerContr alone(&lone);
    kelvo::CHumanRacerContr human(&lone);
    alone.Update(0.0, 1.0f / 60.0f);
    EXPECT_FALSE(human.IsRecording());
    ASSERT_TRUE(scripts.RunString("RECORD_INPUT = nil"));
}

TEST(RaceContextTest, TheItemManagerActsOnlyOnEventsTheRaceAccepts) {
    velm::CEventManager events;
    velm::SetEventManager(&events);
    tktest::CTestRace race;
    race.Add<kelvo::CRacerModel>(1, 1u, kelvo::CONTROL_LOCAL_PLAYER);
    kelvo::CItemManager manager;
    manager.AddRacer(1);
    kelvo::CCreateItemEvt refused(1, kelvo::ITEM_DRILL);
    refused.SetFromNetwork(true);
    race.m_acceptPeers = false;
    manager.HandleEvent(refused);
    EXPECT_TRUE(race.m_hud.m_calls.empty());
    race.m_acceptPeers = true;
    manager.HandleEvent(refused);
    EXPECT_EQ(race.m_hud.m_calls, Calls{"StartItemSpin 7"}) << "this machine's player sees the slot spin";
    velm::SetEventManager(nullptr);
}

TEST(RaceContextTest, MovingAnObjectBringsTheRacesWaypointsAlong) {
    tktest::CTestRace race;
    kelvo::CModelManip manip;
    manip.SetPosition(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(race.m_calls, Calls{"SyncWaypointMarkers"});
}

} // namespace
