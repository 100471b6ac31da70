// Offscreen OpenGL set-up shared by the device benchmarks: an SDL window with a 3.3 core context,
// the presentation parameters they all use, and paths under the source tree. Main thread only;
// video and the GL library stay loaded for the process.
#pragma once

#include <SDL2/SDL.h>

#include <cstdlib>
#include <string>

#include "platform/d3d9/d3d9.h"

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

} // namespace tkbench
