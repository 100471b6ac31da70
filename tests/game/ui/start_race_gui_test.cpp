// The start-race countdown: its stages, pictures, sounds and race clock for a given delay, zero
// delay, long frames and a restart in the middle.
#include "game/ui/start_race_gui.h"

#include <gtest/gtest.h>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/texture_cache.h"
#include "support/temp_dir.h"
#include "ui_fixtures.h"

namespace {

using kelvo::CStartRaceGUI;

class StartRaceGUITest : public ::testing::Test {
protected:
    void SetUp() override { velm::gfx::GFXCore::Instance().SetScreenSize(800, 600); }
    void TearDown() override {
        velm::gfx::TextureCache::Destroy();
        velm::gfx::GFXCore::Destroy();
    }
    std::unique_ptr<CStartRaceGUI> Make(const std::string& delay) {
        std::string text = "<StartRaceInit>\n<TimeDelay>" + delay +
                           "</TimeDelay>\n<InitScale>0.75</InitScale>\n<EndScale>0.5</EndScale>\n"
                           "<FlagScale>2</FlagScale>\n<flag>\n<FileName>flag.png</FileName>\n<OffsetX>0.5</OffsetX>\n"
                           "<OffsetY>0.1</OffsetY>\n<Width>64</Width>\n<Height>32</Height>\n<Frames>4</Frames>\n"
                           "<FrameRate>100</FrameRate>\n</flag>\n";
        for (const char* name : {"Ready", "Go", "Three", "Two", "One"}) {
            text += std::string("<") + name + ">\n<FileName>" + name + ".png</FileName>\n<OffsetX>0.25</OffsetX>\n" +
                    "<OffsetY>0.5</OffsetY>\n<Width>100</Width>\n<Height>50</Height>\n</" + name + ">\n";
        }
        text += "</StartRaceInit>\n";
        ::testing::internal::CaptureStderr();
        auto screen = std::make_unique<CStartRaceGUI>(m_dir.Write("StartRaceInit.xml", text));
        ::testing::internal::GetCapturedStderr();
        return screen;
    }
    // The ids of the shown pictures.
    static std::vector<int> Showing(const CStartRaceGUI& screen) {
        std::vector<int> ids;
        for (const auto& [id, child] : screen.GetChildren()) {
            if (child->IsVisible()) {
                ids.push_back(id);
            }
        }
        return ids;
    }

    tktest::CTempDir m_dir;
    tktest::CTestScreenHost m_host;
};

TEST_F(StartRaceGUITest, EachDelayBringsTheNextPictureAndSoundAndGoStartsTheClock) {
    auto screen = Make("1.0");
    EXPECT_FLOAT_EQ(screen->GetTimeDelay(), 1.0f);
    EXPECT_FLOAT_EQ(screen->GetEndScale(), 0.5f);
    EXPECT_EQ(Showing(*screen), std::vector<int>{});
    screen->Update(5000);
    EXPECT_FALSE(screen->IsActive()) << "nothing runs before StartCountdown";
    EXPECT_TRUE(m_host.m_sounds.empty());
    const auto* flag = tktest::Child(*screen, CStartRaceGUI::kFlag);
    EXPECT_EQ(flag->GetX(), 400);
    EXPECT_EQ(flag->GetY(), 60);

    screen->StartCountdown();
    struct SStep {
        unsigned ms;
        int stage;
        std::vector<int> shown;
        bool done;
    };
    const std::vector<SStep> steps = {
        {7000, 1, {1}, false}, // the first update arms the flag at once, whatever its length
        {500, 1, {1}, false},     {500, 2, {1, 2}, false},  {750, 2, {1, 2}, false},
        {250, 3, {1, 3}, false},  {2500, 4, {1, 4}, false}, // one stage per frame, the surplus dropped
        {1000, 5, {1, 5}, false}, {1000, 6, {6}, true},     {1000, 7, {}, true},
    };
    for (const SStep& step : steps) {
        screen->Update(step.ms);
        EXPECT_EQ(screen->GetStage(), step.stage) << step.ms;
        EXPECT_EQ(Showing(*screen), step.shown) << "stage " << step.stage;
        EXPECT_EQ(screen->IsDone(), step.done) << "stage " << step.stage;
    }
    EXPECT_EQ(m_host.m_sounds, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_FALSE(screen->IsActive());
    // The clock is held at zero on each frame of "Ready" and started once at "Go".
    EXPECT_EQ(m_host.m_clockResets, 2);
    EXPECT_EQ(m_host.m_clockStarts, 1);
    screen->Update(1000);
    EXPECT_EQ(screen->GetStage(), 7);
}

TEST_F(StartRaceGUITest, ZeroDelayTakesOneStagePerFrameAndARestartGoesBackToTheFlag) {
    auto screen = Make("0");
    screen->StartCountdown();
    std::vector<int> stages;
    for (int frame = 0; frame < 7; ++frame) {
        screen->Update(16);
        stages.push_back(screen->GetStage());
        if (frame == 5) {
            EXPECT_TRUE(screen->IsDone()) << "Go on the sixth update";
            EXPECT_EQ(Showing(*screen), std::vector<int>{6});
        }
    }
    EXPECT_EQ(stages, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Showing(*screen), std::vector<int>{});

    // Restarted while "Two" shows: it stays until the next update shows the flag alone.
    auto again = Make("1");
    again->StartCountdown();
    for (unsigned ms : {16u, 1000u, 1000u, 1000u}) {
        again->Update(ms);
    }
    ASSERT_EQ(again->GetStage(), CStartRaceGUI::kTwo);
    again->StartCountdown();
    EXPECT_FALSE(again->IsDone());
    EXPECT_EQ(Showing(*again), (std::vector<int>{1, 4}));
    again->Update(16);
    EXPECT_EQ(again->GetStage(), CStartRaceGUI::kFlag);
    EXPECT_EQ(Showing(*again), std::vector<int>{1});
}

} // namespace
