// The networking switch per role (which types go to the peers and which are handled here), the
// answers to a started and a lost connection, and the host grid's slots.
#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/engine_events.h"
#include "game/content/content_fixtures.h"
#include "game/events/game_events.h"
#include "game/flow/start_grid.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/flow/tumbo_kelvo_listener.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/tumbo_kelvo_console.h"
#include "game/world/in_game/world_fixtures.h"
#include "game/world/racer_controller.h"

namespace {

class CNetworkStandIn : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent&) override { return false; }
    std::string GetName() override { return "NetworkStandIn"; }
};

// Which of the two listeners a type is registered for, per role; N sends to the peers, G handles.
struct SRow {
    const char* m_type;
    bool m_hostN, m_hostG, m_clientN, m_clientG;
};

const std::vector<SRow> kRows = {
    {"Create_Racer_Event", true, true, true, true},
    {"Position_Update", true, true, true, true},
    {"RacerConnectEvt", true, true, true, true},
    {"Text_Message_Event", true, true, true, true},
    {"Begin_Count_Down_Evt", true, true, false, true},
    {"Lost_Connection_Evt", false, true, false, true},
    {"Started_Connection_Evt", false, true, false, true},
    {"Change_Racer_State", true, true, true, true},
    {"Request_Human_Controller", false, true, true, false},
    {"Ready_To_Start_Race", false, true, true, false},
    {"Change_NextObjID", false, true, true, false},
    {"Accepted_Human_Controller", true, false, false, true},
    {"Start_Race_Evt", true, false, false, true},
    {"Icon_Spin_Event", true, false, false, true},
    {"Change_To_Server", false, false, false, true},
    {"Create_Light", true, true, false, true},
    {"Destroy_Item_Event", true, false, false, false},
};

class NetworkSwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_game.Init();
        m_game.SetNetworkListenerForTest(m_network);
    }
    void TearDown() override { m_game.SetNetworkListenerForTest(nullptr); }
    // Removing finds the listener only where it was registered; put it back after.
    bool Has(const velm::EventListenerPtr& listener, const char* type) {
        const bool found = m_env.m_events.DelListener(listener, velm::CEventType(type));
        if (found) {
            m_env.m_events.AddListener(listener, velm::CEventType(type));
        }
        return found;
    }

    tktest::CFlowEnvironment m_env;
    kelvo::CTumboKelvoGame m_game;
    std::shared_ptr<CNetworkStandIn> m_network = std::make_shared<CNetworkStandIn>();
};

TEST_F(NetworkSwitchTest, AClientTakingOverAsServerSwitchesToTheHostsTable) {
    m_game.InitNetwork(1, 0, nullptr);
    m_game.OnStartedConnection();
    EXPECT_TRUE(m_game.IsAuthoritative());
    const velm::EventListenerPtr game = m_game.GetEventListener();
    for (const SRow& row : kRows) {
        EXPECT_EQ(Has(m_network, row.m_type), row.m_hostN) << row.m_type;
        EXPECT_EQ(Has(game, row.m_type), row.m_hostG) << row.m_type;
    }
    m_game.InitNetwork(0, 0, nullptr);
}

TEST_F(NetworkSwitchTest, EachRoleRegistersItsTableAndSwitchingOffLeavesTheGamesOwnTypes) {
    EXPECT_TRUE(m_game.IsAuthoritative());
    for (const bool host : {true, false}) {
        m_game.InitNetwork(1, host ? 1 : 0, nullptr);
        EXPECT_EQ(m_game.IsAuthoritative(), host);
        const velm::EventListenerPtr game = m_game.GetEventListener();
        for (const SRow& row : kRows) {
            EXPECT_EQ(Has(m_network, row.m_type), host ? row.m_hostN : row.m_clientN) << row.m_type << host;
            EXPECT_EQ(Has(game, row.m_type), host ? row.m_hostG : row.m_clientG) << row.m_type << host;
        }
        m_game.InitNetwork(0, 0, nullptr);
        EXPECT_TRUE(m_game.IsAuthoritative());
        for (const SRow& row : kRows) {
            EXPECT_FALSE(Has(m_network, row.m_type)) << row.m_type;
        }
        EXPECT_FALSE(Has(game, "Start_Race_Evt"));
        EXPECT_FALSE(Has(game, "Ready_To_Start_Race"));
        // The game's own types, and the two the switch does not take back, stay.
        EXPECT_TRUE(Has(game, "Create_Racer_Event"));
        EXPECT_EQ(Has(game, "Begin_Count_Down_Evt"), true) << host;
        m_env.m_events.DelListener(game, velm::CEventType("Begin_Count_Down_Evt"));
        m_env.m_events.DelListener(game, velm::CEventType("Change_Racer_State"));
    }
}

