#include "platform/dinput/dinput.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>
#include <vector>

#include "platform/dxut/dxut.h"

const GUID GUID_SysKeyboard = {0x6F1D2B61u, 0xD5A0u, 0x11CFu, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60u, 0xD5A0u, 0x11CFu, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID IID_IDirectInput8 = {0x54D41081u, 0x6F7Bu, 0x4F3Du, {0x8B, 0x12, 0x3E, 0x0A, 0x19, 0x05, 0x16, 0x7A}};
const GUID DIPROP_BUFFERSIZE = {0x00000001u, 0x0000u, 0x0000u, {0, 0, 0, 0, 0, 0, 0, 0}};

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 256};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIMOUSESTATE)};

bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

namespace {

constexpr BYTE kDown = 0x80;
constexpr DWORD kMouseButtons = 4;

class CDevice;

// Acquired devices, fed by the framework's event pump; one sequence counter numbers the changes
// of every device in the order they happened.
std::vector<CDevice*> s_acquired;
bool s_observing = false;
DWORD s_sequence = 0;
const GUID* s_unavailable = nullptr;

// Axes are 32-bit sums of what the window system (or an injected script) reports: an extreme
// run stops at the largest value instead of wrapping round to the other direction.
LONG Saturate(LONGLONG value) {
    return static_cast<LONG>(
        std::clamp<LONGLONG>(value, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

void ObserveSdlEvent(const SDL_Event& event, void*) { platform::DirectInputHandleSdlEvent(event); }

class CDevice final : public IDirectInputDevice8 {
public:
    explicit CDevice(bool keyboard) : m_keyboard(keyboard) {}

    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        const ULONG left = --m_references;
        if (left == 0) {
            Unacquire();
            delete this;
        }
        return left;
    }

    HRESULT SetCooperativeLevel(HWND, DWORD flags) override {
        const bool exclusive = (flags & DISCL_EXCLUSIVE) != 0;
        const bool nonExclusive = (flags & DISCL_NONEXCLUSIVE) != 0;
        const bool foreground = (flags & DISCL_FOREGROUND) != 0;
        const bool background = (flags & DISCL_BACKGROUND) != 0;
        return exclusive == nonExclusive || foreground == background ? DIERR_INVALIDPARAM : DI_OK;
    }

    HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
        if (m_acquired) {
            return DIERR_INVALIDPARAM;
        }
        if (format != (m_keyboard ? &c_dfDIKeyboard : &c_dfDIMouse)) {
            return DIERR_INVALIDPARAM;
        }
        m_formatSet = true;
        return DI_OK;
    }

    HRESULT SetProperty(REFGUID property, const DIPROPHEADER* header) override {
        if (header == nullptr || property != DIPROP_BUFFERSIZE || header->dwSize != sizeof(DIPROPDWORD) ||
            header->dwHeaderSize != sizeof(DIPROPHEADER) || header->dwHow != DIPH_DEVICE || m_acquired) {
            return DIERR_INVALIDPARAM;
        }
        m_bufferSize = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        return DI_OK;
    }

    HRESULT Acquire() override {
        if (!m_formatSet) {
            return DIERR_INVALIDPARAM;
        }
        if (!m_acquired) {
            m_acquired = true;
            s_acquired.push_back(this);
            if (!s_observing) {
                platform::AddSdlEventObserver(&ObserveSdlEvent, nullptr);
                s_observing = true;
            }
        }
        return DI_OK;
    }

    HRESULT Unacquire() override {
        if (!m_acquired) {
            return S_FALSE;
        }
        m_acquired = false;
        m_buffer.clear();
        std::memset(m_keys, 0, sizeof(m_keys));
        m_mouse = DIMOUSESTATE{};
        s_acquired.erase(std::remove(s_acquired.begin(), s_acquired.end(), this), s_acquired.end());
        if (s_acquired.empty() && s_observing) {
            platform::RemoveSdlEventObserver(&ObserveSdlEvent, nullptr);
            s_observing = false;
        }
        return DI_OK;
    }

    HRESULT GetDeviceData(DWORD recordSize, DIDEVICEOBJECTDATA* data, DWORD* count, DWORD) override {
        if (count == nullptr || recordSize != sizeof(DIDEVICEOBJECTDATA) || (data == nullptr && *count != 0)) {
            return DIERR_INVALIDPARAM;
        }
        if (!m_acquired) {
            *count = 0;
            return DIERR_NOTACQUIRED;
        }
        const DWORD taken = std::min<DWORD>(*count, static_cast<DWORD>(m_buffer.size()));
        for (DWORD i = 0; i < taken; ++i) {
            data[i] = m_buffer.front();
            m_buffer.pop_front();
        }
        *count = taken;
        const HRESULT result = m_overflowed ? DI_BUFFEROVERFLOW : DI_OK;
        m_overflowed = false;
        return result;
    }

    HRESULT GetDeviceState(DWORD size, void* state) override {
        if (state == nullptr) {
            return DIERR_INVALIDPARAM;
        }
        if (!m_acquired) {
            return DIERR_NOTACQUIRED;
        }
        if (m_keyboard) {
            if (size != sizeof(m_keys)) {
                return DIERR_INVALIDPARAM;
            }
            std::memcpy(state, m_keys, sizeof(m_keys));
            return DI_OK;
        }
        if (size != sizeof(DIMOUSESTATE)) {
            return DIERR_INVALIDPARAM;
        }
        std::memcpy(state, &m_mouse, sizeof(m_mouse));
        // The axes report the movement since the previous read.
        m_mouse.lX = m_mouse.lY = m_mouse.lZ = 0;
        return DI_OK;
    }

    void HandleSdlEvent(const SDL_Event& event) {
        if (m_keyboard) {
            HandleKeyboard(event);
        } else {
            HandleMouse(event);
        }
    }

private:
    ~CDevice() override = default;

    void HandleKeyboard(const SDL_Event& event) {
        if ((event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) || event.key.repeat != 0) {
            return;
        }
        const DWORD code = platform::DirectInputKeyFromSdl(event.key.keysym.scancode);
        if (code == 0) {
            return;
        }
        const BYTE state = event.type == SDL_KEYDOWN ? kDown : 0;
        m_keys[code] = state;
        Push(code, state, event.key.timestamp);
    }

    void HandleMouse(const SDL_Event& event) {
        switch (event.type) {
            case SDL_MOUSEMOTION:
                m_mouse.lX = Saturate(LONGLONG{m_mouse.lX} + event.motion.xrel);
                m_mouse.lY = Saturate(LONGLONG{m_mouse.lY} + event.motion.yrel);
                PushAxis(DIMOFS_X, event.motion.xrel, event.motion.timestamp);
                PushAxis(DIMOFS_Y, event.motion.yrel, event.motion.timestamp);
                break;
            case SDL_MOUSEWHEEL: {
                // One notch is 120, forward positive.
                const LONGLONG notches =
                    event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -LONGLONG{event.wheel.y} : event.wheel.y;
                const LONG delta = Saturate(notches * 120);
                m_mouse.lZ = Saturate(LONGLONG{m_mouse.lZ} + delta);
                PushAxis(DIMOFS_Z, delta, event.wheel.timestamp);
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                const int button = ButtonIndex(event.button.button);
                if (button < 0 || static_cast<DWORD>(button) >= kMouseButtons) {
                    return;
                }
                const BYTE state = event.type == SDL_MOUSEBUTTONDOWN ? kDown : 0;
                m_mouse.rgbButtons[button] = state;
                Push(DIMOFS_BUTTON0 + static_cast<DWORD>(button), state, event.button.timestamp);
                break;
            }
            default:
                break;
        }
    }

    static int ButtonIndex(Uint8 sdlButton) {
        switch (sdlButton) {
            case SDL_BUTTON_LEFT:
                return 0;
            case SDL_BUTTON_RIGHT:
                return 1;
            case SDL_BUTTON_MIDDLE:
                return 2;
            case SDL_BUTTON_X1:
                return 3;
            case SDL_BUTTON_X2:
                return 4;
            default:
                return -1;
        }
    }

    // Successive moves of one axis merge into the newest record, so that a fast mouse does not
    // push button changes out of a small buffer.
    void PushAxis(DWORD offset, LONG delta, Uint32 time) {
        if (delta == 0) {
            return;
        }
        if (!m_buffer.empty() && m_buffer.back().dwOfs == offset && IsAxisMergeable(offset)) {
            DIDEVICEOBJECTDATA& last = m_buffer.back();
            last.dwData = static_cast<DWORD>(Saturate(LONGLONG{static_cast<LONG>(last.dwData)} + delta));
            last.dwTimeStamp = time;
            return;
        }
        Push(offset, static_cast<DWORD>(delta), time);
    }

    bool IsAxisMergeable(DWORD offset) const {
        // Only when the record is the device's latest change overall: x and y interleave.
        return offset <= DIMOFS_Z && m_buffer.back().dwSequence == s_sequence;
    }

    void Push(DWORD offset, DWORD data, Uint32 time) {
        ++s_sequence;
        if (m_buffer.size() >= m_bufferSize) {
            m_overflowed = m_bufferSize > 0 || m_overflowed;
            return;
        }
        m_buffer.push_back(DIDEVICEOBJECTDATA{offset, data, time, s_sequence, 0});
    }

    const bool m_keyboard;
    ULONG m_references = 1;
    bool m_acquired = false;
    bool m_formatSet = false;
    bool m_overflowed = false;
    DWORD m_bufferSize = 0;
    std::deque<DIDEVICEOBJECTDATA> m_buffer;
    BYTE m_keys[256] = {};
    DIMOUSESTATE m_mouse = {};
};

class CDirectInput final : public IDirectInput8 {
public:
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT CreateDevice(REFGUID device, IDirectInputDevice8** out, LPUNKNOWN outer) override {
        if (out == nullptr || outer != nullptr) {
            return DIERR_INVALIDPARAM;
        }
        *out = nullptr;
        if (s_unavailable != nullptr && *s_unavailable == device) {
            return DIERR_DEVICENOTREG;
        }
        if (device == GUID_SysKeyboard || device == GUID_SysMouse) {
            *out = new CDevice(device == GUID_SysKeyboard);
            return DI_OK;
        }
        return DIERR_DEVICENOTREG;
    }

private:
    ~CDirectInput() = default;

    ULONG m_references = 1;
};

} // namespace

HRESULT DirectInput8Create(HINSTANCE, DWORD version, REFIID interfaceId, void** out, LPUNKNOWN outer) {
    if (out == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *out = nullptr;
    if (version < DIRECTINPUT_VERSION || interfaceId != IID_IDirectInput8 || outer != nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *out = static_cast<IDirectInput8*>(new CDirectInput());
    return DI_OK;
}

namespace platform {

void DirectInputHandleSdlEvent(const SDL_Event& event) {
    // A copy: a device may be released while the list is walked.
    const std::vector<CDevice*> devices = s_acquired;
    for (CDevice* device : devices) {
        device->HandleSdlEvent(event);
    }
}

void SetDirectInputUnavailableDevice(const GUID* device) { s_unavailable = device; }

} // namespace platform
