// For fuzz targets that make graphics units: the graphics core's device, created once per process
// on the null back end, so a fuzzed file reaches the unit's own reading without a GPU.
#pragma once

#include <cstdlib>

#include "engine/gfx/gfx_core.h"

namespace tk_fuzz {

// True once the device stands; later calls give the first call's answer.
inline bool StartNullDevice() {
    static const bool s_device = [] {
        setenv("TK_D3D9_DEVICE", "null", 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        return SUCCEEDED(velm::gfx::GFXCore::Instance().CreateDevice());
    }();
    return s_device;
}

} // namespace tk_fuzz
