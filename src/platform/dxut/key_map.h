// Turns SDL keys into the virtual keys and keyboard scan codes that window messages carry. Its
// table is the platform's one key table: DirectInput's key codes come from it too. Pure
// functions over a constant table: safe from any thread.
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

// The key at this position on a US layout: its virtual key (0 for keys the window messages do
// not carry), its make code and extended flag; all 0 for a position the table does not know.
SKeyCode KeyPositionFromSdl(SDL_Scancode scancode);

// Letters and digits follow the keyboard layout (the keycode); every other key is taken from its
// position (the scan code), as Win32 does for keys outside the typing area.
SKeyCode KeyCodeFromSdl(SDL_Keycode key, SDL_Scancode scancode);

// The lParam of a key message: repeat count 1, scan code, extended flag, Alt context, previous
// state (set for auto-repeat and key up) and transition state (set for key up).
LPARAM KeyMessageLParam(const SKeyCode& code, bool keyUp, bool repeat, bool altDown);

} // namespace platform
