// The start menu on the shipped layout at 800 x 600: the click box's inclusive edges, which
// buttons show and react after each click, the roads and the quit.
#include "game/ui/start_menu.h"

#include <gtest/gtest.h>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/texture_cache.h"
#include "game/ui/point_in_button.h"
#include "support/damaged_file.h"
#include "support/temp_dir.h"
#include "ui_fixtures.h"

namespace {

using kelvo::CStartMenu;

class StartMenuTest : public ::testing::Test {
protected:
    void SetUp() override { velm::gfx::GFXCore::Instance().SetScreenSize(800, 600); }
    void TearDown() override {
        velm::gfx::TextureCache::Destroy();
        velm::gfx::GFXCore::Destroy();
    }
    // Which of the six buttons show, in id order.
    static std::vector<bool> Shown(const CStartMenu& menu) {
        std::vector<bool> shown;
        for (int id = CStartMenu::kSinglePlayer; id <= CStartMenu::kCredits; ++id) {
            const velm::gfx::CButton* button = tktest::Child(menu, id);
            shown.push_back(button->IsVisible() && button->IsEnabled());
        }
        return shown;
    }

    tktest::CTestScreenHost m_host;
};

TEST_F(StartMenuTest, TheClickBoxHoldsBothFarEdgesAndNothingBeforeTheCorner) {
    const kelvo::CPointInButton box(20, 10);
    const POINT corner = {100, 50};
    struct SCase {
        int x, y;
        bool inside;
    };
    for (const SCase& c : std::vector<SCase>{{100, 50, true},
                                             {120, 60, true},
                                             {120, 50, true},
                                             {110, 60, true},
                                             {121, 55, false},
                                             {110, 61, false},
                                             {99, 55, false},
                                             {110, 49, false}}) {
        m_host.MoveCursor(c.x, c.y);
        EXPECT_EQ(box(corner), c.inside) << c.x << "," << c.y;
    }
    m_host.m_cursor.Show(false);
    m_host.MoveCursor(110, 55);
    EXPECT_FALSE(box(corner)) << "without a cursor nothing is inside";
}

TEST_F(StartMenuTest, ButtonsShowAndReactByGroupAfterEachClick) {
    CStartMenu menu(tktest::SourceFile("data/files/xmlfiles/StartMenu.xml"));
    ASSERT_EQ(menu.GetChildren().size(), 7u);
    const velm::gfx::CButton* single = tktest::Child(menu, CStartMenu::kSinglePlayer);
    EXPECT_EQ(single->GetX(), 48);
    EXPECT_EQ(single->GetY(), 228);
    EXPECT_EQ(single->GetWidth(), 260);
    EXPECT_EQ(Shown(menu), std::vector<bool>(6, false));
    EXPECT_TRUE(tktest::Child(menu, CStartMenu::kGameName)->IsVisible());
    // Nothing reacts before the menu state activates the main buttons.
    EXPECT_FALSE(tktest::ClickChild(m_host, menu, CStartMenu::kSinglePlayer));
    EXPECT_FALSE(menu.IsPlaySelected());

    menu.SetMainButtonsActive(true);
    const std::vector<bool> mainOnly = {true, true, false, false, true, true};
    EXPECT_EQ(Shown(menu), mainOnly);
    EXPECT_TRUE(tktest::ClickChild(m_host, menu, CStartMenu::kMultiPlayer));
    EXPECT_EQ(Shown(menu), std::vector<bool>(6, true));
    // A press no button takes closes the pair again.
    EXPECT_FALSE(tktest::ClickAt(m_host, menu, 790, 590));
    EXPECT_EQ(Shown(menu), mainOnly);
    EXPECT_FALSE(menu.IsPlaySelected());

    tktest::ClickChild(m_host, menu, CStartMenu::kMultiPlayer);
    EXPECT_TRUE(tktest::ClickChild(m_host, menu, CStartMenu::kJoinGame));
    EXPECT_EQ(Shown(menu), std::vector<bool>(6, true)) << "Join takes the press before anything hides";
    EXPECT_TRUE(menu.IsPlaySelected());
    EXPECT_TRUE(menu.IsNetworkRoad());
    EXPECT_FALSE(menu.IsHost());
    tktest::ClickChild(m_host, menu, CStartMenu::kHostGame);
    EXPECT_TRUE(menu.IsNetworkRoad());
    EXPECT_TRUE(menu.IsHost());
    // The last road wins.
    tktest::ClickChild(m_host, menu, CStartMenu::kSinglePlayer);
    EXPECT_TRUE(menu.IsPlaySelected());
    EXPECT_FALSE(menu.IsNetworkRoad());
    EXPECT_FALSE(menu.IsHost());

    EXPECT_FALSE(menu.IsCreditsSelected());
    tktest::ClickChild(m_host, menu, CStartMenu::kCredits);
    EXPECT_TRUE(menu.IsCreditsSelected());
    EXPECT_EQ(m_host.m_quits, 0);
    tktest::ClickChild(m_host, menu, CStartMenu::kExit);
    EXPECT_EQ(m_host.m_quits, 1);
    // The title never acts.
    tktest::ClickChild(m_host, menu, CStartMenu::kGameName);
    EXPECT_EQ(m_host.m_quits, 1);
}

TEST_F(StartMenuTest, AMissingOrMangledLayoutGivesTheShippedButtonsThatLeadOn) {
    tktest::CTempDir dir;
    const std::string mangled =
        dir.Write("StartMenu.xml",
                  "<StartMenu>\n<SinglePlayerButton>\n<FileName>none.png</FileName>\n"
                  "<OffsetX>abc</OffsetX>\n<BBWidth>-40</BBWidth>\n<BBHeight>99999999</BBHeight>\n"
                  "</SinglePlayerButton>\n");
    std::vector<std::string> files = {mangled};
    for (const tktest::SDamage& damage : tktest::kDamages) {
        files.push_back(dir.Path() + "/" + damage.what + ".xml");
        tktest::Damage(files.back(), damage);
    }
    for (const std::string& file : files) {
        ::testing::internal::CaptureStderr();
        CStartMenu menu(file);
        const std::string errors = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find(file + ": "), std::string::npos) << errors;
        ASSERT_EQ(menu.GetChildren().size(), 7u) << file;
        menu.SetMainButtonsActive(true);
        // The shipped single-player button: 260 x 52 at 6% and 38% of the screen.
        const velm::gfx::CButton* single = tktest::Child(menu, CStartMenu::kSinglePlayer);
        EXPECT_EQ(single->GetWidth(), 260) << file;
        EXPECT_EQ(single->GetHeight(), 52) << file;
        EXPECT_EQ(single->GetX(), 48) << file;
        EXPECT_EQ(single->GetY(), 228) << file;
        EXPECT_TRUE(tktest::ClickChild(m_host, menu, CStartMenu::kSinglePlayer)) << file;
        EXPECT_TRUE(menu.IsPlaySelected()) << file;
        EXPECT_TRUE(tktest::ClickChild(m_host, menu, CStartMenu::kExit)) << file;
        EXPECT_EQ(m_host.m_quits, 1) << file;
        m_host.m_quits = 0;
    }
}

