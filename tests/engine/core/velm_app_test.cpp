#include "engine/core/velm_app.h"

#include <gtest/gtest.h>

#include "core_fakes.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/core/velm_game.h"
#include "engine/events/event_manager.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/terrain.h"
#include "engine/gfx/water.h"
#include "engine/phy/height_map.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/simulator.h"
#include "engine/phy/water_field.h"
#include "libs/common/exceptions.h"

namespace {

class CCountingGame : public tktest::CStubGame {
public:
    void OnResetDevice() override { m_calls.push_back("game reset"); }
    void OnLostDevice() override { m_calls.push_back("game lost"); }
    void Update(double, float) override { ++m_updates; }
    void Render(double, float) override { ++m_renders; }
    void Init() override { m_calls.push_back("game init"); }
    LRESULT MsgProc(UINT message, WPARAM, LPARAM) override {
        m_messages.push_back(message);
        return 0;
    }

    int m_updates = 0;
    int m_renders = 0;
    std::vector<std::string> m_calls;
    std::vector<UINT> m_messages;
};

class CTestApp : public velm::CVelmApp {
public:
    velm::CVelmGame* CreateGame() override {
        m_game = new CCountingGame();
        return m_game;
    }
    CCountingGame* m_game = nullptr;
};

class CFixedLoader : public velm::ACLoader<velm::gfx::CVelmGfx::SVelmGfxInitInfo> {
public:
    void Load(const std::string& fileName) override {
        m_loaded = fileName;
        m_info.m_screenWidth = 320;
        m_info.m_screenHeight = 240;
    }
    std::string m_loaded;
};

class VelmAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("ALSOFT_DRIVERS", "null", 0);
        setenv("TK_FRAME_LIMIT", "5", 1);
        setenv("TK_FIXED_DT", "0.01", 1);
        platform::DXUTReset();
        m_app = new CTestApp();
        velm::SDataPaths paths;
        paths.m_textures = "tex/";
        paths.m_models = "mesh/";
        paths.m_effects = "fx/";
        paths.m_sounds = "snd/";
        m_app->SetDataPaths(paths);
        velm::SetApp(m_app);
    }
    void TearDown() override {
        velm::SetApp(nullptr);
        delete m_app;
        unsetenv("TK_FRAME_LIMIT");
        unsetenv("TK_FIXED_DT");
        platform::DXUTReset();
    }
    CTestApp* m_app = nullptr;
    CFixedLoader m_loader;
};

TEST_F(VelmAppTest, StartsRunsTheLoopAndShutsDownInOrder) {
    ASSERT_TRUE(m_app->Init(m_loader, "config.xml")) << m_app->GetFailureText();
    EXPECT_EQ(m_loader.m_loaded, "config.xml");
    EXPECT_EQ(m_app->GetGfx()->GetSettings().m_textureDirectory, "tex/");
    EXPECT_EQ(m_app->GetGfx()->GetSettings().m_meshDirectory, "mesh/");
    EXPECT_EQ(m_app->GetGfx()->GetSettings().m_effectDirectory, "fx/");
    EXPECT_NE(velm::GetEventManager(), nullptr);
    EXPECT_NE(m_app->GetSoundSystem(), nullptr);
    EXPECT_NE(m_app->GetInputSystem(), nullptr);
    EXPECT_NE(m_app->GetPhysicsWorld(), nullptr);
    EXPECT_NE(m_app->GetAIManager(), nullptr);
    ASSERT_NE(m_app->m_game, nullptr);
    EXPECT_EQ(m_app->m_game->m_calls, (std::vector<std::string>{"game init"}));

    m_app->Run();
    CCountingGame* game = m_app->m_game;
    EXPECT_EQ(game->m_updates, 5);
    EXPECT_EQ(game->m_renders, 5);
    EXPECT_NE(std::find(game->m_messages.begin(), game->m_messages.end(), WM_DESTROY), game->m_messages.end());

    EXPECT_EQ(m_app->Shutdown(), 0);
    EXPECT_EQ(m_app->GetGame(), nullptr);
    EXPECT_EQ(velm::GetEventManager(), nullptr);
    EXPECT_EQ(m_app->GetGfx(), nullptr);
    EXPECT_EQ(m_app->GetSoundSystem(), nullptr);
    EXPECT_EQ(m_app->GetPhysicsWorld(), nullptr);
}

