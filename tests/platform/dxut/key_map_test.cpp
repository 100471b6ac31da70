#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/dxut/key_map.h"

namespace {

struct SKeyCase {
    SDL_Keycode key;
    SDL_Scancode scancode;
    WPARAM virtualKey;
    BYTE scanCode;
    bool extended;
};

TEST(KeyMap, SdlKeysBecomeVirtualKeysAndScanCodes) {
    const SKeyCase cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 'A', 0x1E, false},
        {SDLK_z, SDL_SCANCODE_Z, 'Z', 0x2C, false},
        {SDLK_0, SDL_SCANCODE_0, '0', 0x0B, false},
        {SDLK_7, SDL_SCANCODE_7, '7', 0x08, false},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
        {SDLK_UP, SDL_SCANCODE_UP, VK_UP, 0x48, true},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
        {SDLK_F1, SDL_SCANCODE_F1, VK_F1, 0x3B, false},
        {SDLK_F10, SDL_SCANCODE_F10, 0x79, 0x44, false},
        {SDLK_F12, SDL_SCANCODE_F12, VK_F12, 0x58, false},
        {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
        {SDLK_HOME, SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
        {SDLK_END, SDL_SCANCODE_END, VK_END, 0x4F, true},
        {SDLK_COMMA, SDL_SCANCODE_COMMA, 0xBC, 0x33, false},
        {SDLK_PERIOD, SDL_SCANCODE_PERIOD, 0xBE, 0x34, false},
        {SDLK_KP_0, SDL_SCANCODE_KP_0, VK_NUMPAD0, 0x52, false},
        {SDLK_KP_9, SDL_SCANCODE_KP_9, 0x69, 0x49, false},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
        {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
        {SDLK_TAB, SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
        {SDLK_RCTRL, SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
        {SDLK_LALT, SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
        // A layout that puts a letter elsewhere: the letter decides the virtual key.
        {SDLK_q, SDL_SCANCODE_A, 'Q', 0x1E, false},
        // A layout with a symbol on a letter position keeps the position's letter.
        {SDLK_SEMICOLON, SDL_SCANCODE_M, 'M', 0x32, false},
        // Known by position for DirectInput, carried by no key message.
        {SDLK_PRINTSCREEN, SDL_SCANCODE_PRINTSCREEN, 0, 0x37, true},
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0, 0, false},
    };
    for (const SKeyCase& c : cases) {
        const platform::SKeyCode code = platform::KeyCodeFromSdl(c.key, c.scancode);
        EXPECT_EQ(code.virtualKey, c.virtualKey) << SDL_GetScancodeName(c.scancode);
        EXPECT_EQ(code.scanCode, c.scanCode) << SDL_GetScancodeName(c.scancode);
        EXPECT_EQ(code.extended, c.extended) << SDL_GetScancodeName(c.scancode);
    }
}

TEST(KeyMap, KeyMessageLParamBits) {
    const platform::SKeyCode left{VK_LEFT, 0x4B, true};
    EXPECT_EQ(platform::KeyMessageLParam(left, false, false, false), 0x014B0001);
    EXPECT_EQ(platform::KeyMessageLParam(left, false, true, false), 0x414B0001);
    EXPECT_EQ(platform::KeyMessageLParam(left, true, false, false), static_cast<LPARAM>(0xC14B0001u));
    const platform::SKeyCode enter{VK_RETURN, 0x1C, false};
    EXPECT_EQ(platform::KeyMessageLParam(enter, false, false, true), 0x201C0001);
}

} // namespace
