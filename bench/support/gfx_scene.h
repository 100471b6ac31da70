// Set-up shared by the benchmarks that drive the engine's graphics core: which device back end to
// make, a scratch folder for generated files, and the offscreen window and device. Main thread only;
// the core and the DXUT window are process-wide, as in the game.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/gfx/gfx_core.h"
#include "platform/dxut/dxut.h"

namespace tkbench {

// Chooses the OpenGL or the null device for the next device made; video stays offscreen.
inline void ChooseBackEnd(bool gl) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (gl) {
        unsetenv("TK_D3D9_DEVICE");
    } else {
        setenv("TK_D3D9_DEVICE", "null", 1);
    }
}

// A new empty folder under the temporary folder; empty when none could be made. The caller removes it.
inline std::string MakeScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tk_bench_XXXXXX").string();
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

// Null when the window opened; otherwise why not.
inline const char* OpenWindow(const wchar_t* title) {
    if (FAILED(DXUTInit(false, false, false, false)) || FAILED(DXUTCreateWindow(title))) {
        return "no offscreen window";
    }
    return nullptr;
}

// Null when the core's device is the back end asked for; otherwise why not.
inline const char* CheckDevice(bool gl) {
    velm::gfx::CGFXCore& core = velm::gfx::GFXCore::Instance();
    if (core.GetDevice() == nullptr || core.GetDevice()->IsNull() == gl) {
        return gl ? "no OpenGL 3.3 core device offscreen" : "no null device";
    }
    return nullptr;
}

// Opens the window and makes the core's windowed device of the given size.
inline const char* StartCore(bool gl, const wchar_t* title, int width, int height) {
    if (const char* error = OpenWindow(title)) {
        return error;
    }
    velm::gfx::CGFXCore& core = velm::gfx::GFXCore::Instance();
    core.SetFullScreen(false);
    core.SetScreenSize(width, height);
    core.CreateDevice();
    return CheckDevice(gl);
}

} // namespace tkbench