// After Shutdown no service of the application is left.
void ExpectEveryServiceShutDown(const velm::CVelmApp& app) {
    EXPECT_EQ(velm::GetEventManager(), nullptr);
    EXPECT_EQ(app.GetGfx(), nullptr);
    EXPECT_EQ(app.GetSoundSystem(), nullptr);
    EXPECT_EQ(app.GetInputSystem(), nullptr);
    EXPECT_EQ(app.GetPhysicsWorld(), nullptr);
}

class CFailingGame : public tktest::CStubGame {
public:
    void Init() override { throw common::CBaseException("GameStart", 12); }
};

class CFailingGameApp : public velm::CVelmApp {
public:
    velm::CVelmGame* CreateGame() override { return new CFailingGame(); }
};

TEST_F(VelmAppTest, AGameWhoseStartFailsFailsStartUpWithItsReasonAndShutsDownWhatStarted) {
    CFailingGameApp app;
    velm::SetApp(&app);
    EXPECT_FALSE(app.Init(m_loader, "config.xml"));
    EXPECT_EQ(app.GetFailureText(), "Failure to initialize the game: Base Exception Thrown (GameStart, line 12)");
    EXPECT_NE(app.GetGame(), nullptr);
    EXPECT_NE(app.GetPhysicsWorld(), nullptr);
    app.Shutdown();
    EXPECT_EQ(app.GetGame(), nullptr);
    ExpectEveryServiceShutDown(app);
    velm::SetApp(m_app);
}

class CNoGameApp : public velm::CVelmApp {
public:
    velm::CVelmGame* CreateGame() override { return nullptr; }
};

TEST_F(VelmAppTest, AGameThatCannotBeMadeFailsStartUpWithItsReasonAndShutsDownTheRest) {
    CNoGameApp app;
    velm::SetApp(&app);
    EXPECT_FALSE(app.Init(m_loader, "config.xml"));
    EXPECT_EQ(app.GetFailureText(), "Failure to create the game!");
    EXPECT_NE(app.GetSoundSystem(), nullptr);
    app.Shutdown();
    ExpectEveryServiceShutDown(app);
    velm::SetApp(m_app);
}

TEST_F(VelmAppTest, NothingMovesBetweenDeviceLossAndReset) {
    ASSERT_TRUE(m_app->Init(m_loader, "config.xml")) << m_app->GetFailureText();
    CCountingGame* game = m_app->m_game;
    velm::OnFrameMove(nullptr, 0.0, 0.01f, nullptr);
    EXPECT_EQ(game->m_updates, 1);
    velm::OnDeviceLost(nullptr);
    EXPECT_FALSE(m_app->IsActive());
    velm::OnFrameMove(nullptr, 0.0, 0.01f, nullptr);
    velm::OnFrameRender(nullptr, 0.0, 0.01f, nullptr);
    EXPECT_EQ(game->m_updates, 1);
    EXPECT_EQ(game->m_renders, 0);
    EXPECT_EQ(velm::OnDeviceReset(nullptr, nullptr, nullptr), S_OK);
    velm::OnFrameMove(nullptr, 0.0, 0.01f, nullptr);
    EXPECT_EQ(game->m_updates, 2);
    EXPECT_FLOAT_EQ(m_app->GetElapsed(), 0.01f);
    EXPECT_EQ(game->m_calls, (std::vector<std::string>{"game init", "game lost", "game reset"}));
    m_app->Shutdown();
}

