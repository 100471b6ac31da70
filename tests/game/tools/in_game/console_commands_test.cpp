// The console as a player drives it: lines typed key by key into the game's console, handed to
// the shipped parser, reaching the game's script functions; the editors' work checked in what
// they leave (files, paths, the picked model).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/ai/ai_manager.h"
#include "engine/core/input_event.h"
#include "engine/core/model.h"
#include "engine/core/picker.h"
#include "engine/core/velm_camera.h"
#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/phy/rigid_body.h"
#include "game/ai/ai_script_functions.h"
#include "game/ai/waypoint_editor.h"
#include "game/content/content_fixtures.h"
#include "game/flow/game_tools.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/tools/console_sink.h"
#include "game/tools/level_editor.h"
#include "game/ui/tumbo_kelvo_console.h"
#include "game/world/racer_tuning.h"
#include "game/world/weapon_data.h"
#include "libs/common/script_manager.h"
#include "libs/common/singleton.h"
#include "support/game_folder.h"
#include "support/pick_fakes.h"

namespace {

using velm::input::SInputEvent;

// The scan code of a character the console types, on the US layout without shift.
std::uint32_t ScanCode(char c) {
    const struct {
        const char* keys;
        std::uint32_t first;
    } rows[] = {{"1234567890-=", 2}, {"qwertyuiop[]", 16}, {"asdfghjkl;'", 30}, {"\\zxcvbnm,./", 43}};
    if (c == ' ') {
        return 57;
    }
    for (const auto& row : rows) {
        if (const char* at = std::strchr(row.keys, c)) {
            return row.first + static_cast<std::uint32_t>(at - row.keys);
        }
    }
    ADD_FAILURE() << "the console cannot type " << c;
    return 0;
}

using tktest::CPickModel;
using tktest::CSphereUnit;

class ConsoleCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* source = std::getenv("TK_SOURCE_DIR");
        if (source == nullptr) {
            GTEST_SKIP() << "TK_SOURCE_DIR is not set";
        }
        // The game's start reads the data tree from where it runs, wherever the build folder lies.
        m_folder = std::make_unique<tktest::CGameFolder>();
        ASSERT_NE(getcwd(m_previous, sizeof(m_previous)), nullptr);
        m_runDir = std::string(source) + "/run/tumbo/kelvo/game";
        m_game = std::make_unique<kelvo::CTumboKelvoGame>();
        m_game->Init();
        m_ai = std::make_unique<kelvo::ai::CAIScriptHost>(m_manager, &kelvo::ConsolePrint);
        m_ai->Register();
        // The parser and the cursor's file are found from where the game runs.
        InRunDir([this] {
            ASSERT_TRUE(common::CScriptManager::GetInstance()->RunScript("Scripts/ConsoleParser"));
            m_game->CreateCursor();
        });
        m_game->CreateConsole();
        ASSERT_NE(m_game->GetConsole(), nullptr);
        ASSERT_NE(m_game->GetCursorScreen(), nullptr);
    }
    void TearDown() override {
        m_game.reset();
        m_ai.reset();
        common::CSingleton<velm::CPicker>::Destroy();
        if (m_previous[0] != '\0') {
            EXPECT_EQ(chdir(m_previous), 0);
        }
        m_folder.reset();
    }

    template <class F>
    void InRunDir(F work) {
        ASSERT_EQ(chdir(m_runDir.c_str()), 0);
        work();
        ASSERT_EQ(chdir(m_previous), 0);
    }
    // A record as the game's input dispatch hands it on: the screens first, then the tools.
    void Offer(std::uint32_t code, std::uint32_t value) {
        const SInputEvent record{code, value, 0, 0};
        if (!m_game->GetScreens().HandleInput(record)) {
            kelvo::OfferToolsInput(record);
        }
    }
    void Key(std::uint32_t code) {
        Offer(code, 0);
        Offer(code, 1);
    }
    // Opens the console, types the line and Enter, and closes it again.
    void Type(const std::string& line) {
        Key(kelvo::TumboKelvoConsole::kGraveKey);
        ASSERT_TRUE(m_game->GetConsole()->IsOpen());
        for (char c : line) {
            Key(ScanCode(c));
        }
        Key(kelvo::TumboKelvoConsole::kEnterKey);
        Key(kelvo::TumboKelvoConsole::kGraveKey);
        ASSERT_FALSE(m_game->GetConsole()->IsOpen());
        ASSERT_EQ(m_game->GetConsole()->GetHistory().back(), std::wstring(line.begin(), line.end()));
    }
    // The console's newest line, its ">" taken off.
    std::string Answer() const {
        const std::wstring& front = m_game->GetConsole()->GetScrollback().front();
        return std::string(front.begin() + 1, front.end());
    }
    const kelvo::CWaypointEditor& Editor() { return m_ai->GetEditor(); }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::unique_ptr<tktest::CGameFolder> m_folder;
    char m_previous[4096] = {};
    std::string m_runDir;
    tktest::CFlowEnvironment m_env;
    velm::ai::CAIManager m_manager;
    std::unique_ptr<kelvo::CTumboKelvoGame> m_game;
    std::unique_ptr<kelvo::ai::CAIScriptHost> m_ai;
};

