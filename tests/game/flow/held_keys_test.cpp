// Keys the player holds through the countdown, through the input device stand-in into the
// shipped game: the controllers take no input until the race starts, and then must act on every
// key that is down, the later pressed of two winning, and on none that was let go.
#include <SDL.h>
#include <gtest/gtest.h>

#include "engine/core/input_system.h"
#include "game/content/content_fixtures.h"
#include "game/ui/character_selection.h"
#include "game/ui/start_menu.h"
#include "game/ui/start_race_gui.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/racer_states.h"
#include "level_fixture.h"
#include "platform/dinput/dinput.h"

namespace {

constexpr float kStep = 1.0f / 60.0f;

class HeldKeysTest : public tktest::CShippedGameTest {
protected:
    void SetUp() override {
        CShippedGameTest::SetUp();
        velm::input::SInputInitInfo info;
        info.m_keyboardBufferSize = 20;
        info.m_mouseBufferSize = 20;
        ASSERT_TRUE(m_input.Init(info, nullptr, nullptr));
        m_game->SetInputForTest(&m_input);
    }
    void TearDown() override {
        m_game->SetInputForTest(nullptr);
        m_input.Shutdown();
        CShippedGameTest::TearDown();
    }
    static void Key(bool down, SDL_Scancode scancode) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.keysym.scancode = scancode;
        platform::DirectInputHandleSdlEvent(event);
    }
    void Step() {
        m_game->Update(m_time, kStep);
        m_time += kStep;
    }
    bool RunUntil(const std::string& state, double seconds) {
        return tktest::RunGameUntil(*m_game, m_time, state, seconds);
    }
    std::string Current() const { return m_game->GetStateMachine().GetCurrentState(); }

    velm::input::CInputSystem m_input;
    double m_time = 0.0;
};

TEST_F(HeldKeysTest, KeysHeldThroughTheCountdownOrPressedOnItsLastFrameDriveFromTheStart) {
    ASSERT_TRUE(RunUntil("MenuState", 10.0));
    RunUntil("never", 2.5);
    ASSERT_TRUE(tktest::ClickScreenButton(*m_game, m_game->GetStartMenu(), kelvo::CStartMenu::kSinglePlayer));
    ASSERT_TRUE(RunUntil("CharSelState", 1.0));
    RunUntil("never", 2.5);
    ASSERT_TRUE(tktest::ClickScreenButton(*m_game, m_game->GetCharacterSelection(), kelvo::CCharacterSelection::kOk));
    ASSERT_TRUE(RunUntil("StartTrack1State", 1.0));
    auto* racer = dynamic_cast<kelvo::CRacerModel*>(m_game->GetLocalRacerModel());
    ASSERT_NE(racer, nullptr);
    kelvo::CRacerController* controller = racer->GetRacerController();
    ASSERT_NE(controller, nullptr);

    // Right and fire go down during the countdown and stay down; left is tapped and let go.
    Key(true, SDL_SCANCODE_RIGHT);
    Key(true, SDL_SCANCODE_SPACE);
    Key(true, SDL_SCANCODE_LEFT);
    Step();
    Key(false, SDL_SCANCODE_LEFT);
    Step();
    kelvo::CStartRaceGUI* countdown = m_game->GetStartRaceGUI();
    ASSERT_NE(countdown, nullptr);
    for (int frame = 0; frame < 600 && !countdown->IsDone(); ++frame) {
        Step();
    }
    ASSERT_EQ(Current(), "StartTrack1State");
    EXPECT_FALSE(controller->IsPaddling()) << "no driving before the start";
    // Up goes down on the frame that lets the racers go.
    Key(true, SDL_SCANCODE_UP);
    Step();
    ASSERT_EQ(Current(), "RacingState");
    EXPECT_EQ(controller->GetStateName(), kelvo::kFireWeaponStateName) << "space is down";
    Step();
    EXPECT_TRUE(controller->IsPaddling());
    // Left, pressed later than right, was let go: up and right steer.
    const common::CVector3 rightDiagonal = (controller->GetForward() + controller->GetOppositeSide()).GetNormalized();
    const common::CVector3 desired = controller->GetDesiredDirection();
    EXPECT_NEAR(desired.x, rightDiagonal.x, 1e-5f);
    EXPECT_NEAR(desired.z, rightDiagonal.z, 1e-5f);

    // Once they take input again, what was handed over stays handed over.
    Key(false, SDL_SCANCODE_RIGHT);
    Key(false, SDL_SCANCODE_UP);
    Step();
    Step();
    EXPECT_FALSE(controller->IsPaddling());
}

} // namespace