TEST_F(VelmAppTest, WindowMessagesReachTheGameFirst) {
    ASSERT_TRUE(m_app->Init(m_loader, "config.xml")) << m_app->GetFailureText();
    CCountingGame* game = m_app->m_game;
    EXPECT_EQ(velm::OnWindowMessage(nullptr, WM_KEYDOWN, VK_F1, 0, nullptr, nullptr), 0);
    EXPECT_EQ(velm::OnWindowMessage(nullptr, WM_KEYDOWN, 'A', 0, nullptr, nullptr), 0);
    EXPECT_EQ(velm::OnWindowMessage(nullptr, WM_MOUSEMOVE, 0, 0, nullptr, nullptr), 1);
    EXPECT_EQ(velm::OnWindowMessage(nullptr, WM_SETCURSOR, 0, 0, nullptr, nullptr), 1);
    EXPECT_EQ(game->m_messages, (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_MOUSEMOVE, WM_SETCURSOR}));
    m_app->Shutdown();
}

TEST_F(VelmAppTest, TerrainAndWaterReachGraphicsAndPhysicsUnderTheirIds) {
    ASSERT_TRUE(m_app->Init(m_loader, "config.xml")) << m_app->GetFailureText();
    velm::CVelmGame* game = m_app->GetGame();
    auto heights = std::make_shared<velm::phy::CHeightMap>(4, 4, 1.0f, 1.0f, velm::phy::CGrid2D(4, 4, 2.0f),
                                                           common::CVector3(0.0f, 0.0f, 0.0f));
    const std::vector<velm::phy::CGridCell> cells{
        velm::phy::CGridCell(common::CVector3(-1, 0, -1), common::CVector3(1, 0, -1), common::CVector3(1, 0, 1),
                             common::CVector3(-1, 0, 1), common::CVector3(0, 0, 1))};
    auto field = std::make_shared<velm::phy::CWaterField>(cells);
    // Graphics draws only graphics units.
    game->AddTerrain(new velm::CTerrain(40, new velm::gfx::CGfxUnit(), heights));
    // A second terrain under the same id is refused; the caller keeps it.
    velm::CTerrain duplicate(40, new velm::gfx::CGfxUnit(), heights);
    game->AddTerrain(&duplicate);
    game->AddWater(new velm::CWater(41, new velm::gfx::CGfxUnit(), field));

    velm::gfx::CVelmGfx* gfx = m_app->GetGfx();
    velm::phy::CSimulator& simulator = m_app->GetPhysicsWorld()->GetSimulator();
    EXPECT_EQ(gfx->GetTerrainUnits().size(), 1u);
    EXPECT_EQ(gfx->GetWaterUnits().size(), 1u);
    EXPECT_EQ(simulator.FindHeightMapAt(0.5f, 0.5f), heights.get());
    EXPECT_EQ(simulator.GetWaterFields().size(), 1u);

    game->ClearTerrains();
    game->ClearWaters();
    EXPECT_TRUE(gfx->GetTerrainUnits().empty());
    EXPECT_EQ(gfx->GetWaterObjectCount(), 0u);
    EXPECT_EQ(simulator.FindHeightMapAt(0.5f, 0.5f), nullptr);
    EXPECT_TRUE(simulator.GetWaterFields().empty());
    EXPECT_EQ(heights.use_count(), 2) << "only the test and the refused duplicate hold it";
    m_app->Shutdown();
}

TEST(VelmAppCallbacksTest, WithoutAnApplicationCallbacksDoNothing) {
    velm::SetApp(nullptr);
    EXPECT_EQ(velm::OnWindowMessage(nullptr, WM_DESTROY, 0, 0, nullptr, nullptr), 0);
    velm::OnFrameMove(nullptr, 0.0, 0.0f, nullptr);
    velm::OnDeviceLost(nullptr);
    EXPECT_EQ(velm::OnDeviceReset(nullptr, nullptr, nullptr), S_OK);
}

} // namespace
