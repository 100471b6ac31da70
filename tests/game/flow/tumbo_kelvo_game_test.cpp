// The game object: what construction and Init leave in place, the camera toggle, the fog of the
// frame step, the one listener it hands out, and the run trace of the states it enters.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/ai/ai_manager.h"
#include "engine/gfx/atmosphere_manager.h"
#include "engine/phy/rigid_body.h"
#include "game/content/content_fixtures.h"
#include "game/flow/game_trace.h"
#include "game/flow/top_level_state.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/flow/tumbo_kelvo_listener.h"
#include "game/ui/end_race_gui.h"
#include "game/world/race_rank_tracker.h"
#include "game/world/racer_model.h"
#include "game/world/tumbo_kelvo_camera.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class GameObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_tracePath = m_env.m_dir.Path() + "/trace.txt";
        setenv("TK_TRACE", m_tracePath.c_str(), 1);
    }
    void TearDown() override { unsetenv("TK_TRACE"); }

    tktest::CFlowEnvironment m_env;
    std::string m_tracePath;
};

TEST_F(GameObjectTest, ConstructionGivesDistinctScreenIdsTheRaceCameraAndOneListener) {
    kelvo::CTumboKelvoGame game;
    EXPECT_EQ(kelvo::GetGame(), &game);
    EXPECT_EQ(game.GetTitle(), L"Tumbo Kelvo");
    std::set<std::uint32_t> ids;
    for (std::size_t screen = 0; screen < kelvo::CTumboKelvoGame::kScreenCount; ++screen) {
        ids.insert(game.GetScreenId(static_cast<kelvo::CTumboKelvoGame::EScreen>(screen)));
    }
    EXPECT_EQ(ids.size(), 13u);
    EXPECT_EQ(game.GetScreenId(kelvo::CTumboKelvoGame::kLoadingScreen), 12u);

    // Copies of one pointer: releasing them all frees the listener once.
    const auto first = game.GetEventListener();
    const auto second = game.GetEventListener();
    EXPECT_EQ(first.get(), second.get());
    EXPECT_GE(first.use_count(), 3);

    EXPECT_EQ(game.GetCamera(), game.GetRaceCamera());
    EXPECT_EQ(game.GetRaceCamera()->GetSettingsFile(), "RaceCameraInit.xml");
    EXPECT_EQ(game.GetFreeRoamCamera()->GetSettingsFile(), "FreeRoamCameraInit.xml");
    game.ToggleCamera();
    EXPECT_EQ(game.GetCamera(), game.GetFreeRoamCamera());
    game.ToggleCamera();
    EXPECT_EQ(game.GetCamera(), game.GetRaceCamera());

    EXPECT_TRUE(game.IsAuthoritative());
    EXPECT_TRUE(game.GetControllersTakeInput());
    EXPECT_FALSE(game.ToggleDebugInfo() == game.ToggleDebugInfo());
}

TEST_F(GameObjectTest, InitEntersTheInitStateRegistersTheListenerAndTracesTheState) {
    const kelvo::CModelDataMgr* owned = nullptr;
    {
        kelvo::CTumboKelvoGame game;
        game.Init();
        owned = game.GetModelDataMgr();
        EXPECT_EQ(game.GetStateMachine().GetCurrentState(), "InitState");
        for (const char* name : kelvo::kTopLevelStateNames) {
            EXPECT_NE(game.GetStateMachine().GetState(name), nullptr) << name;
        }
        ASSERT_NE(game.GetModelDataMgr(), nullptr);
        EXPECT_EQ(&kelvo::GetModelDataMgr(), game.GetModelDataMgr());
        EXPECT_NE(game.GetRaceRankTracker(), nullptr);
        // The listener is on the event manager's table: removing it finds it there.
        EXPECT_TRUE(m_env.m_events.DelListener(game.GetEventListener(), velm::CEventType("Create_Racer_Event")));
        EXPECT_TRUE(m_env.m_events.DelListener(game.GetEventListener(), velm::CEventType("Create_Trigger_Obj")));
        game.Update(0.0, 1.0f / 60.0f);
        game.Update(1.0 / 60.0, 1.0f / 60.0f);
    }
    // The global manager is not left pointing at the destroyed game's.
    EXPECT_NE(&kelvo::GetModelDataMgr(), owned);
    // Start-up comes before the first frame; the framework counts frames from 1.
    EXPECT_EQ(ReadAll(m_tracePath).rfind("0 state InitState\n0 state LoadingScreenState\n", 0), 0u);
}

