#include "platform/dinput/dinput.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

class DirectInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        void* created = nullptr;
        ASSERT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8, &created, nullptr), DI_OK);
        m_input = static_cast<IDirectInput8*>(created);
        ASSERT_EQ(m_input->CreateDevice(GUID_SysKeyboard, &m_keyboard, nullptr), DI_OK);
        ASSERT_EQ(m_input->CreateDevice(GUID_SysMouse, &m_mouse, nullptr), DI_OK);
        ASSERT_EQ(m_keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
        ASSERT_EQ(m_mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
        SetBuffer(m_keyboard, 4);
        SetBuffer(m_mouse, 4);
    }
    void TearDown() override {
        m_keyboard->Release();
        m_mouse->Release();
        m_input->Release();
    }
    static void SetBuffer(IDirectInputDevice8* device, DWORD size) {
        DIPROPDWORD property{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, size};
        ASSERT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);
    }
    static std::vector<DIDEVICEOBJECTDATA> Drain(IDirectInputDevice8* device, HRESULT* result = nullptr) {
        DIDEVICEOBJECTDATA data[16];
        DWORD count = 16;
        const HRESULT got = device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0);
        if (result != nullptr) {
            *result = got;
        }
        return std::vector<DIDEVICEOBJECTDATA>(data, data + (SUCCEEDED(got) ? count : 0));
    }
    static void Send(Uint32 type, SDL_Scancode scancode) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.scancode = scancode;
        platform::DirectInputHandleSdlEvent(event);
    }
    static void Motion(int dx, int dy) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.xrel = dx;
        event.motion.yrel = dy;
        platform::DirectInputHandleSdlEvent(event);
    }

    IDirectInput8* m_input = nullptr;
    IDirectInputDevice8* m_keyboard = nullptr;
    IDirectInputDevice8* m_mouse = nullptr;
};

TEST(DirectInputKeyMapTest, KeysMapToScanCodes) {
    const struct {
        SDL_Scancode sdl;
        DWORD dik;
    } cases[] = {
        {SDL_SCANCODE_ESCAPE, 1},
        {SDL_SCANCODE_1, 2},
        {SDL_SCANCODE_Q, 16},
        {SDL_SCANCODE_RETURN, 28},
        {SDL_SCANCODE_A, 30},
        {SDL_SCANCODE_GRAVE, 41},
        {SDL_SCANCODE_SPACE, 57},
        {SDL_SCANCODE_KP_5, 76},
        {SDL_SCANCODE_KP_7, 71},
        {SDL_SCANCODE_UP, 200},
        {SDL_SCANCODE_LEFT, 203},
        {SDL_SCANCODE_RIGHT, 205},
        {SDL_SCANCODE_DOWN, 208},
        {SDL_SCANCODE_F1, 59},
        {SDL_SCANCODE_U, 22},
        {SDL_SCANCODE_L, 38},
        {SDL_SCANCODE_INSERT, 242},
        {SDL_SCANCODE_DELETE, 243},
        {SDL_SCANCODE_LGUI, 251},
        {SDL_SCANCODE_RGUI, 252},
        // Extended keys, and the two that key messages and DirectInput number differently.
        {SDL_SCANCODE_KP_ENTER, 0x9C},
        {SDL_SCANCODE_RCTRL, 0x9D},
        {SDL_SCANCODE_RALT, 0xB8},
        {SDL_SCANCODE_KP_DIVIDE, 0xB5},
        {SDL_SCANCODE_PRINTSCREEN, 0xB7},
        {SDL_SCANCODE_APPLICATION, 0xDD},
        {SDL_SCANCODE_PAUSE, 0xC5},
        {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
        {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
        {SDL_SCANCODE_NONUSHASH, 0x2B},
        {SDL_SCANCODE_F11, 0x57},
        {SDL_SCANCODE_UNKNOWN, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::DirectInputKeyFromSdl(c.sdl), c.dik) << SDL_GetScancodeName(c.sdl);
    }
    EXPECT_EQ(platform::DirectInputKeyFromSdl(-1), 0u);
    EXPECT_EQ(platform::DirectInputKeyFromSdl(SDL_NUM_SCANCODES), 0u);
}

TEST(DirectInputKeyMapTest, NoKeyLandsOnTheMouseCodes) {
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const DWORD code = platform::DirectInputKeyFromSdl(scancode);
        EXPECT_FALSE(code >= 210 && code <= 220) << "scancode " << scancode << " gives " << code;
        EXPECT_LE(code, 252u);
    }
}

TEST_F(DirectInputTest, UnacquiredDevicesSeeNothing) {
    Send(SDL_KEYDOWN, SDL_SCANCODE_A);
    HRESULT result = DI_OK;
    EXPECT_TRUE(Drain(m_keyboard, &result).empty());
    EXPECT_EQ(result, DIERR_NOTACQUIRED);
}

TEST_F(DirectInputTest, KeyChangesAreBufferedWithTheDownBit) {
    ASSERT_EQ(m_keyboard->Acquire(), DI_OK);
    Send(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
    SDL_Event repeat{};
    repeat.type = SDL_KEYDOWN;
    repeat.key.repeat = 1;
    repeat.key.keysym.scancode = SDL_SCANCODE_LEFT;
    platform::DirectInputHandleSdlEvent(repeat);
    Send(SDL_KEYUP, SDL_SCANCODE_LEFT);
    const std::vector<DIDEVICEOBJECTDATA> data = Drain(m_keyboard);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[0].dwOfs, DIK_LEFT);
    EXPECT_EQ(data[0].dwData & 0x80u, 0x80u);
    EXPECT_EQ(data[1].dwData & 0x80u, 0u);
    EXPECT_LT(data[0].dwSequence, data[1].dwSequence);
}

TEST_F(DirectInputTest, AFullBufferKeepsTheOldestAndReportsTheOverflow) {
    ASSERT_EQ(m_keyboard->Acquire(), DI_OK);
    const SDL_Scancode keys[] = {SDL_SCANCODE_A, SDL_SCANCODE_B, SDL_SCANCODE_C, SDL_SCANCODE_D, SDL_SCANCODE_E};
    for (SDL_Scancode key : keys) {
        Send(SDL_KEYDOWN, key);
    }
    HRESULT result = DI_OK;
    const std::vector<DIDEVICEOBJECTDATA> data = Drain(m_keyboard, &result);
    EXPECT_EQ(result, DI_BUFFEROVERFLOW);
    ASSERT_EQ(data.size(), 4u);
    EXPECT_EQ(data[0].dwOfs, DIK_A);
    EXPECT_EQ(data[3].dwOfs, DIK_D);
}

TEST_F(DirectInputTest, RunsOfOneAxisMergeSoButtonsFitTheBuffer) {
    ASSERT_EQ(m_mouse->Acquire(), DI_OK);
    for (int i = 0; i < 10; ++i) {
        Motion(3, 0);
    }
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    platform::DirectInputHandleSdlEvent(click);
    Motion(0, -2);
    const std::vector<DIDEVICEOBJECTDATA> data = Drain(m_mouse);
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[0].dwOfs, DIMOFS_X);
    EXPECT_EQ(static_cast<LONG>(data[0].dwData), 30);
    EXPECT_EQ(data[1].dwOfs, DIMOFS_BUTTON0);
    EXPECT_EQ(data[1].dwData & 0x80u, 0x80u);
    EXPECT_EQ(data[2].dwOfs, DIMOFS_Y);
    EXPECT_EQ(static_cast<LONG>(data[2].dwData), -2);
}

