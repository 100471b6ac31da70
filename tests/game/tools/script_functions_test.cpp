#include "game/tools/script_functions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/core/picker.h"
#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/lights_manager.h"
#include "engine/phy/buoyancy_force.h"
#include "game/content/content_fixtures.h"
#include "game/tools/console_sink.h"
#include "game/world/racer_tuning.h"
#include "game/world/weapon_data.h"
#include "libs/common/script_manager.h"
#include "libs/common/singleton.h"
#include "tools_fixtures.h"

namespace {

class ScriptFunctionsTest : public ::testing::Test {
protected:
    ScriptFunctionsTest() {
        kelvo::SetScriptRenderFlags(&m_flags);
        kelvo::SetConsoleSink([this](const std::string& line) { m_console.push_back(line); });
        kelvo::RegisterScriptFunctions();
    }
    ~ScriptFunctionsTest() override {
        kelvo::SetScriptRenderFlags(nullptr);
        kelvo::SetConsoleSink(nullptr);
    }
    void Run(const std::string& text) { ASSERT_TRUE(m_host.RunString(text.c_str())) << text; }
    double Number(const char* name) { return m_host.GetGlobalNumber(name); }
    bool Bool(const char* name) { return m_host.GetGlobalBool(name); }

    common::CScriptManager& m_host = *common::CScriptManager::GetInstance();
    std::uint32_t m_flags = 0x2007F;
    std::vector<std::string> m_console;
};

TEST_F(ScriptFunctionsTest, RenderSwitchesSetOneFlagAndPrintTheirMessage) {
    Run("SetWater(false) w = GetWaterState() SetRFSave(true) rf = GetRFSave() SetTerrain(false) "
        "SetDrawParticleDebugMeshes(1) p = GetDrawParticleDebugMeshes() SetDrawDebugMeshes(true) "
        "d = GetDrawDebugMeshes() SetWireFrame(true)");
    EXPECT_EQ(m_flags, (0x2007Fu & ~0x20u & ~0x10u) | 0x80u | 0x10000u);
    EXPECT_FALSE(Bool("w"));
    EXPECT_TRUE(Bool("rf"));
    EXPECT_TRUE(Bool("p"));
    EXPECT_TRUE(Bool("d"));
    EXPECT_EQ(velm::gfx::GFXCore::Instance().GetFillMode(), static_cast<DWORD>(D3DFILL_WIREFRAME));
    EXPECT_EQ(m_console, (std::vector<std::string>{"Water render OFF", "Saving Ref Map To File ENAbLED!",
                                                   "Draw Terrain DISABLE!", "DrawParticleDebugMeshes ENABLED!",
                                                   "DrawDebugMeshes ENABLED!", "WireFrame render ON"}));
}

TEST_F(ScriptFunctionsTest, TheLightAndFogRoundTripInTheirOrders) {
    Run("SetDiffuse(0.1, 0.2, 0.3, 1) a, b, g, r = GetDiffuse() SetLightPos(1, 2, 3) pz, py, px = GetLightPos() "
        "SetRange(40) range = GetRange() FogColor(0.5, 0.6, 0.7, 0.8) FogEnd(900)");
    EXPECT_DOUBLE_EQ(Number("a"), 1.0);
    EXPECT_NEAR(Number("r"), 0.1, 1e-6);
    const D3DLIGHT9& light = velm::gfx::LightsManager::Instance().GetLight();
    EXPECT_EQ(light.Position.x, 3.0f);
    EXPECT_EQ(light.Position.z, 1.0f);
    EXPECT_DOUBLE_EQ(Number("pz"), 1.0);
    EXPECT_DOUBLE_EQ(Number("px"), 3.0);
    EXPECT_DOUBLE_EQ(Number("range"), 40.0);
    EXPECT_NEAR(velm::gfx::AtmosphereManager::Instance().m_g, 0.6f, 1e-6f);
    EXPECT_EQ(velm::gfx::AtmosphereManager::Instance().m_fogEnd, 900.0f);

    // Any light of the table can be made current; a negative index is refused and the current light stays.
    Run("GetLight(2) SetRange(7) range2 = GetRange() GetLight(-1) SetRange(8) GetLight(0) range0 = GetRange()");
    EXPECT_EQ(velm::gfx::LightsManager::Instance().GetLight(2).Range, 8.0f);
    EXPECT_DOUBLE_EQ(Number("range2"), 7.0);
    EXPECT_DOUBLE_EQ(Number("range0"), 40.0) << "light 0 is untouched";
    EXPECT_EQ(m_console, std::vector<std::string>{"GetLight: there is no light -1"});
}

TEST_F(ScriptFunctionsTest, PickedObjectFunctionsWithNothingPickedGiveZerosAndChangeNothing) {
    Run("SetPicker(true) on = GetPicker() SetPickedPos(5, 5, 5) SetPickedScale(2, 2, 2) "
        "x, y, z = GetPickedPos() sx = GetPickedScale() angle = GetPickedRotAngle() ax, ay, az = GetPickedRotAxis()");
    EXPECT_TRUE(Bool("on"));
    for (const char* name : {"x", "y", "z", "sx", "angle", "ax", "ay", "az"}) {
        EXPECT_EQ(Number(name), 0.0) << name;
    }
    Run("SetPicker(false)");
    EXPECT_FALSE(common::CSingleton<velm::CPicker>::Instance().IsEnabled());
}

TEST_F(ScriptFunctionsTest, TuningSettersAnswerWhetherTheValueWasStored) {
    Run("d = SetRiverDensity(31) s = SetRiverSpeed('fast') item = SetRacerMaxSpeed('drill', 10) "
        "none = SetRacerAccel() ok = SetRacerTurning('bear', 2.5)");
    EXPECT_TRUE(Bool("d"));
    EXPECT_EQ(velm::phy::GetRiverDensity(), 31.0f);
    EXPECT_FALSE(Bool("s"));
    EXPECT_FALSE(Bool("item"));
    EXPECT_FALSE(Bool("none"));
    EXPECT_EQ(m_console, (std::vector<std::string>{"SetRiverSpeed: expected (number)",
                                                   "SetRacerAccel: expected (string, number)"}));
    EXPECT_TRUE(Bool("ok"));
    ASSERT_NE(kelvo::FindRacerTuning(2), nullptr);
    EXPECT_EQ(kelvo::FindRacerTuning(2)->turning, 2.5f);
}

TEST_F(ScriptFunctionsTest, HostileTuningNumbersAreRefusedWithALineAndTheValueStays) {
    Run("SetRiverSpeed(5) SetRiverDensity(40) SetRacerMaxSpeed('fish', 7.5) SetWeaponRange('drill', 80) "
        "SetWeaponHForce('drill', 30)");
    testing::internal::CaptureStderr();
    Run("speed = SetRiverSpeed(0/0) density = SetRiverDensity(-1) fast = SetRacerMaxSpeed('fish', math.huge) "
        "turn = SetRacerTurning('fish', 1e10) range = SetWeaponRange('drill', -math.huge) "
        "force = SetWeaponHForce('drill', 0/0)");
    const std::string errors = testing::internal::GetCapturedStderr();
    for (const char* refused : {"speed", "density", "fast", "turn", "range", "force"}) {
        EXPECT_FALSE(Bool(refused)) << refused;
    }
    EXPECT_EQ(velm::phy::GetRiverSpeed(), 5.0f);
    EXPECT_EQ(velm::phy::GetRiverDensity(), 40.0f);
    EXPECT_EQ(kelvo::FindRacerTuning(4)->maxSpeed, 7.5f);
    EXPECT_EQ(kelvo::data::Drill().m_range, 80.0f);
    EXPECT_EQ(kelvo::data::Drill().m_hForce, 30.0f);
    for (const char* line : {"SetRiverSpeed: speed \"", "SetRiverDensity: density \"-1\" is not a number from 0 to",
                             "SetRacerMaxSpeed: fish \"inf\"", "SetRacerTurning: fish \"1e+10\"",
                             "SetWeaponRange: drill \"-inf\"", "SetWeaponHForce: drill \""}) {
        EXPECT_NE(errors.find(line), std::string::npos) << line << "\n" << errors;
    }
    EXPECT_NE(errors.find("; using the value it had"), std::string::npos) << errors;
}

TEST_F(ScriptFunctionsTest, WeaponSettersStoreOnlyWhatTheWeaponHas) {
    const std::string drillBone = kelvo::data::Drill().m_bone;
    Run("range = SetWeaponRange('drill', 22) hate = SetWeaponHate('mine', 40) life = SetWeaponLife('bait', 9) "
        "effect = SetWeaponEffectTimer('whirlpool', 3) anim = SetWeaponAnimSpeed('propeller', 2) "
        "angle = SetWeaponAngle('pole', 0.5) bone = SetWeaponBone('shark', 'root') "
        "hshark = SetWeaponHForce('shark', 12) hreflect = SetWeaponHForce('reflect', 1) "
        "vshark = SetWeaponVForce('shark', 5) vpole = SetWeaponVForce('pole', 5) "
        "upper = SetWeaponRange('Drill', 1) item = SetWeaponLife('genitem', 1) nobone = SetWeaponBone('drill') "
        "noforce = SetWeaponHForce('drill', 'hard')");
    for (const char* ok : {"range", "hate", "life", "effect", "anim", "angle", "bone", "hshark", "vpole"}) {
        EXPECT_TRUE(Bool(ok)) << ok;
    }
    for (const char* refused : {"hreflect", "vshark", "upper", "item", "nobone", "noforce"}) {
        EXPECT_FALSE(Bool(refused)) << refused;
    }
    EXPECT_EQ(kelvo::data::Drill().m_range, 22.0f);
    EXPECT_EQ(kelvo::data::Mine().m_hate, 40.0f);
    EXPECT_EQ(kelvo::data::GetWeaponDataByName("bait")->m_life, 9.0f);
    EXPECT_EQ(kelvo::data::GetWeaponDataByName("whirlpool")->m_effectTimer, 3.0f);
    EXPECT_EQ(kelvo::data::Propeller().m_animSpeed, 2.0f);
    EXPECT_EQ(kelvo::data::Pole().m_angle, 0.5f);
    EXPECT_EQ(kelvo::data::Pole().m_vForce, 5.0f);
    EXPECT_EQ(kelvo::data::Shark().m_bone, "root");
    EXPECT_EQ(kelvo::data::Shark().m_hForce, 12.0f);
    EXPECT_EQ(kelvo::data::Drill().m_bone, drillBone);
    EXPECT_EQ(m_console, (std::vector<std::string>{"SetWeaponBone: expected (string, string)",
                                                   "SetWeaponHForce: expected (string, number)"}));
}

TEST_F(ScriptFunctionsTest, TheStartUpScriptHangsEachHeldItemOnABoneAndTunesIt) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    if (source == nullptr) {
        GTEST_SKIP() << "TK_SOURCE_DIR is not set";
    }
    // The rest of the script needs the AI functions; a stand-in keeps this test to the bones.
    Run("LoadWaypoints = function() return 0 end LoadNet = function() return true end "
        "for _, f in ipairs({'SetAIWDelay', 'SetAICRange', 'SetAIDifficulty', 'SetAIPath', 'SetAINet', "
        "'SetAIDebug'}) do _G[f] = function() return true end end");
    char previous[4096] = {};
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir((std::string(source) + "/run/tumbo/kelvo/game").c_str()), 0);
    const bool ran = m_host.RunScript("Scripts/StartGame");
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_TRUE(ran);
    const std::vector<std::string> skeleton = {"root",    "Hips",     "Spine",    "Head",
                                               "LeftArm", "LeftHand", "RightArm", "RightHand"};
    for (const char* name : {"drill", "pole", "propeller", "shark", "mine", "bait", "whirlpool", "reflect"}) {
        const std::string& bone = kelvo::data::GetWeaponDataByName(name)->m_bone;
        EXPECT_NE(std::find(skeleton.begin(), skeleton.end(), bone), skeleton.end()) << name << " on " << bone;
    }
    // Untuned, an item does nothing: the fuse, pull and boost end at once, the cones are empty.
    for (const char* name : {"drill", "pole", "shark", "mine", "bait", "whirlpool"}) {
        EXPECT_GT(kelvo::data::GetWeaponDataByName(name)->m_range, 0.0f) << name;
    }
    for (const char* name : {"pole", "propeller", "mine", "reflect"}) {
        EXPECT_GT(kelvo::data::GetWeaponDataByName(name)->m_life, 0.0f) << name;
    }
    EXPECT_GT(kelvo::data::Drill().m_hForce, 0.0f);
    EXPECT_GT(kelvo::data::Propeller().m_hForce, 1.0f);
    EXPECT_GT(kelvo::data::Pole().m_vForce, 0.0f);
    EXPECT_TRUE(m_console.empty());
}

