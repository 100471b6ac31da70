// The game listener's rows for the events it handles today, the host's ready gate, and the run
// trace of a finishing racer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/object_id.h"
#include "engine/events/engine_events.h"
#include "game/content/content_fixtures.h"
#include "game/events/game_events.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/flow/tumbo_kelvo_listener.h"
#include "game/ui/start_race_gui.h"

namespace {

class GameListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_tracePath = m_env.m_dir.Path() + "/trace.txt";
        setenv("TK_TRACE", m_tracePath.c_str(), 1);
        m_game = std::make_unique<kelvo::CTumboKelvoGame>();
        m_game->Init();
    }
    void TearDown() override {
        m_game.reset();
        unsetenv("TK_TRACE");
    }
    int Seen(const std::string& type) const {
        return static_cast<int>(std::count_if(m_env.m_listener->m_seen.begin(), m_env.m_listener->m_seen.end(),
                                              [&](const tktest::SSeenEvent& seen) { return seen.m_type == type; }));
    }

    tktest::CFlowEnvironment m_env;
    std::string m_tracePath;
    std::unique_ptr<kelvo::CTumboKelvoGame> m_game;
};

TEST_F(GameListenerTest, RowsRaiseTheIdCounterStartTheRaceAndTheCountdown) {
    const std::uint32_t next = velm::PeekObjectIDCounter() + 500;
    kelvo::TumboKelvoListener listener;
    EXPECT_FALSE(listener.HandleEvent(kelvo::CChangeNextObjIDEvt(next)));
    EXPECT_EQ(velm::PeekObjectIDCounter(), next);
    // A lower value never takes the counter back.
    listener.HandleEvent(kelvo::CChangeNextObjIDEvt(3));
    EXPECT_EQ(velm::PeekObjectIDCounter(), next);

    listener.HandleEvent(kelvo::CStartTrack1Evt());
    EXPECT_EQ(m_game->GetStateMachine().GetCurrentState(), "StartTrack1State");

    m_game->GetStartRaceGUI()->Update(5000);
    listener.HandleEvent(kelvo::CBeginCountDownEvt());
    EXPECT_TRUE(m_game->GetStartRaceGUI()->IsActive());

    // A level file that is not there builds only the level's light and breaks nothing.
    const std::size_t before = m_game->GetModels().size();
    listener.HandleEvent(kelvo::CLoadLevelEvt("no_such_track.xml"));
    EXPECT_LE(m_game->GetModels().size(), before + 1);
}

TEST_F(GameListenerTest, ReadyGateCountsDistinctPeersAndRechecksOnALostPeer) {
    std::list<std::uint32_t> peers = {5, 6};
    m_game->SetPeersForTest(&peers);
    m_game->WaitForReadyPeers();
    m_game->OnPlayerReady(5);
    m_game->OnPlayerReady(5);
    EXPECT_EQ(Seen("Begin_Count_Down_Evt"), 0);
    m_game->OnPlayerReady(6);
    EXPECT_EQ(Seen("Begin_Count_Down_Evt"), 1);
    EXPECT_TRUE(m_game->GetReadyPlayers().empty());

    // Peer 6 leaves while 5 waits: 5 alone is everyone.
    m_game->WaitForReadyPeers();
    m_game->OnPlayerReady(5);
    peers = {5};
    m_game->OnPeerLost(6);
    EXPECT_EQ(Seen("Begin_Count_Down_Evt"), 2);

    // A stray id from outside the peer list does not stand in for a peer.
    peers = {5, 6};
    m_game->WaitForReadyPeers();
    m_game->OnPlayerReady(9);
    m_game->OnPlayerReady(5);
    EXPECT_EQ(Seen("Begin_Count_Down_Evt"), 2);
    m_game->SetPeersForTest(nullptr);
}

