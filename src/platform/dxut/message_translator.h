// Turns SDL events into the window messages a Win32 window procedure would have received for
// the same input. Keeps the mouse buttons and modifier keys seen so far; one instance per
// window, used on the main thread only.
#pragma once

#include <vector>

#include "platform/win32/message_queue.h"

union SDL_Event;

namespace platform {

// wParam of WM_SIZE for a window that was resized or restored.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr int WHEEL_DELTA = 120;

class CMessageTranslator {
public:
    // Appends the messages for `event` to `out` (none for events with no window message).
    // A close request becomes WM_CLOSE; what the window then does is the framework's business.
    void Translate(const SDL_Event& event, std::vector<SMessage>& out);

private:
    WPARAM MouseKeyState() const;
    void TranslateKey(const SDL_Event& event, std::vector<SMessage>& out);
    void TranslateButton(const SDL_Event& event, std::vector<SMessage>& out);

    std::uint16_t m_modifiers = 0; // SDL key modifiers of the last key event
    WPARAM m_buttons = 0;          // MK_ bits of the buttons held
    int m_mouseX = 0;
    int m_mouseY = 0;
};

} // namespace platform