class ConnectionTest : public ::testing::Test, public tktest::CRaceFixture {
protected:
    void SetUp() override { m_game.CreateConsole(); }
    int Disconnections() const {
        const auto& lines = m_game.GetConsole()->GetScrollback();
        return static_cast<int>(std::count(lines.begin(), lines.end(), std::wstring(L">Player disconnected")));
    }
};

TEST_F(ConnectionTest, AStartedConnectionGivesTheComputerOnlyTheUnconnectedNonHumanRacers) {
    kelvo::CRacerModel* human = AddRacer(1, 1, kelvo::CONTROL_LOCAL_PLAYER);
    kelvo::CRacerModel* computer = AddRacer(2, 2, kelvo::CONTROL_LOCAL_OTHER, 1.0f, false);
    kelvo::CRacerModel* remote = AddRacer(3, 3, kelvo::CONTROL_NETWORK, 2.0f);
    remote->SetConnectionId(7);
    kelvo::CRacerModel* unclaimed = AddRacer(4, 4, kelvo::CONTROL_NETWORK, 3.0f);
    for (std::uint32_t id : {1u, 2u, 3u, 4u}) {
        m_game.AddRacerId(id);
    }
    // The remote racer's player is still connected.
    const std::list<std::uint32_t> peers{7};
    m_game.SetPeersForTest(&peers);
    m_game.SetNetworkMode(true, 0, nullptr);
    m_game.OnStartedConnection();
    m_game.SetPeersForTest(nullptr);

    EXPECT_EQ(m_game.GetMode(), 1u);
    EXPECT_NE(dynamic_cast<kelvo::CHumanRacerContr*>(human->GetController()), nullptr);
    EXPECT_EQ(human->GetControlKind(), kelvo::CONTROL_LOCAL_PLAYER);
    for (kelvo::CRacerModel* racer : {computer, unclaimed}) {
        EXPECT_NE(dynamic_cast<kelvo::CAIRacerContr*>(racer->GetController()), nullptr) << racer->GetID();
        EXPECT_EQ(racer->GetControlKind(), kelvo::CONTROL_LOCAL_OTHER);
        // The game's table holds the new controller in the old one's place (the old one is gone).
        EXPECT_EQ(m_game.GetControllers().at(racer->GetID()), racer->GetController());
    }
    EXPECT_EQ(remote->GetController(), nullptr);
    EXPECT_EQ(m_game.GetControllers().size(), 3u);
    m_game.SetNetworkMode(false, 0, nullptr);
}

// The finishes told to every machine, in order.
class CFinishes : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override {
        if (const auto* p = dynamic_cast<const kelvo::CRacerFinishedRaceEvtData*>(event.GetData())) {
            m_ids.push_back(p->m_racerId);
        }
        return false;
    }
    std::string GetName() override { return "Finishes"; }
    std::vector<std::uint32_t> m_ids;
};