// The host on the start line with clients 5 and 6, one of them lost at each point of the road:
// before the host got there, before its word, after it. The countdown begins once, as soon as
// every client still there is ready; off the start line no word and no loss begins it.
TEST_F(GameListenerTest, TheCountdownBeginsOnceTheClientsLeftAreReadyWheneverOneWasLost) {
    struct SStep {
        char what; // 'w' the host reaches the line, 'r' a ready, 'l' a loss
        std::uint32_t client;
        int countdowns; // begun so far
    };
    const struct {
        const char* name;
        std::vector<SStep> steps;
    } cases[] = {
        {"the only client lost before the host got there", {{'l', 6, 0}, {'l', 5, 0}, {'w', 0, 1}}},
        {"the only client lost before its word", {{'l', 6, 0}, {'w', 0, 0}, {'l', 5, 1}}},
        {"one lost before its word, the other ready first", {{'w', 0, 0}, {'r', 5, 0}, {'l', 6, 1}}},
        {"one lost before its word, the other ready after", {{'w', 0, 0}, {'l', 6, 0}, {'r', 5, 1}}},
        {"one lost after its word", {{'w', 0, 0}, {'r', 5, 0}, {'l', 5, 0}, {'r', 6, 1}, {'r', 6, 1}}},
        {"both lost, one after its word", {{'w', 0, 0}, {'r', 6, 0}, {'l', 6, 0}, {'l', 5, 1}}},
        {"lost once the countdown runs", {{'w', 0, 0}, {'r', 5, 0}, {'r', 6, 1}, {'l', 6, 1}, {'r', 5, 1}}},
        {"off the start line", {{'r', 5, 0}, {'r', 6, 0}, {'l', 6, 0}, {'l', 5, 0}}},
    };
    for (const auto& c : cases) {
        m_game->ResetRace();
        std::list<std::uint32_t> peers = {5, 6};
        m_game->SetPeersForTest(&peers);
        const int before = Seen("Begin_Count_Down_Evt");
        for (const SStep& step : c.steps) {
            if (step.what == 'w') {
                m_game->WaitForReadyPeers();
            } else if (step.what == 'r') {
                m_game->OnPlayerReady(step.client);
            } else {
                peers.remove(step.client);
                m_game->OnPeerLost(step.client);
            }
            EXPECT_EQ(Seen("Begin_Count_Down_Evt") - before, step.countdowns)
                << c.name << ", " << step.what << step.client;
        }
        if (Seen("Begin_Count_Down_Evt") > before) {
            EXPECT_FALSE(m_game->IsWaitingForReadyPeers()) << c.name;
        }
    }
    m_game->SetPeersForTest(nullptr);
}

// The host lost before the countdown: each client says again to the new server that it is
// ready, and the client that took over waits for the clients left, or none. Once the countdown
// has begun a new server hears nothing more.
TEST_F(GameListenerTest, APlayerSaysItIsReadyAgainToAServerThatTakesOverBeforeTheCountdown) {
    for (const std::list<std::uint32_t>& left : {std::list<std::uint32_t>{}, std::list<std::uint32_t>{3}}) {
        m_game->ResetRace();
        m_game->SetPeersForTest(&left);
        m_game->InitNetwork(1, 0, nullptr);
        m_game->SetRaceInProgress(true);
        const int countdowns = Seen("Begin_Count_Down_Evt");
        const int readies = Seen("Ready_To_Start_Race");
        m_game->SayReady();
        velm::TriggerEvent(velm::CStartedConnectionEvt(1));
        m_env.m_events.Tick(-1);
        EXPECT_EQ(Seen("Ready_To_Start_Race") - readies, 2) << left.size();

        // This client takes over.
        m_game->OnStartedConnection();
        EXPECT_EQ(m_game->GetMode(), 1u);
        EXPECT_EQ(Seen("Begin_Count_Down_Evt") - countdowns, left.empty() ? 1 : 0) << left.size();
        if (!left.empty()) {
            m_game->OnPlayerReady(3);
            EXPECT_EQ(Seen("Begin_Count_Down_Evt") - countdowns, 1);
        }
        EXPECT_FALSE(m_game->IsWaitingForReadyPeers());
        m_game->InitNetwork(0, 0, nullptr);
    }
    // A client whose countdown runs says nothing to a new server.
    m_game->InitNetwork(1, 0, nullptr);
    m_game->SayReady();
    m_env.m_events.Tick(-1);
    velm::TriggerEvent(kelvo::CBeginCountDownEvt());
    const int readies = Seen("Ready_To_Start_Race");
    velm::TriggerEvent(velm::CStartedConnectionEvt(1));
    m_env.m_events.Tick(-1);
    EXPECT_EQ(Seen("Ready_To_Start_Race"), readies);
    m_game->InitNetwork(0, 0, nullptr);
    m_game->SetPeersForTest(nullptr);
}

TEST_F(GameListenerTest, FinishedRacersAreTracedInTheOrderTheyCrossTheLineWithTheRaceClock) {
    velm::TriggerEvent(kelvo::CRacerFinishedRaceEvt(42));
    velm::TriggerEvent(kelvo::CRacerFinishedRaceEvt(40));
    std::ifstream in(m_tracePath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("finish 42 1 0.000\n0 finish 40 2 0.000\n"), std::string::npos) << text.str();
}

} // namespace