TEST_F(ScriptFunctionsTest, EditorFunctionsReachThePlacementEditor) {
    tktest::CFlowEnvironment env;
    auto world = std::make_shared<tktest::CEditorWorld>();
    env.m_events.AddListener(world, velm::WildcardEventType());
    env.AddModel("SpeedRampModelData", tktest::GraphicSection());
    kelvo::CLevelEditor& editor = common::CSingleton<kelvo::CLevelEditor>::Instance();
    editor.SetWorld(world.get());
    const std::string file = env.m_dir.Path() + "/placed.xml";
    Run("added = AddLevelObject('ramp') jug = AddLevelObject('castle') nothing = AddLevelObject() "
        "MoveModels('true') SetBillboardCount(3.9) written = WriteLevelPlacement('" +
        file + "') unwritten = WriteLevelPlacement('" + env.m_dir.Path() + "/none/x.xml')");
    EXPECT_TRUE(Bool("added"));
    EXPECT_TRUE(Bool("jug")) << "an unknown keyword places a jug";
    EXPECT_FALSE(Bool("nothing"));
    EXPECT_TRUE(Bool("written"));
    EXPECT_FALSE(Bool("unwritten"));
    ASSERT_EQ(m_console.size(), 3u);
    EXPECT_EQ(m_console[0], "AddLevelObject: unknown object keyword \"castle\", placing a jug");
    EXPECT_EQ(m_console[1], "AddLevelObject: expected (string)");
    EXPECT_EQ(editor.GetModels().size(), 2u);
    common::CSingleton<kelvo::CLevelEditor>::Destroy();
}