TEST_F(ConnectionTest, AClientTakingOverInARaceDrivesTheLostPlayersRacersAndTellsOfEveryFinish) {
    // This machine's player (its client id was 2), the lost server's racer (id 1, which names
    // this machine once it has taken over), a connected peer's, a client lost before the
    // takeover, and three of the computer's: one whose finish was heard, one seen crossing the
    // line while nobody decided, one still racing.
    kelvo::CRacerModel* own = AddRacer(1, 1, kelvo::CONTROL_LOCAL_PLAYER);
    own->SetConnectionId(2);
    kelvo::CRacerModel* oldServer = AddRacer(2, 2, kelvo::CONTROL_NETWORK, 1.0f);
    oldServer->SetConnectionId(1);
    kelvo::CRacerModel* peer = AddRacer(3, 3, kelvo::CONTROL_NETWORK, 2.0f);
    peer->SetConnectionId(3);
    kelvo::CRacerModel* lostEarlier = AddRacer(4, 4, kelvo::CONTROL_NETWORK, 3.0f);
    lostEarlier->SetConnectionId(4);
    kelvo::CRacerModel* heard = AddRacer(5, 5, kelvo::CONTROL_NETWORK, 4.0f);
    kelvo::CRacerModel* crossed = AddRacer(6, 6, kelvo::CONTROL_NETWORK, 5.0f);
    kelvo::CRacerModel* racing = AddRacer(7, 1, kelvo::CONTROL_NETWORK, 6.0f);
    const std::list<std::uint32_t> peers{3};
    m_game.SetPeersForTest(&peers);
    m_game.SetNetworkMode(true, 0, nullptr);
    m_game.SetRaceInProgress(true);
    auto finishes = std::make_shared<CFinishes>();
    m_events.AddListener(finishes, velm::CEventType("Player_Finished_Race"));

    // As a client: the old server's word of one finish, noted once however often it comes, and
    // a crossing this machine only saw.
    kelvo::CEndRaceGUI& board = *m_game.GetEndRaceGUI();
    ASSERT_TRUE(board.AddResultRow(5));
    m_game.OnRacerFinished(5);
    m_game.OnRacerFinished(5);
    m_game.NoteFinishCrossed(6);
    m_game.NoteFinishCrossed(6);
    EXPECT_EQ(m_game.GetHeardFinishes(), std::vector<std::uint32_t>{5});
    EXPECT_EQ(m_game.GetCrossedFinish(), std::vector<std::uint32_t>{6});
    EXPECT_TRUE(finishes->m_ids.empty());

    m_game.OnStartedConnection();
    EXPECT_EQ(m_game.GetMode(), 1u);
    EXPECT_NE(dynamic_cast<kelvo::CHumanRacerContr*>(own->GetController()), nullptr);
    EXPECT_EQ(own->GetConnectionId(), 2u);
    for (kelvo::CRacerModel* racer : {oldServer, lostEarlier, racing}) {
        EXPECT_NE(dynamic_cast<kelvo::CAIRacerContr*>(racer->GetController()), nullptr) << racer->GetID();
        EXPECT_EQ(racer->GetControlKind(), kelvo::CONTROL_LOCAL_OTHER) << racer->GetID();
        EXPECT_EQ(racer->GetConnectionId(), 0u) << racer->GetID();
    }
    EXPECT_EQ(Disconnections(), 2);
    EXPECT_EQ(peer->GetController(), nullptr);
    EXPECT_EQ(peer->GetConnectionId(), 3u);
    // The finished rest on the line; the heard finish is told again, then the crossing decided.
    EXPECT_EQ(heard->GetController(), nullptr);
    EXPECT_EQ(crossed->GetController(), nullptr);
    EXPECT_TRUE(board.HasFinished(6));
    EXPECT_EQ(finishes->m_ids, (std::vector<std::uint32_t>{5, 6}));

    // A later peer of the new server changes no racer's driver and tells nothing again.
    velm::CController* driver = oldServer->GetController();
    m_game.OnStartedConnection();
    EXPECT_EQ(oldServer->GetController(), driver);
    EXPECT_EQ(finishes->m_ids.size(), 2u);
    EXPECT_EQ(Disconnections(), 2);
    m_events.DelListener(finishes, velm::CEventType("Player_Finished_Race"));
    m_game.SetPeersForTest(nullptr);
    m_game.SetNetworkMode(false, 0, nullptr);
}

