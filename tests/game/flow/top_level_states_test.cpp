// The top-level flow: the roads of a first run and of a run after a race reset, the menus waiting
// for their camera move, the screens' input, the race's music and river on leaving, and the start grid.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/core_fakes.h"
#include "engine/core/sound.h"
#include "engine/gfx/button.h"
#include "engine/gfx/cursor.h"
#include "engine/phy/rigid_body.h"
#include "game/content/content_fixtures.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/flow/start_grid.h"
#include "game/flow/top_level_state.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/character_selection.h"
#include "game/ui/credits.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/start_menu.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/world/race_rank_tracker.h"
#include "game/world/racer_model.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "libs/common/script_manager.h"
#include "platform/dinput/dik_codes.h"
#include "platform/fmod/fmod.h"

namespace {

constexpr float kStep = 1.0f / 60.0f;

std::vector<std::string> StatesIn(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> states;
    std::string line;
    // Lines of other kinds have other lengths.
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string frame;
        std::string kind;
        std::string name;
        if (fields >> frame >> kind >> name && kind == "state") {
            states.push_back(name);
        }
    }
    return states;
}

class TopLevelFlowTest : public ::testing::Test {
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
    // Steps frames until the named state is current, for at most `seconds` of game time.
    bool RunUntil(const std::string& state, double seconds = 10.0) {
        return tktest::RunGameUntil(*m_game, m_time, state, seconds);
    }
    std::string Current() const { return m_game->GetStateMachine().GetCurrentState(); }
    std::size_t Count(const std::string& type) {
        std::size_t count = 0;
        for (const auto& seen : m_env.Seen()) {
            count += seen.m_type == type;
        }
        return count;
    }
    bool Click(velm::gfx::CBaseGUI* screen, int id) { return tktest::ClickScreenButton(*m_game, screen, id); }

    tktest::CFlowEnvironment m_env;
    std::string m_tracePath;
    std::unique_ptr<kelvo::CTumboKelvoGame> m_game;
    double m_time = 0.0;
};

TEST_F(TopLevelFlowTest, FirstRunGoesThroughTheSplashToTheRaceAndAResetSkipsLevelAndSplash) {
    ASSERT_TRUE(RunUntil("NorvaleSplashState"));
    const double splashStart = m_time;
    ASSERT_TRUE(RunUntil("MenuState"));
    EXPECT_GT(m_time - splashStart, kelvo::kSplashSeconds);

    // The menu takes no choice while its camera moves.
    ASSERT_NE(m_game->GetStartMenu(), nullptr);
    m_game->Update(m_time, kStep);
    EXPECT_FALSE(Click(m_game->GetStartMenu(), kelvo::CStartMenu::kSinglePlayer));
    RunUntil("never", 2.5);
    EXPECT_TRUE(Click(m_game->GetStartMenu(), kelvo::CStartMenu::kSinglePlayer));
    ASSERT_TRUE(RunUntil("CharSelState", 3.0));
    EXPECT_EQ(m_game->GetStartMenu(), nullptr);
    ASSERT_NE(m_game->GetCharacterSelection(), nullptr);
    EXPECT_FALSE(m_game->GetCharacterSelection()->IsNetworkRoad());

    RunUntil("never", 2.5);
    EXPECT_TRUE(Click(m_game->GetCharacterSelection(), kelvo::CCharacterSelection::kLeft));
    RunUntil("never", 1.1);
    EXPECT_TRUE(Click(m_game->GetCharacterSelection(), kelvo::CCharacterSelection::kOk));
    ASSERT_TRUE(RunUntil("StartTrack1State", 1.0));
    EXPECT_EQ(m_game->GetSelectedCharacter(), 2u);
    EXPECT_EQ(m_game->GetCurrentTrack(), 1u);
    EXPECT_FALSE(m_game->GetControllersTakeInput());
    EXPECT_TRUE(m_game->IsRaceFogOn()) << "the race starts in thick fog";
    ASSERT_TRUE(RunUntil("RacingState", 6.0));
    EXPECT_TRUE(m_game->GetControllersTakeInput());

    const std::size_t loadsBefore = [&] {
        std::size_t count = 0;
        for (const auto& seen : m_env.Seen()) {
            count += seen.m_type == "Load_Level";
        }
        return count;
    }();
    EXPECT_EQ(loadsBefore, 1u);

    m_game->ResetRace();
    EXPECT_EQ(m_game->GetCurrentTrack(), 0u);
    EXPECT_FALSE(m_game->IsRaceFogOn());
    ASSERT_TRUE(RunUntil("MenuState", 1.0));
    std::size_t loads = 0;
    for (const auto& seen : m_env.Seen()) {
        loads += seen.m_type == "Load_Level";
    }
    EXPECT_EQ(loads, 1u);

    const std::vector<std::string> expected = {"InitState",          "LoadingScreenState", "Loading1State",
                                               "NorvaleSplashState", "MenuState",          "CharSelState",
                                               "StartTrack1State",   "RacingState",        "LoadingScreenState",
                                               "Loading1State",      "MenuState"};
    EXPECT_EQ(StatesIn(m_tracePath), expected);
}

