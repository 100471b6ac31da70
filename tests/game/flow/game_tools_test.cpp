#include "game/flow/game_tools.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/input_event.h"
#include "engine/core/picker.h"
#include "engine/core/velm_camera.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/particle_system.h"
#include "engine/gfx/texture_cache.h"
#include "game/content/content_fixtures.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/tools/console_sink.h"
#include "game/tools/tools_fixtures.h"
#include "libs/common/script_manager.h"
#include "libs/common/singleton.h"

namespace {

velm::input::SInputEvent Record(std::uint32_t code, std::uint32_t value) {
    velm::input::SInputEvent event{};
    event.m_code = code;
    event.m_value = value;
    return event;
}

// The game as it runs: its Init registers the script functions and attaches the tools.
class GameToolsTest : public ::testing::Test {
protected:
    GameToolsTest() {
        m_game = std::make_unique<kelvo::CTumboKelvoGame>();
        m_game->Init();
        // The game's Init makes its console the sink; these tests read the lines themselves.
        kelvo::SetConsoleSink([this](const std::string& line) { m_console.push_back(line); });
    }
    ~GameToolsTest() override {
        m_game.reset();
        common::CSingleton<velm::CPicker>::Destroy();
        kelvo::SetConsoleSink(nullptr);
    }
    void Run(const std::string& text) { ASSERT_TRUE(m_host.RunString(text.c_str())) << text; }

    tktest::CFlowEnvironment m_env;
    std::unique_ptr<kelvo::CTumboKelvoGame> m_game;
    common::CScriptManager& m_host = *common::CScriptManager::GetInstance();
    std::vector<std::string> m_console;
};

TEST_F(GameToolsTest, ConsoleSwitchesWorkOnTheGameAndStartLeavesTheMenus) {
    Run("ToggleDebugInfo() SetServer(true) SetNetworking(true)");
    EXPECT_TRUE(m_game->IsStatisticsShown());
    EXPECT_EQ(m_game->GetMode(), 1u);
    EXPECT_TRUE(m_game->IsNetworked());
    EXPECT_EQ(m_console,
              (std::vector<std::string>{"Debug Info ON", "Changing Server to TRUE", "Changing Networked to TRUE"}));

    // Outside the menus Start only reports; from the menus it starts the first track.
    Run("SetNetworking(false) SetServer(false) Start()");
    EXPECT_EQ(m_game->GetStateMachine().GetCurrentState(), "InitState");
    m_game->GetStateMachine().ChangeState("MenuState");
    Run("Start()");
    EXPECT_EQ(m_game->GetStateMachine().GetCurrentState(), "StartTrack1State");
    EXPECT_EQ(m_game->GetSelectedCharacter(), 1u);
}

TEST_F(GameToolsTest, WindowMessagesReachThePlacementEditor) {
    auto world = std::make_shared<tktest::CEditorWorld>();
    m_env.m_events.AddListener(world, velm::WildcardEventType());
    m_env.AddModel("SpeedRampModelData", tktest::GraphicSection());
    kelvo::CLevelEditor& editor = common::CSingleton<kelvo::CLevelEditor>::Instance();
    editor.SetWorld(world.get());
    ASSERT_TRUE(editor.AddObject("ramp"));
    editor.MoveModels("true");
    const std::uint32_t id = editor.GetModels().back().m_modelId;
    EXPECT_EQ(m_game->MsgProc(0x100, 0x25, 0), 0);
    EXPECT_EQ(m_game->MsgProc(0x101, 0x25, 0), 0);
    EXPECT_NEAR(world->FindModel(id)->GetPosition().x, 1.05f, 1e-6f);
    m_env.m_events.DelListenerAll(world);
}

TEST_F(GameToolsTest, PlacedParticleSystemsAreTheRegistrysAndSkippedOnceItDeletesThem) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    if (source == nullptr) {
        GTEST_SKIP() << "TK_SOURCE_DIR is not set";
    }
    const std::string xml = std::string(source) + "/data/files/xmlfiles/";
    velm::gfx::CParticleSysRegistry& registry = velm::gfx::ParticleSysRegistry::Instance();
    registry.Init(xml + "particle_sys_table.xml", xml + "particle_sys/");
    kelvo::CLevelEditor& editor = common::CSingleton<kelvo::CLevelEditor>::Instance();
    ASSERT_TRUE(editor.AddObject("splash"));
    ASSERT_EQ(registry.GetSystems().size(), 1u);
    velm::gfx::CParticleSystem* system = registry.GetSystems().front();
    const common::CVector3 eye = m_game->GetCamera()->GetEye();
    EXPECT_EQ(system->GetPosX(), eye.x);
    editor.MovePartSys("true");
    m_game->MsgProc(0x100, 0x26, 0);
    EXPECT_NEAR(system->GetPosY(), eye.y + 0.05f, 1e-5f);
    std::ostringstream written;
    editor.WritePlacement(written);
    EXPECT_NE(written.str().find("<Type>splash</Type>"), std::string::npos);

    registry.DestroyAllSystems();
    m_game->MsgProc(0x100, 0x26, 0);
    std::ostringstream after;
    editor.WritePlacement(after);
    EXPECT_EQ(after.str(), "");
    velm::gfx::ParticleSysRegistry::Destroy();
    velm::gfx::TextureCache::Destroy();
}

TEST_F(GameToolsTest, ThePickedModelTakesTheManipulatorKeysUntilTheGameGoes) {
    auto* model = new tktest::CPlacedModel(700);
    m_game->AddObject(model, nullptr, nullptr);
    velm::CPicker& picker = common::CSingleton<velm::CPicker>::Instance();
    const velm::input::SInputEvent keyI = Record(23, 0);
    EXPECT_FALSE(kelvo::OfferToolsInput(keyI));
    picker.SetEnabled(true);
    picker.Select(700);
    EXPECT_TRUE(kelvo::OfferToolsInput(keyI));
    EXPECT_FALSE(kelvo::OfferToolsInput(Record(23, 0x80)));
    EXPECT_NEAR(model->GetPosition().x, 0.4f, 1e-6f);
    // A mouse click picks without consuming: the record goes on.
    EXPECT_FALSE(kelvo::OfferToolsInput(Record(velm::input::MOUSE_BUTTON_0, 0)));

    m_game.reset();
    EXPECT_EQ(picker.GetSelected(), nullptr);
    Run("ToggleDebugInfo()");
    EXPECT_EQ(m_console.back(), "ToggleDebugInfo: the game cannot do this yet");
}

} // namespace
