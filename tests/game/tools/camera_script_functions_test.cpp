// The camera and cursor script functions through the script host: they reach the game's active
// camera, and a bad or impossible call says so on the console and changes nothing.
#include "game/tools/camera_script_functions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/tools/console_sink.h"
#include "game/tools/script_functions.h"
#include "game/tools/tools_game.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "libs/common/script_manager.h"

namespace {

// The game's two cameras, the race one active first, installed while it lives; no cursor.
class CCameraGame : public kelvo::IToolsGame {
public:
    CCameraGame() { kelvo::SetToolsGame(this); }
    ~CCameraGame() override { kelvo::SetToolsGame(nullptr); }
    velm::CVelmCamera* GetCamera() override { return m_active; }
    velm::gfx::CCursor* GetCursor() override { return nullptr; }
    kelvo::CTumboKelvoCamera* GetRaceCamera() { return &m_race; }
    kelvo::CTumboKelvoCamera* GetFreeRoamCamera() { return &m_free; }
    void ToggleCamera() { m_active = m_active == &m_race ? &m_free : &m_race; }

private:
    kelvo::CTumboKelvoCamera m_race{"RaceCameraInit.xml"};
    kelvo::CTumboKelvoCamera m_free{"FreeRoamCameraInit.xml"};
    kelvo::CTumboKelvoCamera* m_active = &m_race;
};

class CameraScriptFunctionsTest : public ::testing::Test {
protected:
    CameraScriptFunctionsTest() {
        kelvo::SetConsoleSink([this](const std::string& line) { m_console.push_back(line); });
        kelvo::RegisterScriptFunctions();
    }
    ~CameraScriptFunctionsTest() override { kelvo::SetConsoleSink(nullptr); }
    void Run(const std::string& text) { ASSERT_TRUE(m_host.RunString(text.c_str())) << text; }
    double Number(const char* name) { return m_host.GetGlobalNumber(name); }
    bool Bool(const char* name) { return m_host.GetGlobalBool(name); }

    common::CScriptManager& m_host = *common::CScriptManager::GetInstance();
    std::vector<std::string> m_console;
};

TEST_F(CameraScriptFunctionsTest, TheFunctionsWorkOnTheActiveCamera) {
    CCameraGame game;
    kelvo::CTumboKelvoCamera& race = *game.GetRaceCamera();
    kelvo::CTumboKelvoCamera& free = *game.GetFreeRoamCamera();
    Run("x, y, z = PrintCamPos() SetCamSpeed(3.5) ToggleCameraMove()");
    EXPECT_FLOAT_EQ(static_cast<float>(Number("x")), race.GetEye().x);
    EXPECT_FLOAT_EQ(static_cast<float>(Number("y")), race.GetEye().y);
    EXPECT_FLOAT_EQ(static_cast<float>(Number("z")), race.GetEye().z);
    EXPECT_EQ(race.GetMoveSpeed(), 3.5f);
    EXPECT_FALSE(race.IsInputEnabled());

    game.ToggleCamera();
    const float freeSpeed = free.GetMoveSpeed();
    Run("fx = PrintCamPos() ToggleCameraMove() ToggleCameraMove() SetCamSpeed(-1)");
    EXPECT_FLOAT_EQ(static_cast<float>(Number("fx")), free.GetEye().x);
    EXPECT_TRUE(free.IsInputEnabled());
    EXPECT_EQ(free.GetMoveSpeed(), -1.0f);
    EXPECT_NE(freeSpeed, -1.0f);
    EXPECT_EQ(race.GetMoveSpeed(), 3.5f);
    EXPECT_TRUE(m_console.empty());
}

TEST_F(CameraScriptFunctionsTest, BadCallsSayWhatWasWrongAndChangeNothing) {
    {
        CCameraGame game;
        const float speed = game.GetRaceCamera()->GetMoveSpeed();
        Run("SetCamSpeed('fast') SetCamSpeed() SetCursor() shown = GetCursor()");
        EXPECT_EQ(game.GetRaceCamera()->GetMoveSpeed(), speed);
        EXPECT_FALSE(Bool("shown"));
        EXPECT_EQ(m_console,
                  (std::vector<std::string>{"SetCamSpeed: expected (number)", "SetCamSpeed: expected (number)",
                                            "SetCursor: expected (bool)", "GetCursor: there is no cursor"}));
    }
    // Without a game there is no camera to read or fly: no results, one line each.
    m_console.clear();
    Run("px = 1 px = PrintCamPos() nothing = px == nil ToggleCameraMove() SetCamSpeed(2) SetCursor(true)");
    EXPECT_TRUE(Bool("nothing"));
    EXPECT_EQ(m_console,
              (std::vector<std::string>{"PrintCamPos: there is no camera", "ToggleCameraMove: there is no camera",
                                        "SetCamSpeed: there is no camera", "SetCursor: there is no cursor"}));
}

} // namespace