TEST_F(DirectInputTest, StatesReportKeysAndMovementSinceTheLastRead) {
    ASSERT_EQ(m_keyboard->Acquire(), DI_OK);
    ASSERT_EQ(m_mouse->Acquire(), DI_OK);
    Send(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
    Motion(4, 1);
    BYTE keys[256] = {};
    ASSERT_EQ(m_keyboard->GetDeviceState(sizeof(keys), keys), DI_OK);
    EXPECT_EQ(keys[DIK_SPACE], 0x80);
    DIMOUSESTATE state{};
    ASSERT_EQ(m_mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 4);
    ASSERT_EQ(m_mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(m_mouse->GetDeviceState(8, &state), DIERR_INVALIDPARAM);
}

// Two injected lines of "wheel 10000000" once overflowed the wheel's sum.
TEST_F(DirectInputTest, ExtremeMovementSaturatesInsteadOfWrapping) {
    ASSERT_EQ(m_mouse->Acquire(), DI_OK);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 10000000;
    platform::DirectInputHandleSdlEvent(wheel);
    platform::DirectInputHandleSdlEvent(wheel);
    Motion(INT_MIN, 0);
    Motion(INT_MIN, 0);
    DIMOUSESTATE state{};
    ASSERT_EQ(m_mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lZ, INT_MAX);
    EXPECT_EQ(state.lX, INT_MIN);
    const std::vector<DIDEVICEOBJECTDATA> data = Drain(m_mouse);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(static_cast<LONG>(data[0].dwData), INT_MAX);
    EXPECT_EQ(static_cast<LONG>(data[1].dwData), INT_MIN);
}

TEST_F(DirectInputTest, BadCallsAreRefused) {
    EXPECT_EQ(m_keyboard->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(m_keyboard->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
    IDirectInputDevice8* unknown = nullptr;
    const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(m_input->CreateDevice(other, &unknown, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(unknown, nullptr);
    void* created = nullptr;
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8, &created, nullptr), DIERR_INVALIDPARAM);
}

} // namespace