TEST_F(TopLevelFlowTest, ButtonsAndKeysDriveTheMenusCreditsAndBack) {
    ASSERT_TRUE(RunUntil("MenuState"));
    RunUntil("never", 2.5);
    velm::input::SInputEvent key{DIK_C, 0, 0, 0};
    EXPECT_FALSE(m_game->GetStartMenu()->HandleInput(key)) << "the menu takes clicks only";
    EXPECT_TRUE(Click(m_game->GetStartMenu(), kelvo::CStartMenu::kCredits));
    ASSERT_TRUE(RunUntil("CreditsState", 1.0));
    m_game->Update(m_time, kStep);
    EXPECT_FALSE(m_game->GetCredits()->IsBackPressed());
    kelvo::CButtonCreditsBack{*m_game->GetCredits()}();
    ASSERT_TRUE(RunUntil("MenuState", 1.0));
    EXPECT_EQ(m_game->GetCredits(), nullptr);
}

TEST_F(TopLevelFlowTest, AResetTakesTheRaceDownAndLeavesOnlyTheStartUpScreensBehind) {
    ASSERT_TRUE(RunUntil("MenuState"));
    RunUntil("never", 2.5);
    ASSERT_TRUE(Click(m_game->GetStartMenu(), kelvo::CStartMenu::kSinglePlayer));
    ASSERT_TRUE(RunUntil("CharSelState", 1.0));
    RunUntil("never", 2.5);
    ASSERT_TRUE(Click(m_game->GetCharacterSelection(), kelvo::CCharacterSelection::kOk));
    ASSERT_TRUE(RunUntil("StartTrack1State", 1.0));
    EXPECT_TRUE(m_game->GetInGameMenu()->IsEnabled());
    auto* racer = new kelvo::CRacerModel(std::make_shared<velm::phy::CRigidBody>(), 900);
    m_game->AddObject(racer, nullptr, nullptr);
    m_game->AddRacerId(900);
    m_game->SetLocalRacer(900, racer);
    m_game->GetRaceRankTracker()->AddRacer(900);
    m_game->GetInGameMenu()->Show(true);
    // An item event still queued at the reset never arrives.
    velm::QueueEvent(std::make_shared<kelvo::CFireItemEvt>(900));
    const std::size_t firesBefore = Count("Fire_Item_Event");

    m_game->ResetRace();
    EXPECT_EQ(Current(), "LoadingScreenState");
    EXPECT_EQ(m_game->FindModel(900), nullptr);
    EXPECT_TRUE(m_game->GetRacerIds().empty());
    EXPECT_EQ(m_game->GetLocalRacerModel(), nullptr);
    EXPECT_EQ(m_game->GetRaceRankTracker()->GetEntries().size(), 0u);
    EXPECT_FALSE(m_game->GetInGameMenu()->IsShown());
    EXPECT_FALSE(m_game->GetInGameMenu()->IsEnabled());
    const kelvo::CTumboKelvoCamera& camera = *m_game->GetRaceCamera();
    EXPECT_FLOAT_EQ(camera.GetRadius(), 7.07106f);
    EXPECT_FLOAT_EQ(camera.GetTarget().z, 505.655f);

    ASSERT_TRUE(RunUntil("MenuState", 1.0));
    m_game->Update(m_time, kStep);
    EXPECT_EQ(Count("Fire_Item_Event"), firesBefore);
    std::vector<int> ids;
    for (const velm::gfx::IScreenUnit* unit : m_game->GetScreens().GetDrawList()) {
        for (int id = 0; id < 13; ++id) {
            if (m_game->GetScreens().GetScreen(id) == unit) {
                ids.push_back(id);
            }
        }
    }
    // Console, HUD, start menu, cursor, countdown, end of race, in-game menu, victory.
    EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3, 6, 7, 8, 9}));
    EXPECT_FALSE(m_game->GetHUD()->IsVisible());
}