TEST_F(ConsoleCommandsTest, TheWaypointEditorsWholeCycleIsTyped) {
    // Where the game runs, four folders below the data tree, as the bare file names expect.
    const tktest::CTempDir tree;
    const std::filesystem::path run = std::filesystem::path(tree.Path()) / "run/tumbo/kelvo/game";
    std::filesystem::create_directories(run);
    std::filesystem::create_directories(std::filesystem::path(tree.Path()) / "data/files/waypoints");
    ASSERT_EQ(chdir(run.c_str()), 0);

    Type("waypoints label cycle-path");
    Type("waypoint add 1 2 3");
    Type("waypoint add 4 5 6");
    Type("waypoint add 7 8 9");
    Type("waypoint insert 1 before 2 2 2");
    Type("waypoint insert 3 after 8 8 8");
    Type("waypoint delete 2");
    EXPECT_EQ(Editor().GetLabel(), "cycle_path") << "a typed - stands for _";
    ASSERT_EQ(Editor().GetWaypoints().size(), 4u);
    EXPECT_EQ(Editor().GetWaypoints()[1].m_position, common::CVector3(2, 2, 2));
    EXPECT_EQ(Editor().GetWaypoints()[2].m_position, common::CVector3(7, 8, 9));
    Type("waypoints write ./one.txt");
    EXPECT_EQ(Answer(), "4 waypoints written to ./one.txt");
    EXPECT_EQ(ReadFile("one.txt"), "cycle_path\n1 2 3 \n2 2 2 \n7 8 9 \n8 8 8 \n");

    // Handed back, edited again by name, written as one of the game's own files.
    Type("waypoints done");
    EXPECT_TRUE(Editor().GetWaypoints().empty());
    Type("waypoints edit cycle-path");
    Type("waypoint add 10 11 12");
    Type("waypoints write my-line");
    EXPECT_EQ(Answer(), "5 waypoints written to ../../../../data/files/waypoints/my_line.txt");
    Type("waypoints clear");
    EXPECT_TRUE(Editor().GetLabel().empty());

    // Loaded back into the paths, listed and taken up by index.
    Type("waypoints load my-line");
    EXPECT_EQ(Answer(), "5 waypoints loaded from ../../../../data/files/waypoints/my_line.txt");
    Type("waypoints load ./one.txt");
    Type("waypoints list");
    EXPECT_EQ(Answer(), "[0]  cycle_path  Size: 4\n");
    Type("waypoints edit 0");
    EXPECT_EQ(Editor().GetWaypoints().size(), 4u);

    // Lines that cannot be done say why and lose nothing.
    const struct {
        const char* typed;
        const char* answer;
    } bad[] = {
        {"waypoint delete 9", "waypoint delete: the path being edited has no waypoint 9"},
        {"waypoint delete", "waypoint delete: the path being edited has no waypoint nil"},
        {"waypoint insert 1 beside 1 1 1", "waypoint insert: expected <index> before|after <x> <y> <z>"},
        {"waypoint insert 1 after 1 1", "InsertWaypoint: expected (number, number, number, number, bool)"},
        {"waypoint add 1 2", "AddWPtoEnd: expected (number, number, number)"},
        {"waypoints write ./no/such/dir/x.txt", "ERROR: Could not write the waypoint file \"./no/such/dir/x.txt\""},
        {"waypoints load ./missing.txt", "ERROR: Could not read a waypoint path from \"./missing.txt\""},
        {"waypoints edit 7", "waypoints edit: no path 7 (see waypoints list)"},
        {"write placement ./no/such/dir/p.xml", "WriteLevelPlacement: cannot write \"./no/such/dir/p.xml\""},
    };
    for (const auto& line : bad) {
        Type(line.typed);
        EXPECT_EQ(Answer(), line.answer) << line.typed;
    }
    EXPECT_EQ(Editor().GetLabel(), "cycle_path");
    EXPECT_EQ(Editor().GetWaypoints().size(), 4u);
    EXPECT_EQ(m_manager.FindPath("cycle_path")->m_waypoints.size(), 4u);
    Type("write placement ./placed.xml");
    EXPECT_TRUE(std::filesystem::exists("placed.xml"));
    ASSERT_EQ(chdir(m_previous), 0);

    // The shipped racing line is typed as a bare name too.
    InRunDir([this] {
        Type("waypoints load stage1-line");
        const velm::ai::CWaypointPath* line = m_manager.FindPath("stage1_line");
        ASSERT_NE(line, nullptr);
        ASSERT_EQ(line->m_name, "stage1_line");
        EXPECT_EQ(Answer(), std::to_string(line->m_waypoints.size()) +
                                " waypoints loaded from ../../../../data/files/waypoints/stage1_line.txt");
    });
}