TEST_F(ScriptFunctionsTest, BadCallsPrintALineAndChangeNothing) {
    Run("SetRange(12)");
    Run("SetWater() SetDiffuse(1, 2) SetLightPos('a', 2, 3) FogDensity(nil) GetLight('zero') "
        "SetBillboardCount(1e300) SetRange(1e300)");
    EXPECT_EQ(velm::gfx::LightsManager::Instance().GetLight().Range, 12.0f);
    EXPECT_EQ(m_flags, 0x2007Fu);
    EXPECT_EQ(m_console,
              (std::vector<std::string>{
                  "SetWater: expected (bool)", "SetDiffuse: expected (number, number, number, number)",
                  "SetLightPos: expected (number, number, number)", "FogDensity: expected (number)",
                  "GetLight: expected (number)",
                  "SetBillboardCount: count \"1e+300\" is not a number from 0 to 256; using the value it had",
                  "SetRange: range \"1e+300\" is not a number from 0 to 1e+06; using the value it had"}));
}

TEST_F(ScriptFunctionsTest, ConsoleWordsReachTheFunctions) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    if (source == nullptr) {
        GTEST_SKIP() << "TK_SOURCE_DIR is not set";
    }
    char previous[4096] = {};
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir((std::string(source) + "/run/tumbo/kelvo/game").c_str()), 0);
    const bool loaded = m_host.RunScript("Scripts/ConsoleParser");
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_TRUE(loaded);
    for (const char* line : {"Water OFF", "wireframe on", "tune racer bear speed", "tune racer bear speed 12",
                             "draw terrain off", "fog end 500", "tune weapon Pole vforce 7",
                             "tune weapon drill bone RightHand", "river speed fast", "frobnicate now", ""}) {
        ASSERT_TRUE(m_host.CallFunction("ParseConsole", "s", line)) << line;
    }
    EXPECT_EQ(m_flags, 0x2007Fu & ~0x20u & ~0x10u);
    ASSERT_NE(kelvo::FindRacerTuning(2), nullptr);
    EXPECT_EQ(kelvo::FindRacerTuning(2)->maxSpeed, 12.0f);
    EXPECT_EQ(velm::gfx::AtmosphereManager::Instance().m_fogEnd, 500.0f);
    EXPECT_EQ(kelvo::data::Pole().m_vForce, 7.0f);
    EXPECT_EQ(kelvo::data::Drill().m_bone, "RightHand");
    EXPECT_EQ(m_console, (std::vector<std::string>{"Water render OFF", "WireFrame render ON",
                                                   "SetRacerMaxSpeed: expected (string, number)",
                                                   "Draw Terrain DISABLE!", "SetRiverSpeed: expected (number)",
                                                   "unknown command: frobnicate (type help)"}));
}

} // namespace
