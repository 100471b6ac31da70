#include "engine/core/input_system.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/dinput/dinput.h"

namespace {

using velm::input::SInputEvent;

SDL_Event Key(bool down, SDL_Scancode scancode) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.scancode = scancode;
    return event;
}

velm::input::SInputInitInfo GameSettings() {
    velm::input::SInputInitInfo info;
    info.m_buffered = true;
    info.m_keyboardBufferSize = 20;
    info.m_mouseBufferSize = 20;
    info.m_thirdBufferSize = 20;
    return info;
}

std::vector<SInputEvent> PopAll(velm::input::CInputSystem& input) {
    std::vector<SInputEvent> events;
    SInputEvent event;
    while (input.PopInputEvent(event)) {
        events.push_back(event);
    }
    return events;
}

class InputSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_input.Init(GameSettings(), nullptr, nullptr)); }
    velm::input::CInputSystem m_input;
};

TEST_F(InputSystemTest, APressAndReleaseInOneFrameGiveTwoRecordsInOrder) {
    platform::DirectInputHandleSdlEvent(Key(true, SDL_SCANCODE_A));
    platform::DirectInputHandleSdlEvent(Key(false, SDL_SCANCODE_A));
    m_input.Update();
    const std::vector<SInputEvent> events = PopAll(m_input);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].m_code, 30u);
    EXPECT_EQ(events[0].m_value, 0u);
    EXPECT_EQ(events[1].m_code, 30u);
    EXPECT_EQ(events[1].m_value, 1u);
    EXPECT_TRUE(velm::input::IsNewer(events[1], events[0]));
}

TEST_F(InputSystemTest, MouseMovesAndWheelKeepTheirRawValues) {
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.xrel = 5;
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -1;
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_RIGHT;
    platform::DirectInputHandleSdlEvent(move);
    platform::DirectInputHandleSdlEvent(wheel);
    platform::DirectInputHandleSdlEvent(click);
    m_input.Update();
    const std::vector<SInputEvent> events = PopAll(m_input);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].m_code, 218u);
    EXPECT_EQ(static_cast<std::int32_t>(events[0].m_value), 5);
    EXPECT_EQ(events[1].m_code, 220u);
    EXPECT_EQ(static_cast<std::int32_t>(events[1].m_value), -120);
    EXPECT_EQ(events[2].m_code, 211u);
    EXPECT_EQ(events[2].m_value, 0u);
}

TEST_F(InputSystemTest, PopOnAnEmptyQueueLeavesTheRecordAlone) {
    m_input.Update();
    SInputEvent event{9, 8, 7, 6};
    EXPECT_FALSE(m_input.PopInputEvent(event));
    EXPECT_EQ(event.m_code, 9u);
    EXPECT_EQ(event.m_sequence, 6u);
}

TEST(InputHelpersTest, ScanCodeToAsciiFollowsTheUsLayout) {
    const struct {
        std::uint32_t code;
        std::uint32_t value;
        std::uint32_t ascii;
    } cases[] = {
        {16, 0, 'q'}, {16, 1, 0},   {28, 0, 0},   {2, 0, '1'},  {11, 0, '0'}, {12, 0, '-'},  {14, 0, 8},   {15, 0, 9},
        {26, 0, '['}, {30, 0, 'a'}, {39, 0, ';'}, {41, 0, '`'}, {42, 0, 0},   {43, 0, '\\'}, {44, 0, 'z'}, {53, 0, '/'},
        {54, 0, 0},   {55, 0, '*'}, {56, 0, 0},   {57, 0, ' '}, {1, 0, 0},    {58, 0, 0},    {218, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(velm::input::ScanCodeToAscii(SInputEvent{c.code, c.value, 0, 0}), c.ascii) << "code " << c.code;
    }
}

TEST(InputHelpersTest, ButtonCodesExcludeTheAxes) {
    const struct {
        std::uint32_t code;
        bool button;
    } cases[] = {{0, false},   {1, true},    {209, true}, {212, true}, {217, true}, {218, false},
                 {219, false}, {220, false}, {221, true}, {252, true}, {253, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(velm::input::IsButtonCode(c.code), c.button) << "code " << c.code;
    }
}

TEST(InputHelpersTest, NewerWorksAcrossTheWrap) {
    EXPECT_TRUE(velm::input::IsNewer(SInputEvent{0, 0, 0, 2}, SInputEvent{0, 0, 0, 0xFFFFFFFFu}));
    EXPECT_FALSE(velm::input::IsNewer(SInputEvent{0, 0, 0, 0xFFFFFFFFu}, SInputEvent{0, 0, 0, 2}));
    EXPECT_FALSE(velm::input::IsNewer(SInputEvent{0, 0, 0, 5}, SInputEvent{0, 0, 0, 5}));
}

TEST(InputSystemFailureTest, ADeviceThatCannotBeOpenedFailsStartUpCleanly) {
    for (const GUID* missing : {&GUID_SysKeyboard, &GUID_SysMouse}) {
        platform::SetDirectInputUnavailableDevice(missing);
        velm::input::CInputSystem input;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(input.Init(GameSettings(), nullptr, nullptr));
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_NE(printed.find(missing == &GUID_SysKeyboard ? "keyboard" : "mouse"), std::string::npos) << printed;
        // Nothing is read and nothing is held afterwards.
        platform::DirectInputHandleSdlEvent(Key(true, SDL_SCANCODE_A));
        input.Update();
        SInputEvent event;
        EXPECT_FALSE(input.PopInputEvent(event));
        platform::SetDirectInputUnavailableDevice(nullptr);
    }
    velm::input::CInputSystem input;
    EXPECT_TRUE(input.Init(GameSettings(), nullptr, nullptr));
}

TEST(InputSystemImmediateTest, ImmediateModeQueuesNothing) {
    velm::input::SInputInitInfo info = GameSettings();
    info.m_buffered = false;
    velm::input::CInputSystem input;
    ASSERT_TRUE(input.Init(info, nullptr, nullptr));
    platform::DirectInputHandleSdlEvent(Key(true, SDL_SCANCODE_SPACE));
    input.Update();
    SInputEvent event;
    EXPECT_FALSE(input.PopInputEvent(event));
}

} // namespace