TEST_F(ConsoleCommandsTest, EveryWordTheReadmeListsReachesItsFunction) {
    // Every word of the README, "; " between lines.
    const std::string lines =
        "water off; wireframe on; wireframe off; draw terrain on; draw skybox on; draw particles on; "
        "draw opaque on; draw transparent on; draw dynamic on; draw debug off; draw visual off; "
        "debug info; fog density 0.01; fog start 50; fog end 300; fog color 0.5 0.6 0.7 1; cursor on; "
        "picker on; picker off; picked pos 1 2 3; picked scale 1 1 1; tune racer bear speed 9; "
        "tune racer bear accel 0.5; tune racer bear turn 0.7; tune weapon drill range 80; "
        "tune weapon drill angle 0.3; tune weapon drill hate 90; tune weapon pole life 2; "
        "tune weapon mine effect 1; tune weapon propeller anim 3; tune weapon shark hforce 20; "
        "tune weapon pole vforce 6; tune weapon drill bone righthand; tune weapon mine bone lefthand; "
        "river density 30; river speed 5; give item mine; give item mine 3; racers; server off; "
        "networking off; reload console; set ai state true true true; place ice-cave; place ramp; "
        "move models on; move partsys off; move billboards off; trees count 3; trees radius 4; "
        "waypoint marker 1 2 3; help; echo hello; weapons; start";
    InRunDir([&] {
        std::string::size_type at = 0;
        while (at < lines.size()) {
            const std::string::size_type end = std::min(lines.find("; ", at), lines.size());
            const std::string line = lines.substr(at, end - at);
            at = end + 2;
            const std::size_t before = m_game->GetConsole()->GetScrollback().size();
            Type(line);
            const auto& scrollback = m_game->GetConsole()->GetScrollback();
            std::size_t fresh = scrollback.size() - before - 1; // the echo of the line itself
            for (auto answer = scrollback.begin(); fresh > 0; ++answer, --fresh) {
                const std::string text(answer->begin(), answer->end());
                for (const char* fault : {"unknown", "no such command", "expected (", "ERROR", "cannot"}) {
                    EXPECT_EQ(text.find(fault), std::string::npos) << line << " answered " << text;
                }
            }
        }
    });
    // What a function refuses, or the parser cannot read, is answered and changes nothing.
    const struct {
        const char* typed;
        const char* answer;
    } refused[] = {
        {"water maybe", "water: expected on or off, not maybe"},
        {"move models sideways", "move models: expected on or off, not sideways"},
        {"tune racer dragon speed 5", "tune racer: no character dragon"},
        {"tune racer bear speed fast", "SetRacerMaxSpeed: expected (string, number)"},
        {"tune weapon shark vforce 5", "tune weapon: shark is no weapon or has no vforce"},
        {"give item castle", "give item: not given (no such item or racer, or the racer holds an item)"},
        {"fog density thick", "FogDensity: expected (number)"},
    };
    for (const auto& line : refused) {
        Type(line.typed);
        EXPECT_EQ(Answer(), line.answer) << line.typed;
    }
    EXPECT_EQ(kelvo::data::Drill().m_bone, "RightHand") << "bones are matched in any case";
    EXPECT_EQ(kelvo::data::Mine().m_bone, "LeftHand");
    ASSERT_NE(kelvo::FindRacerTuning(2), nullptr);
    EXPECT_EQ(kelvo::FindRacerTuning(2)->maxSpeed, 9.0f);
    EXPECT_NEAR(velm::gfx::AtmosphereManager::Instance().m_fogDensity, 0.01f, 1e-6f);
    const auto& placed = common::CSingleton<kelvo::CLevelEditor>::Instance().GetModels();
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].m_typeName, "ICE_CAVE") << "a keyword with capitals and _ is typed ice-cave";
}