// An application whose sound system plays the data tree's sounds; the game under test is made
// beside it.
class CSoundingApp : public velm::CVelmApp {
public:
    CSoundingApp() {
        velm::SDataPaths paths;
        const char* source = std::getenv("TK_SOURCE_DIR");
        paths.m_sounds = std::string(source != nullptr ? source : ".") + "/data/sounds/";
        SetDataPaths(paths);
    }
    velm::CVelmGame* CreateGame() override { return new tktest::CStubGame(); }
};

class RaceSoundsTest : public tktest::CAppSuite<CSoundingApp> {
protected:
    void SetUp() override {
        CAppSuite::SetUp();
        m_raceGame = std::make_unique<kelvo::CTumboKelvoGame>();
        m_raceGame->Init();
    }
    void TearDown() override { m_raceGame.reset(); }
    bool RunUntil(const std::string& state, double seconds) {
        return tktest::RunGameUntil(*m_raceGame, m_time, state, seconds);
    }
    bool Click(velm::gfx::CBaseGUI* screen, int id) { return tktest::ClickScreenButton(*m_raceGame, screen, id); }
    // Into a single-player race from the menu.
    void Race() {
        ASSERT_TRUE(RunUntil("MenuState", 10.0));
        RunUntil("never", 2.5);
        ASSERT_TRUE(Click(m_raceGame->GetStartMenu(), kelvo::CStartMenu::kSinglePlayer));
        ASSERT_TRUE(RunUntil("CharSelState", 1.0));
        RunUntil("never", 2.5);
        ASSERT_TRUE(Click(m_raceGame->GetCharacterSelection(), kelvo::CCharacterSelection::kOk));
        ASSERT_TRUE(RunUntil("RacingState", 10.0));
    }
    static bool Paused(const velm::CSound* sound) {
        FMOD_BOOL paused = 0;
        FMOD_Channel_getPaused(sound->GetChannel(), &paused);
        return paused != 0;
    }
    velm::CSound* Sound(kelvo::CTumboKelvoGame::ESound sound) const { return m_raceGame->GetSound(sound); }

    tktest::CFlowEnvironment m_env;
    std::unique_ptr<kelvo::CTumboKelvoGame> m_raceGame;
    double m_time = 0.0;
};

TEST_F(RaceSoundsTest, LeavingARacePausesItsMusicAndEndsTheRiverAndTheNextRacePlaysThemAgain) {
    velm::CSound* music = Sound(kelvo::CTumboKelvoGame::kRaceMusic);
    velm::CSound* river = Sound(kelvo::CTumboKelvoGame::kRiver);
    ASSERT_NE(music, nullptr);
    ASSERT_NE(river, nullptr);
    for (int race = 0; race < 2; ++race) {
        Race();
        EXPECT_TRUE(music->IsPlaying()) << race;
        EXPECT_FALSE(Paused(music)) << race;
        EXPECT_TRUE(river->IsPlaying()) << race;
        m_raceGame->ResetRace();
        EXPECT_TRUE(music->IsPlaying()) << "paused, not stopped, in race " << race;
        EXPECT_TRUE(Paused(music)) << race;
        EXPECT_FALSE(river->IsPlaying()) << race;
    }
}

