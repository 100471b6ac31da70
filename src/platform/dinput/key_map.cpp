#include <SDL.h>

#include "platform/dinput/dinput.h"
#include "platform/dxut/key_map.h"

namespace platform {
namespace {

// The engine reads these codes as mouse buttons; the keys that would land there sit 0x20 higher.
constexpr DWORD kMouseCodesFirst = 210;
constexpr DWORD kMouseCodesLast = 220;
constexpr DWORD kMouseCodesShift = 0x20;
constexpr DWORD kExtendedBit = 0x80;

} // namespace

DWORD DirectInputKeyFromSdl(int sdlScancode) {
    if (sdlScancode <= SDL_SCANCODE_UNKNOWN || sdlScancode >= SDL_NUM_SCANCODES) {
        return 0;
    }
    const auto scancode = static_cast<SDL_Scancode>(sdlScancode);
    // Key messages mark Num Lock extended and Pause not; DirectInput numbers them the other way.
    if (scancode == SDL_SCANCODE_PAUSE) {
        return DIK_PAUSE;
    }
    if (scancode == SDL_SCANCODE_NUMLOCKCLEAR) {
        return DIK_NUMLOCK;
    }
    const SKeyCode code = KeyPositionFromSdl(scancode);
    if (code.scanCode == 0) {
        return 0;
    }
    DWORD key = code.scanCode | (code.extended ? kExtendedBit : 0);
    if (key >= kMouseCodesFirst && key <= kMouseCodesLast) {
        key += kMouseCodesShift;
    }
    return key;
}

} // namespace platform
