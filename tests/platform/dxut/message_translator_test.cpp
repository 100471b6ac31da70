#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>

#include "platform/dxut/message_translator.h"

namespace {

using platform::SMessage;

SDL_Event Key(Uint32 type, SDL_Keycode key, SDL_Scancode scancode, Uint16 mod, Uint8 repeat = 0) {
    SDL_Event event;
    SDL_zero(event);
    event.type = type;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    event.key.repeat = repeat;
    return event;
}

SDL_Event Button(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1) {
    SDL_Event event;
    SDL_zero(event);
    event.type = type;
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    event.button.clicks = clicks;
    return event;
}

std::vector<SMessage> Translate(platform::CMessageTranslator& translator, const SDL_Event& event) {
    std::vector<SMessage> out;
    translator.Translate(event, out);
    return out;
}

TEST(MessageTranslator, KeysBecomeKeyOrSystemKeyMessages) {
    struct SCase {
        Uint32 type;
        SDL_Keycode key;
        SDL_Scancode scancode;
        Uint16 mod;
        UINT message;
        WPARAM virtualKey;
    };
    const SCase cases[] = {
        {SDL_KEYDOWN, SDLK_F5, SDL_SCANCODE_F5, KMOD_NONE, WM_KEYDOWN, VK_F1 + 4},
        {SDL_KEYUP, SDLK_F5, SDL_SCANCODE_F5, KMOD_NONE, WM_KEYUP, VK_F1 + 4},
        {SDL_KEYDOWN, SDLK_x, SDL_SCANCODE_X, KMOD_LSHIFT, WM_KEYDOWN, 'X'},
        {SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT, WM_SYSKEYDOWN, VK_F1 + 3},
        {SDL_KEYUP, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT, WM_SYSKEYUP, VK_F1 + 3},
        {SDL_KEYDOWN, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT, WM_SYSKEYDOWN, VK_MENU},
        {SDL_KEYUP, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_NONE, WM_SYSKEYUP, VK_MENU},
        {SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q, KMOD_RALT | KMOD_LCTRL, WM_KEYDOWN, 'Q'},
    };
    for (const SCase& c : cases) {
        platform::CMessageTranslator translator;
        const auto out = Translate(translator, Key(c.type, c.key, c.scancode, c.mod));
        ASSERT_EQ(out.size(), 1u) << SDL_GetKeyName(c.key);
        EXPECT_EQ(out[0].message, c.message) << SDL_GetKeyName(c.key);
        EXPECT_EQ(out[0].wParam, c.virtualKey) << SDL_GetKeyName(c.key);
        EXPECT_EQ((out[0].lParam >> 31) & 1, c.type == SDL_KEYUP ? 1 : 0);
    }
}

TEST(MessageTranslator, ControlKeysAlsoGiveCharacters) {
    platform::CMessageTranslator translator;
    const auto out = Translate(translator, Key(SDL_KEYDOWN, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_NONE));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].message, WM_CHAR);
    EXPECT_EQ(out[1].wParam, VK_BACK);
}

TEST(MessageTranslator, TextBecomesOneCharacterPerUtf16Unit) {
    platform::CMessageTranslator translator;
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_TEXTINPUT;
    std::strcpy(event.text.text, "a\xC3\xA9\xF0\x9F\x98\x80"); // a, e acute, U+1F600
    const auto out = Translate(translator, event);
    ASSERT_EQ(out.size(), 4u);
    const WPARAM expected[] = {'a', 0xE9, 0xD83D, 0xDE00};
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i].message, WM_CHAR);
        EXPECT_EQ(out[i].wParam, expected[i]);
    }
}

// Ill-formed bytes follow the platform's one rule: U+FFFD each, the text after them kept.
TEST(MessageTranslator, IllFormedTextBecomesReplacementCharacters) {
    platform::CMessageTranslator translator;
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_TEXTINPUT;
    std::strcpy(event.text.text, "a\xFF\xE2\x82z");
    const auto out = Translate(translator, event);
    ASSERT_EQ(out.size(), 4u);
    const WPARAM expected[] = {'a', 0xFFFD, 0xFFFD, 'z'};
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i].wParam, expected[i]) << i;
    }
}

TEST(MessageTranslator, MouseMessagesCarryPositionAndHeldButtons) {
    platform::CMessageTranslator translator;
    Translate(translator, Key(SDL_KEYDOWN, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL));
    auto out = Translate(translator, Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(out[0].wParam, MK_LBUTTON | MK_CONTROL);
    EXPECT_EQ(out[0].lParam, MAKELPARAM(10, 20));

    SDL_Event motion;
    SDL_zero(motion);
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 300;
    motion.motion.y = 200;
    out = Translate(translator, motion);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(out[0].wParam, MK_LBUTTON | MK_CONTROL);
    EXPECT_EQ(GET_X_LPARAM(out[0].lParam), 300);
    EXPECT_EQ(GET_Y_LPARAM(out[0].lParam), 200);

    out = Translate(translator, Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 300, 200));
    EXPECT_EQ(out[0].message, WM_LBUTTONUP);
    EXPECT_EQ(out[0].wParam, MK_CONTROL);
    out = Translate(translator, Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 2, 2));
    EXPECT_EQ(out[0].message, WM_RBUTTONDBLCLK);
    out = Translate(translator, Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 2));
    EXPECT_EQ(out[0].message, WM_MBUTTONDOWN);
    EXPECT_EQ(out[0].wParam, MK_RBUTTON | MK_MBUTTON | MK_CONTROL);
}

TEST(MessageTranslator, WheelNotchesAreSignedMultiplesOfWheelDelta) {
    platform::CMessageTranslator translator;
    SDL_Event wheel;
    SDL_zero(wheel);
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    const auto out = Translate(translator, wheel);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, WM_MOUSEWHEEL);
    EXPECT_EQ(static_cast<short>(HIWORD(static_cast<DWORD>(out[0].wParam))), -240);
}

TEST(MessageTranslator, CloseRequestsBecomeWmClose) {
    platform::CMessageTranslator translator;
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    auto out = Translate(translator, event);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, WM_CLOSE);
    event.type = SDL_QUIT;
    out = Translate(translator, event);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, WM_CLOSE);
}

} // namespace