TEST(StartGridTest, RowsSkipTheHumansCharacterAndAZeroRowCountIsOneRow) {
    const common::CVector3 start(10.0f, 2.0f, 100.0f);
    struct SCase {
        int m_perRow;
        std::uint32_t m_selected;
        std::vector<std::uint32_t> m_characters;
        std::vector<std::pair<float, float>> m_xz;
    };
    const std::vector<SCase> cases = {
        // Three to a row, the bear's place left empty.
        {3, 2, {1, 3, 4, 5, 6}, {{11, 100}, {13, 100}, {11, 105}, {12, 105}, {13, 105}}},
        // No row count: one row for the whole field.
        {0, 1, {2, 3, 4, 5, 6}, {{12, 100}, {13, 100}, {14, 100}, {15, 100}, {16, 100}}},
        {-4, 0, {1, 2, 3, 4, 5, 6}, {{11, 100}, {12, 100}, {13, 100}, {14, 100}, {15, 100}, {16, 100}}},
    };
    for (const SCase& test : cases) {
        const auto slots = kelvo::BuildStartGrid(start, 1.0f, 5.0f, test.m_perRow, 6, test.m_selected);
        ASSERT_EQ(slots.size(), test.m_characters.size()) << test.m_perRow;
        for (std::size_t index = 0; index < slots.size(); ++index) {
            EXPECT_EQ(slots[index].m_character, test.m_characters[index]);
            EXPECT_FLOAT_EQ(slots[index].m_position.x, test.m_xz[index].first);
            EXPECT_FLOAT_EQ(slots[index].m_position.y, 2.0f);
            EXPECT_FLOAT_EQ(slots[index].m_position.z, test.m_xz[index].second);
        }
    }
    EXPECT_TRUE(kelvo::BuildStartGrid(start, 1.0f, 5.0f, 3, 0, 0).empty());
    EXPECT_EQ(kelvo::CharacterModelKey(6), "MovideStarModelData");
    EXPECT_EQ(kelvo::CharacterModelKey(7), "");
}

TEST(StartGridTest, HostileGlobalsAreRefusedWithALineAndTheGridStaysOnePerCharacter) {
    common::CScriptManager script;
    ASSERT_TRUE(
        script.RunString("STAGE1_X = 0/0 STAGE1_Y = 39.5 STAGE1_Z = math.huge STAGE1_RACER_DX = 1e10 "
                         "STAGE1_RACER_DZ = 2.5 STAGE1_RACERS_PER_ROW = 3 NUM_RACERS = 1e9"));
    std::ostringstream errors;
    const kelvo::SStartGridSettings settings = kelvo::ReadStartGridSettings(script, errors);
    EXPECT_EQ(settings.m_start, common::CVector3(0.0f, 39.5f, 0.0f));
    EXPECT_EQ(settings.m_dx, 0.0f);
    EXPECT_EQ(settings.m_dz, 2.5f);
    EXPECT_EQ(settings.m_perRow, 3);
    EXPECT_EQ(settings.m_racers, kelvo::kMostRacers);
    for (const char* line :
         {"Scripts/StartGame.LUA: script global STAGE1_X \"", "Scripts/StartGame.LUA: script global STAGE1_Z \"inf\"",
          "Scripts/StartGame.LUA: script global STAGE1_RACER_DX \"1e+10\"",
          "Scripts/StartGame.LUA: script global NUM_RACERS \"1e+09\" is not a whole number from 0 to 6; using 6"}) {
        EXPECT_NE(errors.str().find(line), std::string::npos) << errors.str();
    }
    EXPECT_EQ(
        kelvo::BuildStartGrid(settings.m_start, settings.m_dx, settings.m_dz, settings.m_perRow, settings.m_racers, 2)
            .size(),
        5u);

    ASSERT_TRUE(script.RunString("NUM_RACERS = -3"));
    EXPECT_EQ(kelvo::ReadStartGridSettings(script, errors).m_racers, kelvo::kMostRacers);
    ASSERT_TRUE(script.RunString("NUM_RACERS = nil STAGE1_X = nil STAGE1_Z = nil STAGE1_RACER_DX = nil"));
    std::ostringstream quiet;
    EXPECT_EQ(kelvo::ReadStartGridSettings(script, quiet).m_racers, 0) << "a missing count is no computer racers";
    EXPECT_EQ(quiet.str(), "");
}

} // namespace
