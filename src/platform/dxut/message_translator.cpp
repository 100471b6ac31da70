#include "platform/dxut/message_translator.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>

#include "platform/dxut/key_map.h"
#include "platform/win32/utf8.h"

namespace platform {
namespace {

void Post(std::vector<SMessage>& out, UINT message, WPARAM wParam, LPARAM lParam) {
    out.push_back(SMessage{message, wParam, lParam});
}

// Control characters that TranslateMessage produces from key presses and SDL's text input does not.
WPARAM ControlCharacter(WPARAM virtualKey) {
    switch (virtualKey) {
        case VK_BACK:
        case VK_TAB:
        case VK_RETURN:
        case VK_ESCAPE:
            return virtualKey;
        default:
            return 0;
    }
}

} // namespace

WPARAM CMessageTranslator::MouseKeyState() const {
    WPARAM state = m_buttons;
    if ((m_modifiers & KMOD_SHIFT) != 0) {
        state |= MK_SHIFT;
    }
    if ((m_modifiers & KMOD_CTRL) != 0) {
        state |= MK_CONTROL;
    }
    return state;
}

void CMessageTranslator::Translate(const SDL_Event& event, std::vector<SMessage>& out) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKey(event, out);
            break;
        case SDL_TEXTINPUT: {
            const char* text = event.text.text;
            std::size_t length = 0;
            while (length < SDL_TEXTINPUTEVENT_TEXT_SIZE && text[length] != '\0') {
                ++length;
            }
            for (std::size_t at = 0; at < length;) {
                const SUtf8Step step = DecodeUtf8(text + at, length - at);
                const char32_t codePoint = step.codePoint;
                at += step.length;
                if (codePoint >= 0x10000) {
                    const char32_t offset = codePoint - 0x10000;
                    Post(out, WM_CHAR, 0xD800 + (offset >> 10), 1);
                    Post(out, WM_CHAR, 0xDC00 + (offset & 0x3FF), 1);
                } else {
                    Post(out, WM_CHAR, codePoint, 1);
                }
            }
            break;
        }
        case SDL_MOUSEMOTION:
            m_mouseX = event.motion.x;
            m_mouseY = event.motion.y;
            Post(out, WM_MOUSEMOVE, MouseKeyState(), MAKELPARAM(m_mouseX, m_mouseY));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            TranslateButton(event, out);
            break;
        case SDL_MOUSEWHEEL: {
            // The message carries a signed 16-bit delta: a larger turn is the largest that fits, in
            // whole notches, and never wraps round to the other direction.
            constexpr int kMostNotches = INT16_MAX / WHEEL_DELTA;
            int notches = std::clamp(event.wheel.y, -kMostNotches, kMostNotches);
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
                notches = -notches;
            }
            if (notches != 0) {
                const auto delta = static_cast<WORD>(static_cast<std::int16_t>(notches * WHEEL_DELTA));
                Post(out, WM_MOUSEWHEEL, (MouseKeyState() & 0xFFFFu) | (static_cast<WPARAM>(delta) << 16),
                     MAKELPARAM(m_mouseX, m_mouseY));
            }
            break;
        }
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                Post(out, WM_CLOSE, 0, 0);
            } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                Post(out, WM_SIZE, SIZE_RESTORED, MAKELPARAM(event.window.data1, event.window.data2));
            }
            break;
        case SDL_QUIT:
            // The system asks the program to end (last window closed, interrupt): as closing the window.
            Post(out, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

void CMessageTranslator::TranslateKey(const SDL_Event& event, std::vector<SMessage>& out) {
    const SDL_Keysym& keysym = event.key.keysym;
    m_modifiers = keysym.mod;
    const SKeyCode code = KeyCodeFromSdl(keysym.sym, keysym.scancode);
    if (code.virtualKey == 0) {
        return;
    }
    const bool keyUp = event.type == SDL_KEYUP;
    const bool isAlt = code.virtualKey == VK_MENU;
    // Alt makes system keys unless Ctrl is held too (Ctrl+Alt is AltGr on many layouts).
    const bool altDown = ((keysym.mod & KMOD_ALT) != 0 || isAlt) && (keysym.mod & KMOD_CTRL) == 0;
    const UINT message = altDown ? (keyUp ? WM_SYSKEYUP : WM_SYSKEYDOWN) : (keyUp ? WM_KEYUP : WM_KEYDOWN);
    Post(out, message, code.virtualKey, KeyMessageLParam(code, keyUp, event.key.repeat != 0, altDown));
    const WPARAM control = ControlCharacter(code.virtualKey);
    if (!keyUp && !altDown && control != 0) {
        Post(out, WM_CHAR, control, KeyMessageLParam(code, false, event.key.repeat != 0, false));
    }
}

void CMessageTranslator::TranslateButton(const SDL_Event& event, std::vector<SMessage>& out) {
    WPARAM bit = 0;
    UINT down = 0;
    switch (event.button.button) {
        case SDL_BUTTON_LEFT:
            bit = MK_LBUTTON;
            down = WM_LBUTTONDOWN;
            break;
        case SDL_BUTTON_RIGHT:
            bit = MK_RBUTTON;
            down = WM_RBUTTONDOWN;
            break;
        case SDL_BUTTON_MIDDLE:
            bit = MK_MBUTTON;
            down = WM_MBUTTONDOWN;
            break;
        default:
            return;
    }
    m_mouseX = event.button.x;
    m_mouseY = event.button.y;
    const LPARAM position = MAKELPARAM(m_mouseX, m_mouseY);
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        m_buttons |= bit;
        // Each second click of a series is a double click (the window class asks for them).
        const bool doubleClick = event.button.clicks >= 2 && event.button.clicks % 2 == 0;
        Post(out, doubleClick ? down + 2 : down, MouseKeyState(), position);
    } else {
        m_buttons &= ~bit;
        Post(out, down + 1, MouseKeyState(), position);
    }
}

} // namespace platform