// What the player gets from a layout with hostile numbers: every refused number said with the file
// and the field, and taken as shipped, so every button stands where the cursor reaches it.
TEST_F(StartMenuTest, HostileNumbersAreSaidAndEveryButtonStaysWhereTheCursorReaches) {
    const std::string file = tktest::SourceFile("tests/game/ui/data/StartMenu_hostile.xml");
    ::testing::internal::CaptureStderr();
    CStartMenu menu(file);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    for (const char* line :
         {": OffsetX \"nan\" is not a number from 0 to 1; using 0.06 as shipped", ": OffsetX \"1e10\"",
          ": OffsetX \"-inf\"", ": OffsetY \"inf\" is not a number from 0 to 1; using 0.71 as shipped",
          ": BBWidth \"99999999999\" is not a whole number from 1 to 16384; using 260 as shipped"}) {
        EXPECT_NE(errors.find(file + line), std::string::npos) << line << "\n" << errors;
    }
    menu.SetMainButtonsActive(true);
    for (int id = CStartMenu::kSinglePlayer; id <= CStartMenu::kCredits; ++id) {
        const velm::gfx::CButton* button = tktest::Child(menu, id);
        EXPECT_GE(button->GetX(), 0) << id;
        EXPECT_LT(button->GetX(), 800) << id;
        EXPECT_GE(button->GetY(), 0) << id;
        EXPECT_LT(button->GetY(), 600) << id;
    }
    EXPECT_TRUE(tktest::ClickChild(m_host, menu, CStartMenu::kMultiPlayer));
    EXPECT_TRUE(tktest::ClickChild(m_host, menu, CStartMenu::kSinglePlayer));
    EXPECT_TRUE(menu.IsPlaySelected());
    const velm::gfx::CButton* exit = tktest::Child(menu, CStartMenu::kExit);
    EXPECT_EQ(exit->GetX(), 48);
    EXPECT_EQ(exit->GetY(), 426);
    EXPECT_EQ(exit->GetWidth(), 260);
    EXPECT_TRUE(tktest::ClickChild(m_host, menu, CStartMenu::kExit));
    EXPECT_EQ(m_host.m_quits, 1) << "the exit button, as shipped, quits";
}

} // namespace
