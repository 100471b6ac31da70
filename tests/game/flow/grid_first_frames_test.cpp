// The first frames of a start grid as the renderer draws them at the shipped window size, on each
// road into it: a single player's OK, a host's Start and a client's Start_Race_Evt. The frame that
// enters the grid shows the loading picture (the camera still looks at the line-up or the menu's
// river then); the first frame without it shows the grid behind this machine's racer, with the
// race clock at zero and the speed in the HUD's one unit, in the first race of the run and in the
// later ones, whose clocks once went on from the race before.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/object_id.h"
#include "engine/events/event_manager.h"
#include "game/content/content_fixtures.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/flow/start_grid.h"
#include "game/flow/tumbo_kelvo_listener.h"
#include "game/ui/character_selection.h"
#include "game/ui/start_menu.h"
#include "game/ui/start_race_gui.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "running_game.h"

namespace {

// Mean absolute difference of the colour channels (0-255) over a sparse grid of pixels.
double Difference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) {
        return 255.0;
    }
    double sum = 0.0;
    std::size_t count = 0;
    for (std::size_t i = 0; i + 4 <= a.size(); i += 4 * 97) {
        for (std::size_t c = 0; c < 3; ++c) {
            sum += std::abs(static_cast<int>(a[i + c]) - static_cast<int>(b[i + c]));
            ++count;
        }
    }
    return sum / static_cast<double>(count);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct SRoad {
    const char* m_name;
    bool m_networked;
    bool m_host;
};

// The single player's road comes first and last: the last race's grid follows three others.
const SRoad kRoads[] = {
    {"single player", false, false},
    {"host", true, true},
    {"client", true, false},
    {"single player again", false, false},
};

constexpr double kSamePicture = 2.0;
constexpr double kNotThePicture = 20.0;
constexpr int kCountdownFrames = 600;

TEST(GridFirstFramesTest, EachRoadOpensOnTheLoadingPictureThenTheGridWithTheClockAtZero) {
    tktest::CRunningGame run("gl");
    if (!run.DrawsWithOpenGl()) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
    kelvo::CTumboKelvoGame& game = run.Game();
    ASSERT_TRUE(run.StepUntil("LoadingScreenState", 5));
    const std::vector<std::uint8_t> picture = run.Draw();
    kelvo::TumboKelvoGameHUD* hud = game.GetHUD();
    ASSERT_NE(hud, nullptr);
    const char* shots = std::getenv("TK_SCREEN_SHOTS");
    auto shot = [shots](const SRoad& road, const char* what) {
        return shots != nullptr ? std::string(shots) + "/" + what + "_" + road.m_name + ".png" : std::string();
    };

    for (const SRoad& road : kRoads) {
        SCOPED_TRACE(road.m_name);
        ASSERT_TRUE(run.StepUntil("MenuState", 3000));
        game.SetNetworkedFlag(road.m_networked);
        game.SetHostFlag(road.m_host);
        game.ClearRaceLineUp();
        if (road.m_host) {
            game.AddToRaceLineUp({0, 2});
            game.AddToRaceLineUp({0, 3});
        }
        if (!road.m_networked) {
            // Single Player and OK on the monkey, each once its camera move is over.
            run.Step(150);
            ASSERT_TRUE(tktest::ClickScreenButton(game, game.GetStartMenu(), kelvo::CStartMenu::kSinglePlayer));
            ASSERT_TRUE(run.StepUntil("CharSelState", 10));
            run.Step(150);
            ASSERT_TRUE(tktest::ClickScreenButton(game, game.GetCharacterSelection(), kelvo::CCharacterSelection::kOk));
        } else {
            // The host's word that the race starts, heard as the networking switch hears it.
            velm::GetEventManager()->AddListener(game.GetEventListener(), velm::CEventType("Start_Race_Evt"));
            // A host with no client left starts the countdown by the event its clients hear too.
            velm::GetEventManager()->AddListener(game.GetEventListener(), velm::CEventType("Begin_Count_Down_Evt"));
            velm::QueueEvent(std::make_shared<kelvo::CStartTrack1Evt>());
        }
        run.Step();
        ASSERT_EQ(game.GetStateMachine().GetCurrentState(), "StartTrack1State");
        EXPECT_LT(Difference(run.Draw(shot(road, "entered")), picture), kSamePicture)
            << "the frame that enters the grid shows the loading picture";

        run.Step();
        if (!road.m_networked || road.m_host) {
            EXPECT_TRUE(game.GetStartRaceGUI()->IsActive()) << "the countdown runs from the grid's start";
        } else {
            // A client has nothing to show until the host's racer for it arrives.
            EXPECT_LT(Difference(run.Draw(), picture), kSamePicture) << "a client without its racer";
            run.Step(10);
            EXPECT_LT(Difference(run.Draw(), picture), kSamePicture) << "a client without its racer";
            velm::TriggerEvent(kelvo::CCreateRacerEvt(kelvo::CharacterModelKey(4), velm::NewObjectID(), 0, 1, 0, 0, 4,
                                                      kelvo::HostGridPosition(0)));
            run.Step();
        }
        const std::vector<std::uint8_t> grid = run.Draw(shot(road, "grid"));
        EXPECT_GT(Difference(grid, picture), kNotThePicture) << "the grid's first frame shows the grid";
        if (game.GetLocalRacerModel() != nullptr) {
            EXPECT_EQ(game.GetRaceCamera()->GetFollowedModel(), game.GetLocalRacerModel())
                << "the camera stands behind this machine's racer";
        } else {
            EXPECT_TRUE(road.m_host) << "only the host's line-up of computers has no racer of this machine";
        }
        EXPECT_EQ(hud->GetClockText(), L"00:00:00") << "the grid's first frame";
        EXPECT_EQ(hud->GetSpeedText(), "0 km/h");

        // Half a second on, the flag waves and "Ready" has not come yet.
        run.Step(30);
        run.Draw();
        EXPECT_EQ(hud->GetClockText(), L"00:00:00") << "the grid before the countdown's Ready";
        EXPECT_TRUE(EndsWith(hud->GetSpeedText(), " km/h")) << hud->GetSpeedText();

        if (!road.m_networked || road.m_host) {
            ASSERT_TRUE(run.StepUntil("RacingState", kCountdownFrames));
            run.Step(90);
            run.Draw();
            EXPECT_NE(hud->GetClockText(), L"00:00:00") << "the race clock runs from Go";
            EXPECT_TRUE(EndsWith(hud->GetSpeedText(), " km/h")) << hud->GetSpeedText();
        }
        game.ResetRace();
        game.SetNetworkedFlag(false);
        game.SetHostFlag(false);
        game.ClearRaceLineUp();
    }
}

} // namespace
