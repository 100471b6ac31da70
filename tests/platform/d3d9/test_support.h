// Helpers for the device tests: a null device, an OpenGL device in an offscreen SDL window
// (null when this machine cannot make one), and the test data folder.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace tk_test {

inline std::string DataPath(const std::string& name) {
    const char* root = std::getenv("TK_SOURCE_DIR");
    return std::string(root != nullptr ? root : "../../../..") + "/tests/platform/d3d9/data/" + name;
}

inline D3DPRESENT_PARAMETERS Parameters(UINT width, UINT height) {
    D3DPRESENT_PARAMETERS parameters;
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    return parameters;
}

// A device with its Direct3D object; released in reverse order.
class CDeviceHolder {
public:
    CDeviceHolder() = default;
    CDeviceHolder(const CDeviceHolder&) = delete;
    CDeviceHolder& operator=(const CDeviceHolder&) = delete;
    ~CDeviceHolder() {
        if (m_device != nullptr) {
            m_device->Release();
        }
        if (m_direct3d != nullptr) {
            m_direct3d->Release();
        }
        if (m_window != nullptr) {
            SDL_DestroyWindow(m_window);
        }
    }

    bool MakeNull(UINT width = 64, UINT height = 32) {
        m_direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = Parameters(width, height);
        return SUCCEEDED(
            m_direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_NULLREF, nullptr, 0, &parameters, &m_device));
    }

    // False (and a reason) when no OpenGL 3.3 core context can be made offscreen.
    bool MakeGl(UINT width, UINT height, std::string* reason) {
        // Video and the GL library stay loaded for the process: unloading Mesa loses memory it holds.
        static bool s_video = false;
        if (!s_video) {
            setenv("SDL_VIDEODRIVER", "offscreen", 0);
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
                *reason = SDL_GetError();
                return false;
            }
            SDL_GL_LoadLibrary(nullptr);
            s_video = true;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        m_window = SDL_CreateWindow("test", 0, 0, static_cast<int>(width), static_cast<int>(height),
                                    SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (m_window == nullptr) {
            *reason = SDL_GetError();
            return false;
        }
        m_direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = Parameters(width, height);
        if (FAILED(m_direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, reinterpret_cast<HWND>(m_window), 0,
                                            &parameters, &m_device))) {
            *reason = "no OpenGL 3.3 core device";
            return false;
        }
        return true;
    }

    IDirect3DDevice9* operator->() const { return m_device; }
    IDirect3DDevice9* Get() const { return m_device; }

    // The back buffer's pixels as BGRA rows, top row first; empty when they cannot be read.
    std::vector<std::uint8_t> ReadBackBuffer() const {
        IDirect3DSurface9* back = nullptr;
        std::vector<std::uint8_t> bgra;
        if (FAILED(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
            return bgra;
        }
        if (!m_device->ReadSurface(back, &bgra, nullptr, nullptr)) {
            bgra.clear();
        }
        back->Release();
        return bgra;
    }

private:
    IDirect3D9* m_direct3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    SDL_Window* m_window = nullptr;
};

} // namespace tk_test
