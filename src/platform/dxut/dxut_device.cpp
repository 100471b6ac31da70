#include "platform/dxut/dxut_device.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/d3d9/d3dx9_tex.h"
#include "platform/dxut/dxut.h"

namespace {

struct SDeviceState {
    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    DXUTDeviceSettings settings;
    D3DSURFACE_DESC backBuffer;
    bool lost = false;
    bool lostNotified = false;
    int pendingWidth = 0;
    int pendingHeight = 0;
};

SDeviceState& State() {
    static SDeviceState state;
    return state;
}

void UpdateBackBufferDesc() {
    SDeviceState& state = State();
    state.backBuffer = D3DSURFACE_DESC{};
    state.backBuffer.Format = state.settings.pp.BackBufferFormat;
    state.backBuffer.Usage = D3DUSAGE_RENDERTARGET;
    state.backBuffer.Width = state.settings.pp.BackBufferWidth;
    state.backBuffer.Height = state.settings.pp.BackBufferHeight;
    state.backBuffer.MultiSampleType = state.settings.pp.MultiSampleType;
    state.backBuffer.MultiSampleQuality = state.settings.pp.MultiSampleQuality;
}

HRESULT TryReset() {
    SDeviceState& state = State();
    D3DPRESENT_PARAMETERS parameters = state.settings.pp;
    const HRESULT result = state.device->Reset(&parameters);
    if (FAILED(result)) {
        state.lost = true;
        return result;
    }
    state.settings.pp = parameters;
    state.lost = false;
    state.lostNotified = false;
    UpdateBackBufferDesc();
    return platform::NotifyDeviceReset(state.device, &state.backBuffer);
}

IDirect3DDevice9* HookDevice() { return State().device; }

bool HookDeviceUsable() {
    SDeviceState& state = State();
    if (state.device == nullptr) {
        return false;
    }
    if (state.pendingWidth > 0 && state.pendingHeight > 0) {
        const auto width = static_cast<UINT>(state.pendingWidth);
        const auto height = static_cast<UINT>(state.pendingHeight);
        state.pendingWidth = state.pendingHeight = 0;
        if (width != state.settings.pp.BackBufferWidth || height != state.settings.pp.BackBufferHeight) {
            platform::DXUTResetDevice(width, height);
        }
    } else if (state.lost) {
        TryReset();
    }
    return !state.lost;
}

void HookPresent() {
    SDeviceState& state = State();
    if (state.device != nullptr && state.device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST) {
        state.lost = true;
    }
}

void HookWindowResized(int width, int height) {
    State().pendingWidth = width;
    State().pendingHeight = height;
}

bool WriteScreenshot(const char* fileName) { return platform::d3d9::SaveBackBufferPng(State().device, fileName); }

std::vector<D3DDEVTYPE> Candidates(SDL_Window* window) {
    const char* forced = std::getenv("TK_D3D9_DEVICE");
    if (forced != nullptr && std::strcmp(forced, "null") == 0) {
        return {D3DDEVTYPE_NULLREF};
    }
    const bool gl = window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) != 0;
    if (forced != nullptr && std::strcmp(forced, "gl") == 0) {
        return {D3DDEVTYPE_HAL};
    }
    if (gl) {
        return {D3DDEVTYPE_HAL, D3DDEVTYPE_NULLREF};
    }
    return {D3DDEVTYPE_NULLREF};
}

} // namespace

IDirect3D9* DXUTGetD3DObject() {
    SDeviceState& state = State();
    if (state.direct3d == nullptr) {
        state.direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    }
    return state.direct3d;
}

