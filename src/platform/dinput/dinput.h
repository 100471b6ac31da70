// The DirectInput 8 stand-in: keyboard and mouse fed from the SDL events the framework pumps,
// read as buffered data or immediate snapshots, with keys as DirectInput scan codes that never
// fall on the mouse's 210-220. Main thread only; objects are freed by their last Release.
#pragma once

#include <cstdint>

#include "platform/win32/win32.h"

union SDL_Event;

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using REFGUID = const GUID&;
using REFIID = const GUID&;
bool operator==(const GUID& a, const GUID& b);
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;
extern const GUID IID_IDirectInput8;
extern const GUID DIPROP_BUFFERSIZE;

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_BUFFEROVERFLOW = S_FALSE;
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
constexpr HRESULT DIERR_OUTOFMEMORY = E_OUTOFMEMORY;

constexpr DWORD DISCL_EXCLUSIVE = 0x1;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;
constexpr DWORD DISCL_BACKGROUND = 0x8;

constexpr DWORD DIPH_DEVICE = 0;

struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};

struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
};

// One buffered change: the offset names the key (its scan code) or the mouse field.
struct DIDEVICEOBJECTDATA {
    DWORD dwOfs;
    DWORD dwData;
    DWORD dwTimeStamp;
    DWORD dwSequence;
    DWORD uAppData;
};

struct DIMOUSESTATE {
    LONG lX;
    LONG lY;
    LONG lZ;
    BYTE rgbButtons[4];
};

constexpr DWORD DIMOFS_X = 0;
constexpr DWORD DIMOFS_Y = 4;
constexpr DWORD DIMOFS_Z = 8;
constexpr DWORD DIMOFS_BUTTON0 = 12;
constexpr DWORD DIMOFS_BUTTON7 = 19;

// Which device a data format is for; the stand-in checks it against the device.
struct DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwDataSize;
};
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse;

// The outer object of COM aggregation; the stand-in takes only null.
using LPUNKNOWN = void*;

class IDirectInputDevice8 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
    virtual HRESULT SetProperty(REFGUID property, const DIPROPHEADER* header) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    // `count` holds the room in `data` on entry and the records written on return.
    virtual HRESULT GetDeviceData(DWORD recordSize, DIDEVICEOBJECTDATA* data, DWORD* count, DWORD flags) = 0;
    virtual HRESULT GetDeviceState(DWORD size, void* state) = 0;

protected:
    virtual ~IDirectInputDevice8() = default;
};
using LPDIRECTINPUTDEVICE8 = IDirectInputDevice8*;

class IDirectInput8 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT CreateDevice(REFGUID device, IDirectInputDevice8** out, LPUNKNOWN outer) = 0;

protected:
    virtual ~IDirectInput8() = default;
};
using LPDIRECTINPUT8 = IDirectInput8*;

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId, void** out, LPUNKNOWN outer);

namespace platform {

// Hands one SDL event to every acquired device; the stand-in registers this with the
// framework's event pump, and tests call it directly.
void DirectInputHandleSdlEvent(const SDL_Event& event);

// The DirectInput scan code of an SDL scancode, 0 for keys the stand-in does not know.
DWORD DirectInputKeyFromSdl(int sdlScancode);

// Makes creating the given device fail (null: none), for tests of start-up without it.
void SetDirectInputUnavailableDevice(const GUID* device);

} // namespace platform

#include "platform/dinput/dik_codes.h"
