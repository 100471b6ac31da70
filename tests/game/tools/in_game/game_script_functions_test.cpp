#include "game/tools/game_script_functions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/tools/console_sink.h"
#include "game/tools/script_functions.h"
#include "game/world/in_game/world_fixtures.h"
#include "libs/common/script_manager.h"

namespace {

class CFakeGame : public kelvo::IScriptGame {
public:
    bool ToggleDebugInfo() override { return m_debug = !m_debug; }
    void SetServer(bool on) override { m_server = on; }
    bool IsServer() const override { return m_server; }
    void SetNetworked(bool on) override { m_networked = on; }
    bool IsNetworked() const override { return m_networked; }
    void StartGame() override { ++m_starts; }
    bool m_debug = false;
    bool m_server = false;
    bool m_networked = false;
    int m_starts = 0;
};

class GameScriptFunctionsTest : public ::testing::Test {
protected:
    GameScriptFunctionsTest() {
        kelvo::SetConsoleSink([this](const std::string& line) { m_console.push_back(line); });
        kelvo::RegisterScriptFunctions();
    }
    ~GameScriptFunctionsTest() override {
        kelvo::SetConsoleSink(nullptr);
        kelvo::SetScriptGame(nullptr);
    }
    void Run(const std::string& text) { ASSERT_TRUE(m_host.RunString(text.c_str())) << text; }
    bool Bool(const char* name) { return m_host.GetGlobalBool(name); }

    tktest::CRaceFixture m_race;
    common::CScriptManager& m_host = *common::CScriptManager::GetInstance();
    std::vector<std::string> m_console;
};

TEST_F(GameScriptFunctionsTest, GiveItemGivesOnlyIconItemsToARacerWithNone) {
    // A character-selection model is a racer model outside the race: never listed, never given.
    m_race.AddRacer(39, 1, kelvo::CONTROL_LOCAL_PLAYER, -3.0f, true, false);
    kelvo::CRacerModel* player = m_race.AddRacer(40, 2, kelvo::CONTROL_LOCAL_PLAYER);
    kelvo::CRacerModel* other = m_race.AddRacer(41, 4, kelvo::CONTROL_LOCAL_OTHER, 3.0f, false);
    other->SetHeldItemType(7);
    Run("mine = GiveItem('mine', 0) held = GiveItem('shark', 41) generic = GiveItem('genitem', 0) "
        "nobody = GiveItem('mine', 77) word = GiveItem('castle', 0) bad = GiveItem(0) "
        "negative = GiveItem('mine', -40) huge = GiveItem('mine', 1e300) lineup = GiveItem('bait', 39)");
    EXPECT_TRUE(Bool("mine"));
    for (const char* name : {"held", "generic", "nobody", "word", "bad", "negative", "huge", "lineup"}) {
        EXPECT_FALSE(Bool(name)) << name;
    }
    EXPECT_EQ(m_console, std::vector<std::string>{"GiveItem: expected (string, number)"});
    m_race.m_events.Tick(-1);
    EXPECT_EQ(m_race.m_log->Count("Create_Item_Event"), 1);
    player->SetHeldItemType(14);
    Run("again = GiveItem('shark', 0)");
    EXPECT_FALSE(Bool("again")) << "the player's racer holds an item; the line-up's model is no one's";

    Run("PrintRacerIDs()");
    EXPECT_EQ(m_console.back(), "40 bear<----- YOU\n41 fish\n");
}

TEST_F(GameScriptFunctionsTest, GameSwitchesPrintTheirStateOrSayTheyCannotYet) {
    Run("ToggleDebugInfo()");
    EXPECT_EQ(m_console, std::vector<std::string>{"ToggleDebugInfo: the game cannot do this yet"});
    CFakeGame game;
    kelvo::SetScriptGame(&game);
    m_console.clear();
    Run("ToggleDebugInfo() SetServer(true) SetNetworking(false) Start() SetServer() ConsoleWrite('hello')");
    EXPECT_TRUE(game.m_debug);
    EXPECT_TRUE(game.m_server);
    EXPECT_EQ(game.m_starts, 1);
    EXPECT_EQ(m_console,
              (std::vector<std::string>{"Debug Info ON", "Changing Server to TRUE", "Changing Networked to FALSE",
                                        "Game is NOT Networked", "Game is a Server", "Starting Game, Please Wait . . .",
                                        "SetServer: expected (bool)", "hello"}));
}

} // namespace