TEST(TakeoverTest, TheComputerDrivesEveryRacerNoConnectedPeerDrives) {
    struct SCase {
        std::uint32_t m_kind, m_connection;
        bool m_finished, m_computers;
    };
    const std::list<std::uint32_t> peers{3, 4};
    for (const SCase& test : std::vector<SCase>{{kelvo::CONTROL_LOCAL_PLAYER, 0, false, false},
                                                {kelvo::CONTROL_LOCAL_PLAYER, 2, false, false},
                                                {kelvo::CONTROL_NETWORK, 0, false, true},
                                                {kelvo::CONTROL_LOCAL_OTHER, 0, false, true},
                                                {kelvo::CONTROL_NETWORK, 1, false, true},
                                                {kelvo::CONTROL_NETWORK, 5, false, true},
                                                {kelvo::CONTROL_NETWORK, 3, false, false},
                                                {kelvo::CONTROL_NETWORK, 4, false, false},
                                                {kelvo::CONTROL_NETWORK, 1, true, false},
                                                {kelvo::CONTROL_NETWORK, 0, true, false}}) {
        EXPECT_EQ(kelvo::CTumboKelvoGame::IsComputersOnServer(test.m_kind, test.m_connection, test.m_finished, peers),
                  test.m_computers)
            << test.m_kind << " " << test.m_connection << " " << test.m_finished;
    }
}

// A human controller that counts its own end.
class CCountedContr : public kelvo::CHumanRacerContr {
public:
    CCountedContr(kelvo::CRacerModel* racer, int& ended) : kelvo::CHumanRacerContr(racer), m_ended(ended) {}
    ~CCountedContr() override { ++m_ended; }

private:
    int& m_ended;
};

TEST_F(ConnectionTest, TheControllerAComputerTakesOverFromIsDeletedOnce) {
    kelvo::CRacerModel* unclaimed = AddRacer(4, 4, kelvo::CONTROL_NETWORK, 3.0f);
    int ended = 0;
    auto* counted = new CCountedContr(unclaimed, ended);
    unclaimed->SetController(counted);
    m_game.GetControllers()[4] = counted;
    m_game.SetNetworkMode(true, 0, nullptr);
    m_game.OnStartedConnection();
    EXPECT_EQ(ended, 1);
    EXPECT_NE(dynamic_cast<kelvo::CAIRacerContr*>(unclaimed->GetController()), nullptr);
    EXPECT_EQ(m_game.GetControllers().at(4), unclaimed->GetController());
    m_game.SetNetworkMode(false, 0, nullptr);
    // The game's end deletes the computer's controller and no other.
    m_game.RemoveObject(4);
    EXPECT_EQ(ended, 1);
}

TEST_F(ConnectionTest, ALostPeerInARaceIsTakenOverAndInTheLobbyLosesItsSlot) {
    kelvo::CRacerModel* remote = AddRacer(3, 3, kelvo::CONTROL_NETWORK);
    remote->SetConnectionId(7);
    m_game.AddRacerId(3);
    m_game.SetNetworkMode(true, 1, nullptr);
    m_game.SetRaceInProgress(true);
    m_game.OnLostConnection(9);
    EXPECT_EQ(remote->GetController(), nullptr);
    EXPECT_EQ(Disconnections(), 0);
    m_game.OnLostConnection(7);
    EXPECT_NE(dynamic_cast<kelvo::CAIRacerContr*>(remote->GetController()), nullptr);
    EXPECT_EQ(remote->GetConnectionId(), 0u);
    EXPECT_EQ(Disconnections(), 1);

    m_game.SetRaceInProgress(false);
    m_game.CreateMultiPlayerMenu(1);
    m_game.GetMultiPlayerMenu()->OnRacerConnect(2, 5, 0);
    m_game.GetMultiPlayerMenu()->OnRacerConnect(3, 6, 0);
    m_game.OnLostConnection(5);
    std::vector<std::uint32_t> held;
    for (const auto& slot : m_game.GetMultiPlayerMenu()->GetSlots()) {
        if (slot.m_connectionId != 0) {
            held.push_back(slot.m_connectionId);
        }
    }
    EXPECT_EQ(std::count(held.begin(), held.end(), 6u), 1);
    EXPECT_EQ(std::count(held.begin(), held.end(), 5u), 0);
    m_game.SetNetworkMode(false, 0, nullptr);

    // A client that loses its host in the lobby leaves the network game.
    m_game.SetNetworkMode(true, 0, nullptr);
    m_game.OnLostConnection(1);
    EXPECT_FALSE(m_game.IsNetworked());
    EXPECT_TRUE(m_game.GetMultiPlayerMenu()->IsBackPressed());
}

