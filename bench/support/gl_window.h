// Offscreen OpenGL set-up shared by the device benchmarks: an SDL window with a 3.3 core context,
// the presentation parameters they all use, and paths under the source tree. Main thread only;
// video and the GL library stay loaded for the process.
#pragma once

#include <SDL2/SDL.h>

#include <cstdlib>
#include <string>

#include "platform/d3d9/d3dx9.h"

namespace tkbench {

// A path under the repository (TK_SOURCE_DIR, else the working folder).
inline std::string SourcePath(const std::string& relative) {
    const char* root = std::getenv("TK_SOURCE_DIR");
    return std::string(root != nullptr ? root : ".") + "/" + relative;
}

// Null when this machine has no offscreen video driver or cannot make the window.
inline SDL_Window* MakeOffscreenGlWindow(int width, int height) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    static bool s_video = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && SDL_GL_LoadLibrary(nullptr) == 0;
    if (!s_video) {
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    return SDL_CreateWindow("bench", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
}

// Depth and stencil, and no wait for the display: frames are timed, not shown.
inline D3DPRESENT_PARAMETERS BenchParameters(UINT width, UINT height) {
    D3DPRESENT_PARAMETERS parameters;
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return parameters;
}

// Makes the device of the given type on `window` (null for the null device) and loads the
// benchmarks' effect into it. Null when both were made; otherwise why not. The caller releases
// whatever was made, even on failure.
inline const char* MakeBenchDevice(D3DDEVTYPE type, SDL_Window* window, UINT width, UINT height, IDirect3D9** direct3d,
                                   IDirect3DDevice9** device, ID3DXEffect** effect) {
    *direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS parameters = BenchParameters(width, height);
    if (FAILED((*direct3d)->CreateDevice(D3DADAPTER_DEFAULT, type, reinterpret_cast<HWND>(window), 0, &parameters,
                                         device))) {
        return "no device";
    }
    const std::string path = SourcePath("data/files/fx/DeviceBench.fx");
    if (FAILED(D3DXCreateEffectFromFileA(*device, path.c_str(), nullptr, nullptr, 0, nullptr, effect, nullptr))) {
        return "no effect (set TK_SOURCE_DIR to the repository)";
    }
    return nullptr;
}

} // namespace tkbench
