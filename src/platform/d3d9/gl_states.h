// The fixed-function states of a draw (viewport, depth, culling, fill, blending, colour writes,
// clip distances) set on the OpenGL context from the device's render states, and only when they
// differ from what the last draw set. Needs the device's context current; main thread only.
#pragma once

#include <epoxy/gl.h>

#include <array>

#include "platform/d3d9/device_backend.h"

namespace platform {
namespace d3d9 {

GLenum PrimitiveMode(D3DPRIMITIVETYPE type);

class CGlStates {
public:
    // planes: how many clip distances the draw's program writes.
    void Apply(const SDeviceState& state, int planes);
    // Something else set these states (a clear): the next draw sets them all.
    void Forget() { m_known = false; }

private:
    bool m_known = false;
    std::array<DWORD, 20> m_states = {};
};

} // namespace d3d9
} // namespace platform