// What the lobby queues for the peers: the slot announcements and whom each is addressed to.
class CAnnouncements : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override {
        if (const auto* p = dynamic_cast<const kelvo::CRacerConnectEvtData*>(event.GetData())) {
            m_seen.push_back({p->m_lobbySlot, event.GetRecipients()});
        }
        return false;
    }
    std::string GetName() override { return "Announcements"; }
    std::vector<std::pair<std::uint32_t, std::list<std::uint32_t>>> m_seen;
};

TEST_F(ConnectionTest, TheHostsLobbyTakesAJoiningPeerAndTellsItEverySlot) {
    m_game.SetSelectedCharacter(1);
    m_game.CreateMultiPlayerMenu(1);
    kelvo::MultiPlayerMenu* lobby = m_game.GetMultiPlayerMenu();
    const velm::EventListenerPtr listener = m_game.GetEventListener();
    // The lobby switched networking on through the game's table: the game hears the peers' slots.
    ASSERT_TRUE(m_events.DelListener(listener, velm::CEventType("RacerConnectEvt")));
    auto announcements = std::make_shared<CAnnouncements>();
    m_events.AddListener(announcements, velm::CEventType("RacerConnectEvt"));

    // A newcomer hears all six slots, addressed to it alone.
    listener->HandleEvent(velm::CStartedConnectionEvt(6));
    m_events.Tick(-1);
    ASSERT_EQ(announcements->m_seen.size(), 6u);
    for (std::size_t n = 0; n < 6; ++n) {
        EXPECT_EQ(announcements->m_seen[n].first, n + 1);
        EXPECT_EQ(announcements->m_seen[n].second, std::list<std::uint32_t>{6});
    }

    // Its announcement takes a free slot; the host's own echo would change nothing.
    const auto held = [&] {
        for (const auto& slot : lobby->GetSlots()) {
            if (slot.m_connectionId == 6) {
                return slot.m_character;
            }
        }
        return 0u;
    };
    kelvo::CRacerConnectEvt local(3, 6, 0);
    listener->HandleEvent(local);
    EXPECT_EQ(held(), 0u);
    kelvo::CRacerConnectEvt joined(3, 6, 0);
    joined.SetFromNetwork(true);
    joined.SetSender(6);
    listener->HandleEvent(joined);
    EXPECT_EQ(held(), 3u);
    m_events.DelListener(announcements, velm::CEventType("RacerConnectEvt"));
    m_game.InitNetwork(0, 0, nullptr);
}

TEST_F(ConnectionTest, AClientThatFindsItsHostStaysAClient) {
    m_game.CreateMultiPlayerMenu(0);
    m_game.GetEventListener()->HandleEvent(velm::CStartedConnectionEvt(1));
    EXPECT_TRUE(m_game.IsNetworked());
    EXPECT_FALSE(m_game.IsAuthoritative());
    // The host's slot announcements reach the client's rows.
    kelvo::CRacerConnectEvt slot(4, 1, 1);
    slot.SetFromNetwork(true);
    m_game.GetEventListener()->HandleEvent(slot);
    EXPECT_EQ(m_game.GetMultiPlayerMenu()->GetSlotLabel(1), L"Player 1");
    m_game.InitNetwork(0, 0, nullptr);
}

TEST(HostGridTest, ComputerSlotsStayComputersWhenTheHostsOwnIdIsZero) {
    struct SCase {
        std::uint32_t m_client, m_local, m_control;
    };
    for (const SCase& test : std::vector<SCase>{{0, 0, 2}, {0, 4, 2}, {4, 4, 1}, {5, 4, 0}, {5, 0, 0}}) {
        EXPECT_EQ(kelvo::HostGridControl(test.m_client, test.m_local), test.m_control)
            << test.m_client << " " << test.m_local;
    }
    EXPECT_FLOAT_EQ(kelvo::HostGridPosition(2).x, 0.4f);
    EXPECT_FLOAT_EQ(kelvo::HostGridPosition(0).z, 195.2f);
}

} // namespace