TEST_F(GameObjectTest, RaceFogFollowsTheLocalRacersProgressAndIsPlainWhenOff) {
    kelvo::CTumboKelvoGame game;
    game.Init();
    // What the renderer hands the effects as their fog density.
    const float& drawn = velm::gfx::AtmosphereManager::Instance().m_fogDensity;
    game.Update(0.0, 0.0169f);
    EXPECT_FLOAT_EQ(game.GetFogDensity(), kelvo::CTumboKelvoGame::kRaceFogEnd);
    EXPECT_FLOAT_EQ(drawn, kelvo::CTumboKelvoGame::kRaceFogEnd);
    game.SetRaceFogOn(true);
    game.Update(0.0, 0.0169f);
    // An untracked racer has made no progress: the start density.
    EXPECT_FLOAT_EQ(game.GetFogDensity(), kelvo::CTumboKelvoGame::kRaceFogStart);
    EXPECT_FLOAT_EQ(drawn, kelvo::CTumboKelvoGame::kRaceFogStart);

    // Half-way down a course of 100 m the fog has thinned half-way.
    std::vector<common::CVector3> course;
    for (int z = 0; z <= 100; ++z) {
        course.emplace_back(0.0f, 0.0f, -static_cast<float>(z));
    }
    velm::ai::CAIManager ai;
    ai.SetRankPath(course);
    game.GetRaceRankTracker()->SetAIManager(&ai);
    auto* racer = new kelvo::CRacerModel(std::make_shared<velm::phy::CRigidBody>(), 900);
    game.AddObject(racer, nullptr, nullptr);
    game.SetLocalRacer(900, racer);
    game.GetRaceRankTracker()->AddRacer(900);
    racer->SetPosition(common::CVector3(0.0f, 0.3f, -50.0f));
    // The ranking is measured ten times a second.
    std::this_thread::sleep_for(std::chrono::milliseconds(110));
    game.Update(0.0, 0.0169f);
    const float halfWay = (kelvo::CTumboKelvoGame::kRaceFogStart + kelvo::CTumboKelvoGame::kRaceFogEnd) / 2.0f;
    EXPECT_NEAR(drawn, halfWay, 1e-4f);

    game.SetRaceFogOn(false);
    game.Update(0.0, 0.0169f);
    EXPECT_FLOAT_EQ(game.GetFogDensity(), kelvo::CTumboKelvoGame::kRaceFogEnd);
    EXPECT_FLOAT_EQ(drawn, kelvo::CTumboKelvoGame::kRaceFogEnd);
    // The counts are the graphics engine's; without one they are all 0.
    EXPECT_NE(game.GetStatisticsText().find(L"Objs Count: 0\n"), std::wstring::npos);
}

TEST_F(GameObjectTest, TheFrameDrawsTheOverlayOnlyWhenShownThenTheTablesScreens) {
    kelvo::CTumboKelvoGame game;
    game.Init();
    game.Update(0.0, 0.0169f);
    const std::size_t screens = game.GetScreens().GetDrawList().size();
    EXPECT_GT(screens, 0u);
    EXPECT_EQ(game.GetScreenList().size(), screens);
    EXPECT_NE(game.GetStatisticsText().find(L"Drawn Faces Count: 0\n"), std::wstring::npos);
    EXPECT_EQ(game.GetStatisticsText().find(L"Sending "), std::wstring::npos);
    game.ToggleDebugInfo();
    const auto units = game.GetScreenList();
    ASSERT_EQ(units.size(), screens + 1);
    EXPECT_EQ(units[0]->GetZOrder(), 5);
}

TEST_F(GameObjectTest, AFinishIsTracedOnceAndAnnouncedOnlyByANetworkedServer) {
    kelvo::CTumboKelvoGame game;
    game.Init();
    const auto finishes = [&] {
        int count = 0;
        for (const auto& seen : m_env.Seen()) {
            count += seen.m_type == "Player_Finished_Race";
        }
        return count;
    };
    const auto traced = [&](std::uint32_t id) {
        const std::string text = ReadAll(m_tracePath);
        const std::string line = " finish " + std::to_string(id) + " ";
        const std::size_t first = text.find(line);
        return first == std::string::npos ? 0 : (text.find(line, first + 1) == std::string::npos ? 1 : 2);
    };
    for (std::uint32_t id : {42u, 43u, 44u}) {
        game.AddObject(new kelvo::CRacerModel(std::make_shared<velm::phy::CRigidBody>(), id), nullptr, nullptr);
        game.AddRacerId(id);
    }
    // Alone, the game tells nobody and traces the finish itself.
    game.GetEndRaceGUI()->AddResultRow(42);
    game.GetEndRaceGUI()->AddResultRow(42);
    EXPECT_EQ(finishes(), 0);
    EXPECT_EQ(traced(42), 1);
    // A server tells its clients, and hears itself.
    game.SetNetworkMode(true, 1, nullptr);
    game.GetEndRaceGUI()->AddResultRow(43);
    EXPECT_EQ(finishes(), 1);
    EXPECT_EQ(traced(43), 1);
    // A client's rows come from the host's announcement; it sends none of its own.
    game.SetNetworkMode(false, 0, nullptr);
    game.SetNetworkMode(true, 0, nullptr);
    game.GetEndRaceGUI()->AddResultRow(44);
    EXPECT_EQ(finishes(), 1);
    game.SetNetworkMode(false, 0, nullptr);
}

TEST(GameTraceTest, AFullDiskIsSaidOnceAndTheTraceStops) {
    kelvo::CGameTrace trace("/dev/full");
    ASSERT_TRUE(trace.IsOpen());
    ::testing::internal::CaptureStderr();
    trace.StateEntered("MenuState");
    trace.RacerFinished(7, 1, 63.25f);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "TK_TRACE: '/dev/full' writing failed (No space left on device); the trace stops here\n");
    EXPECT_FALSE(trace.IsOpen());
}

TEST(GameTraceTest, WritesStateAndFinishLinesAndSurvivesAnUnwritablePath) {
    tktest::CTempDir dir;
    const std::string path = dir.Path() + "/t.txt";
    {
        kelvo::CGameTrace trace(path);
        trace.StateEntered("MenuState");
        trace.RacerFinished(7, 1, 63.25f);
        trace.RacerEntered(9, 3);
    }
    EXPECT_EQ(ReadAll(path), "0 state MenuState\n0 finish 7 1 63.250\n0 racer 9 3\n");

    kelvo::CGameTrace broken(dir.Path() + "/missing/folder/t.txt");
    EXPECT_FALSE(broken.IsOpen());
    broken.StateEntered("MenuState");
    kelvo::CGameTrace none("");
    EXPECT_FALSE(none.IsOpen());
}

} // namespace
