// What a peer's events may do here: the host takes its clients' requests and the state of their
// own racers, a client takes what its server decides, and neither acts on objects it does not
// hold or on what the game's state does not allow now.
#include "game/flow/peer_event_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/object_id.h"
#include "engine/events/engine_events.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/flow/event_socket.h"
#include "game/flow/tumbo_kelvo_listener.h"
#include "game/ui/multi_player_menu.h"
#include "game/world/racer_model.h"
#include "level_fixture.h"
#include "libs/common/quaternion.h"

namespace {

using common::CVector3;
using kelvo::CTumboKelvoGame;

class PeerEventCheckTest : public tktest::CShippedGameTest {
protected:
    void SetUp() override {
        m_tracePath = testing::TempDir() + testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        setenv("TK_TRACE", m_tracePath.c_str(), 1);
        tktest::CShippedGameTest::SetUp();
    }
    void TearDown() override {
        tktest::CShippedGameTest::TearDown();
        unsetenv("TK_TRACE");
    }
    std::uint32_t Racer(std::uint32_t controlKind, std::uint32_t owner) {
        const std::uint32_t id = velm::NewObjectID();
        velm::TriggerEvent(
            kelvo::CCreateRacerEvt("MonkeyModelData", id, owner, 1, 0, controlKind, 1, CVector3(0, 0, 0)));
        return id;
    }
    std::string Trace() const {
        std::ifstream in(m_tracePath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string m_tracePath;
};

struct SCase {
    const char* m_name;
    bool m_host;
    bool m_racing;
    std::uint32_t m_sender;
    std::function<std::shared_ptr<velm::CEvent>()> m_event;
    bool m_accepted;
};

TEST_F(PeerEventCheckTest, EachRoleTakesFromItsPeersOnlyWhatTheyMaySendAboutWhatExistsNow) {
    const std::uint32_t theirs = Racer(0, 5);
    const std::uint32_t mine = Racer(1, 0);
    const std::uint32_t item = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateItemFromKeyEvt("BaitModelData", item, 0, 0, 9, theirs, 1));
    m_game->CreateMultiPlayerMenu(1);
    const common::CQuaternion still(1.0f, 0.0f, 0.0f, 0.0f);
    const auto update = [&](std::uint32_t id, std::uint32_t owner) {
        return [=] { return std::make_shared<kelvo::CPositionUpdate>(CVector3(), CVector3(), still, id, owner); };
    };
    const auto request = [](std::uint32_t character, std::uint32_t client) {
        return [=] {
            auto data = std::make_shared<kelvo::CRequestHumanRacerIDData>();
            data->m_character = character;
            data->m_clientId = client;
            return std::make_shared<velm::CEvent>("Request_Human_Controller", data);
        };
    };
    const std::uint32_t none = 987654;
    const std::vector<SCase> cases = {
        {"a client's racer", true, true, 5,
         [] { return std::make_shared<kelvo::CCreateRacerEvt>("MonkeyModelData", 4000, 5, 1, 0, 0, 1, CVector3()); },
         false},
        {"the server's racer", false, true, 1,
         [] { return std::make_shared<kelvo::CCreateRacerEvt>("MonkeyModelData", 4000, 5, 1, 0, 0, 1, CVector3()); },
         true},
        {"the server's racer in the lobby", false, false, 1,
         [] { return std::make_shared<kelvo::CCreateRacerEvt>("MonkeyModelData", 4000, 5, 1, 0, 0, 1, CVector3()); },
         false},
        {"a finish in the lobby", false, false, 1,
         [&] { return std::make_shared<kelvo::CRacerFinishedRaceEvt>(theirs); }, false},
        {"a finish of no racer", false, true, 1, [&] { return std::make_shared<kelvo::CRacerFinishedRaceEvt>(none); },
         false},
        {"a finish", false, true, 1, [&] { return std::make_shared<kelvo::CRacerFinishedRaceEvt>(theirs); }, true},
        {"a slot for itself", true, false, 6, [] { return std::make_shared<kelvo::CRacerConnectEvt>(3, 6, 0); }, true},
        {"a slot for another", true, false, 7, [] { return std::make_shared<kelvo::CRacerConnectEvt>(3, 6, 0); },
         false},
        {"a slot of no character", true, false, 6, [] { return std::make_shared<kelvo::CRacerConnectEvt>(9, 6, 0); },
         false},
        {"a slot in the race", true, true, 6, [] { return std::make_shared<kelvo::CRacerConnectEvt>(3, 6, 0); }, false},
        {"the server's slot seven", false, false, 1, [] { return std::make_shared<kelvo::CRacerConnectEvt>(4, 1, 7); },
         false},
        {"its own racer moving", true, true, 5, update(theirs, 5), true},
        {"another's racer moving", true, true, 6, update(theirs, 6), false},
        {"the host's racer moving", true, true, 5, update(mine, 5), false},
        {"this client's racer moved", false, true, 1, update(mine, 1), false},
        {"no object moving", false, true, 1, update(none, 1), false},
        {"an item for its racer", true, true, 5, [&] { return std::make_shared<kelvo::CRequestItemEvent>(9, theirs); },
         true},
        {"an item for another's racer", true, true, 6,
         [&] { return std::make_shared<kelvo::CRequestItemEvent>(9, theirs); }, false},
        {"an item of no type", true, true, 5, [&] { return std::make_shared<kelvo::CRequestItemEvent>(30, theirs); },
         false},
        {"ready", true, true, 5, [] { return std::make_shared<kelvo::CReadyToStartRaceEvt>(5); }, true},
        {"ready for another", true, true, 6, [] { return std::make_shared<kelvo::CReadyToStartRaceEvt>(5); }, false},
        {"ready in the lobby", true, false, 5, [] { return std::make_shared<kelvo::CReadyToStartRaceEvt>(5); }, false},
        {"a racer for a client without one", true, true, 8, request(2, 8), true},
        {"a racer for a client with one", true, true, 5, request(2, 5), false},
        {"a racer for another client", true, true, 5, request(2, 8), false},
        {"an id counter raised", true, false, 5, [] { return std::make_shared<kelvo::CChangeNextObjIDEvt>(100000); },
         true},
        {"an id counter near its end", true, false, 5,
         [] { return std::make_shared<kelvo::CChangeNextObjIDEvt>(0xFFFFFFF0u); }, false},
        {"the server's spray in the lobby", false, false, 1,
         [] { return std::make_shared<kelvo::CCreateParticleSysFromKeyEvt>("trail", 4001, 0, CVector3()); }, true},
        {"a client's spray", true, true, 5,
         [] { return std::make_shared<kelvo::CCreateParticleSysFromKeyEvt>("trail", 4001, 0, CVector3()); }, false},
        {"a level", false, false, 1, [] { return std::make_shared<kelvo::CLoadLevelEvt>("race_track2.xml"); }, false},
        {"the start in the lobby", false, false, 1, [] { return std::make_shared<kelvo::CStartTrack1Evt>(); }, true},
        {"the start in the race", false, true, 1, [] { return std::make_shared<kelvo::CStartTrack1Evt>(); }, false},
        {"a start from a client", true, false, 5, [] { return std::make_shared<kelvo::CStartTrack1Evt>(); }, false},
        {"a shark of no racer", false, true, 1, [&] { return std::make_shared<kelvo::CSharkForceEvt>(theirs, none); },
         false},
        {"an item destroyed by a client", true, true, 5, [&] { return std::make_shared<kelvo::CDestroyItemEvt>(item); },
         false},
        {"an item destroyed", false, true, 1, [&] { return std::make_shared<kelvo::CDestroyItemEvt>(item); }, true},
        {"no item destroyed", false, true, 1, [&] { return std::make_shared<kelvo::CDestroyItemEvt>(none); }, false},
    };
    for (const SCase& c : cases) {
        m_game->SetNetworkMode(true, c.m_host ? 1 : 0, nullptr);
        m_game->SetRaceInProgress(c.m_racing);
        const std::shared_ptr<velm::CEvent> event = c.m_event();
        EXPECT_TRUE(kelvo::AcceptPeerEvent(*m_game, *event)) << c.m_name << ": raised here";
        event->SetFromNetwork(true);
        event->SetSender(c.m_sender);
        EXPECT_EQ(kelvo::AcceptPeerEvent(*m_game, *event), c.m_accepted) << c.m_name;
        m_game->SetNetworkMode(false, 0, nullptr);
        EXPECT_FALSE(kelvo::AcceptPeerEvent(*m_game, *event)) << c.m_name << ": networking off";
    }
    m_game->SetRaceInProgress(false);
}

// Random events from five fake clients at a host in the lobby: no racer, finish or slot comes of
// them, the game stays in the lobby, the log stays short, and a real client still takes a slot.
TEST_F(PeerEventCheckTest, AFloodOfRandomEventsInTheLobbyMakesNothingUp) {
    m_game->SetSelectedCharacter(1);
    m_game->CreateMultiPlayerMenu(1);
    const std::string state = m_game->GetStateMachine().GetCurrentState();
    const std::size_t models = m_game->GetModels().size();
    std::mt19937 random(33);
    const auto any = [&] { return static_cast<std::uint32_t>(random()); };
    const auto small = [&] { return static_cast<std::uint32_t>(random() % 12); };
    const common::CQuaternion still(1.0f, 0.0f, 0.0f, 0.0f);
    const std::vector<std::function<std::shared_ptr<velm::CEvent>()>> makers = {
        [&] {
            return std::make_shared<kelvo::CCreateRacerEvt>("MonkeyModelData", any(), small(), 1, 0, 0, small(),
                                                            CVector3());
        },
        [&] { return std::make_shared<kelvo::CCreateItemFromKeyEvt>("BaitModelData", any(), 0, 0, 9, small(), 1); },
        [&] { return std::make_shared<kelvo::CCreateParticleSysFromKeyEvt>("trail", any(), 0, CVector3()); },
        [&] { return std::make_shared<kelvo::CRacerFinishedRaceEvt>(any()); },
        [&] { return std::make_shared<kelvo::CRacerConnectEvt>(small(), any(), small()); },
        [&] { return std::make_shared<kelvo::CPositionUpdate>(CVector3(), CVector3(), still, small(), small()); },
        [&] { return std::make_shared<kelvo::CRequestItemEvent>(small() + 5, any()); },
        [&] { return std::make_shared<kelvo::CReadyToStartRaceEvt>(small()); },
        [&] { return std::make_shared<kelvo::CChangeNextObjIDEvt>(any() | 0x80000000u); },
        [&] { return std::make_shared<kelvo::CStartTrack1Evt>(); },
        [&] { return std::make_shared<kelvo::CBeginCountDownEvt>(); },
        [&] { return std::make_shared<kelvo::CLoadLevelEvt>("race_track3.xml"); },
        [&] { return std::make_shared<kelvo::CSharkForceEvt>(small(), small()); },
        [&] { return std::make_shared<kelvo::CDestroyItemEvt>(small()); },
    };
    kelvo::CTumboKelvoEventSocket socket;
    testing::internal::CaptureStderr();
    for (int i = 0; i < 20000; ++i) {
        unsigned char buffer[255] = {};
        unsigned char* cursor = buffer;
        const std::size_t length = makers[random() % makers.size()]()->Serialise(cursor);
        socket.OnPacket(buffer, static_cast<std::uint8_t>(length), 2 + random() % 5);
        if (i % 100 == 0) {
            m_events.Tick(-1);
        }
    }
    m_events.Tick(-1);
    const std::string log = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(m_game->GetRacerIds().empty());
    EXPECT_EQ(m_game->GetModels().size(), models);
    EXPECT_EQ(m_game->GetStateMachine().GetCurrentState(), state);
    EXPECT_LT(velm::PeekObjectIDCounter(), 0x80000000u);
    for (const kelvo::MultiPlayerMenu::SSlot& slot : m_game->GetMultiPlayerMenu()->GetSlots()) {
        EXPECT_TRUE(slot.m_connectionId == 0 || (slot.m_connectionId >= 2 && slot.m_connectionId <= 6))
            << slot.m_connectionId;
    }
    const std::string trace = Trace();
    EXPECT_EQ(trace.find(" racer "), std::string::npos) << trace;
    EXPECT_EQ(trace.find(" finish "), std::string::npos) << trace;
    EXPECT_NE(log.find("\" from client "), std::string::npos);
    EXPECT_NE(log.find(" dropped: "), std::string::npos);
    EXPECT_LT(std::count(log.begin(), log.end(), '\n'), 200) << "one line per refused event";

    // A real client's own announcement still takes a slot.
    kelvo::CRacerConnectEvt joined(4, 6, 0);
    joined.SetFromNetwork(true);
    joined.SetSender(6);
    m_game->GetEventListener()->HandleEvent(joined);
    bool held = false;
    for (const kelvo::MultiPlayerMenu::SSlot& slot : m_game->GetMultiPlayerMenu()->GetSlots()) {
        held = held || (slot.m_connectionId == 6 && slot.m_character == 4);
    }
    EXPECT_TRUE(held);
    m_game->InitNetwork(0, 0, nullptr);
}

} // namespace