// A count or size beyond what its user can take is answered on the console and the setting keeps
// what it had: a billion trees asked for, then placed, make the batch of five.
TEST_F(ConsoleCommandsTest, CountsAndSizesBeyondReachAreAnsweredAndChangeNothing) {
    const struct {
        const char* typed;
        const char* answer;
    } refused[] = {
        {"trees count 1000000000",
         "SetBillboardCount: count \"1e+09\" is not a number from 0 to 256; using the value it had"},
        {"trees count -1", "SetBillboardCount: count \"-1\" is not a number from 0 to 256; using the value it had"},
        {"trees radius 1e300",
         "SetBillboardRadius: radius \"1e+300\" is not a number from 0 to 1000; using the value it had"},
        {"picked scale 1e38 1e38 1e38",
         "SetPickedScale: x \"1e+38\" is not a number from -1e+06 to 1e+06; using the value it had"},
        {"picked pos 1 1e999 1",
         "SetPickedPos: y \"inf\" is not a number from -1e+06 to 1e+06; using the value it had"},
        {"fog end 1e9", "FogEnd: distance \"1e+09\" is not a number from 0 to 100000; using the value it had"},
        {"waypoint add 1e9 0 0",
         "AddWPtoEnd: x \"1e+09\" is not a number from -1e+06 to 1e+06; using the value it had"},
    };
    ::testing::internal::CaptureStderr();
    for (const auto& line : refused) {
        Type(line.typed);
        EXPECT_EQ(Answer(), line.answer) << line.typed;
    }
    Type("place pine");
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find(": SetBillboardCount: count \"1e+09\""), std::string::npos) << errors;
    const kelvo::CLevelEditor& editor = common::CSingleton<kelvo::CLevelEditor>::Instance();
    EXPECT_EQ(editor.GetBillboards().size(), static_cast<std::size_t>(kelvo::CLevelEditor::kDefaultBillboardCount));
    EXPECT_EQ(Editor().GetWaypoints().size(), 0u);
}

TEST_F(ConsoleCommandsTest, PickerOnPicksWhatIsUnderTheMouse) {
    velm::gfx::CGFXCore& core = velm::gfx::GFXCore::Instance();
    const D3DXMATRIX view = core.GetViewMatrix();
    const D3DXMATRIX projection = core.GetProjectionMatrix();
    const int width = core.GetScreenWidth();
    const int height = core.GetScreenHeight();
    core.SetScreenSize(800, 600);
    const common::CVector3 eye = m_game->GetCamera()->GetEye();
    const D3DXVECTOR3 from(eye.x, eye.y, eye.z);
    const D3DXVECTOR3 at(eye.x, eye.y, eye.z + 1.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX look;
    D3DXMATRIX lens;
    core.SetViewMatrix(*D3DXMatrixLookAtLH(&look, &from, &at, &up));
    core.SetProjectionMatrix(*D3DXMatrixPerspectiveFovLH(&lens, 0.785f, 800.0f / 600.0f, 1.0f, 1000.0f));
    // 20 metres out: one model where the pointer was left, one 200 pixels to its right.
    auto along = [&](float x, float y) {
        const D3DVIEWPORT9 viewport = {0, 0, 800, 600, 0.0f, 1.0f};
        D3DXMATRIX world;
        D3DXMatrixIdentity(&world);
        const D3DXVECTOR3 screen(x, y, 0.0f);
        D3DXVECTOR3 near;
        D3DXVec3Unproject(&near, &screen, &viewport, &lens, &look, &world);
        const common::CVector3 ray = (common::CVector3(near.x, near.y, near.z) - eye).GetNormalized();
        return eye + ray * 20.0f;
    };
    m_game->AddObject(new CPickModel(9001, new CSphereUnit(common::CSphere(along(400, 300), 1.0f))), nullptr, nullptr);
    m_game->AddObject(new CPickModel(9002, new CSphereUnit(common::CSphere(along(600, 300), 1.0f))), nullptr, nullptr);

    // In the race the pointer is hidden; the mouse moves on, then picking goes on by the console.
    velm::gfx::CCursor& cursor = *m_game->GetCursorScreen();
    cursor.Show(false);
    ASSERT_EQ(cursor.GetX(), 400);
    Offer(velm::input::MOUSE_AXIS_X, 120);
    Offer(velm::input::MOUSE_AXIS_X, 80);
    Type("picker on");
    EXPECT_TRUE(cursor.IsShown()) << "picking shows the pointer";
    Offer(velm::input::MOUSE_BUTTON_0, 0);
    Offer(velm::input::MOUSE_BUTTON_0, 1);
    const velm::CModel* picked = common::CSingleton<velm::CPicker>::Instance().GetSelected();
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(picked->GetID(), 9002u) << "the model under the mouse, not under the pointer's old place";

    core.SetViewMatrix(view);
    core.SetProjectionMatrix(projection);
    core.SetScreenSize(width, height);
}

} // namespace
