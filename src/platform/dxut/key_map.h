// Turns SDL keys into the virtual keys and keyboard scan codes that window messages carry.
// Pure functions over a constant table: safe from any thread.
#pragma once

#include <SDL_keycode.h>
#include <SDL_scancode.h>

#include "platform/win32/win32.h"

namespace platform {

struct SKeyCode {
    WPARAM virtualKey; // 0 when the key has no virtual key
    BYTE scanCode;     // the PC keyboard's make code, 0 when unknown
    bool extended;     // the key sends the extended prefix (arrows, right Ctrl and Alt, ...)
};

// Letters and digits follow the keyboard layout (the keycode); every other key is taken from its
// position (the scan code), as Win32 does for keys outside the typing area.
SKeyCode KeyCodeFromSdl(SDL_Keycode key, SDL_Scancode scancode);

// The lParam of a key message: repeat count 1, scan code, extended flag, Alt context, previous
// state (set for auto-repeat and key up) and transition state (set for key up).
LPARAM KeyMessageLParam(const SKeyCode& code, bool keyUp, bool repeat, bool altDown);

} // namespace platform