HRESULT DXUTCreateDevice(UINT adapter, bool windowed, int width, int height,
                         LPDXUTCALLBACKISDEVICEACCEPTABLE isDeviceAcceptable,
                         LPDXUTCALLBACKMODIFYDEVICESETTINGS modifyDeviceSettings, void* userContext) {
    SDeviceState& state = State();
    if (state.device != nullptr) {
        platform::DXUTDestroyDevice();
    }
    IDirect3D9* direct3d = DXUTGetD3DObject();
    // As the original framework does, a device asked for before the window makes the window.
    const char* forced = std::getenv("TK_D3D9_DEVICE");
    const bool nullForced = forced != nullptr && std::strcmp(forced, "null") == 0;
    if (platform::GetSdlWindow() == nullptr && !nullForced) {
        DXUTCreateWindow();
    }
    SDL_Window* window = platform::GetSdlWindow();
    if (window != nullptr && width > 0 && height > 0) {
        if (windowed) {
            SDL_SetWindowSize(window, width, height);
        } else {
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
        }
    }
    constexpr D3DFORMAT kAdapterFormat = D3DFMT_X8R8G8B8;
    for (const D3DDEVTYPE type : Candidates(window)) {
        D3DCAPS9 caps;
        if (FAILED(direct3d->GetDeviceCaps(adapter, type, &caps))) {
            continue;
        }
        for (const D3DFORMAT backBufferFormat : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
            if (isDeviceAcceptable != nullptr &&
                !isDeviceAcceptable(&caps, kAdapterFormat, backBufferFormat, windowed, userContext)) {
                continue;
            }
            DXUTDeviceSettings settings;
            settings.AdapterOrdinal = adapter;
            settings.DeviceType = type;
            settings.AdapterFormat = kAdapterFormat;
            settings.pp.BackBufferWidth = static_cast<UINT>(width > 0 ? width : 0);
            settings.pp.BackBufferHeight = static_cast<UINT>(height > 0 ? height : 0);
            settings.pp.BackBufferFormat = backBufferFormat;
            settings.pp.BackBufferCount = 1;
            settings.pp.Windowed = windowed ? TRUE : FALSE;
            settings.pp.hDeviceWindow = reinterpret_cast<HWND>(window);
            settings.pp.EnableAutoDepthStencil = TRUE;
            settings.pp.AutoDepthStencilFormat = D3DFMT_D24S8;
            settings.pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
            if (modifyDeviceSettings != nullptr && !modifyDeviceSettings(&settings, &caps, userContext)) {
                return E_FAIL;
            }
            IDirect3DDevice9* device = nullptr;
            if (FAILED(direct3d->CreateDevice(adapter, type, reinterpret_cast<HWND>(window), settings.BehaviorFlags,
                                              &settings.pp, &device))) {
                break;
            }
            state.device = device;
            state.settings = settings;
            state.lost = false;
            state.lostNotified = false;
            UpdateBackBufferDesc();
            platform::SetFrameHooks({HookDevice, HookDeviceUsable, HookPresent, HookWindowResized});
            platform::SetScreenshotWriter(WriteScreenshot);
            platform::NotifyDeviceReset(device, &state.backBuffer);
            return D3D_OK;
        }
    }
    std::fprintf(stderr, "DXUTCreateDevice: no acceptable device\n");
    return D3DERR_NOTAVAILABLE;
}

D3DPRESENT_PARAMETERS DXUTGetPresentParameters() { return State().settings.pp; }

DXUTDeviceSettings DXUTGetDeviceSettings() { return State().settings; }

const D3DSURFACE_DESC* DXUTGetBackBufferSurfaceDesc() { return &State().backBuffer; }

namespace platform {

HRESULT DXUTResetDevice(UINT width, UINT height) {
    SDeviceState& state = State();
    if (state.device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!state.lostNotified) {
        state.lostNotified = true;
        state.device->MarkLost();
        NotifyDeviceLost();
    }
    if (width > 0 && height > 0) {
        state.settings.pp.BackBufferWidth = width;
        state.settings.pp.BackBufferHeight = height;
    }
    return TryReset();
}

bool DXUTIsDeviceLost() { return State().lost; }

void DXUTDestroyDevice() {
    SDeviceState& state = State();
    if (state.device != nullptr) {
        SetFrameHooks({});
        SetScreenshotWriter(nullptr);
        state.device->Release();
    }
    if (state.direct3d != nullptr) {
        state.direct3d->Release();
    }
    state = SDeviceState{};
}

} // namespace platform
