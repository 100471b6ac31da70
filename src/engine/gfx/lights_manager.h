// velm::gfx::CLightsManager: the scene's one light, a D3DLIGHT9 record that the effect manager
// copies into the shared "g_light" parameter each frame. The table has exactly entry 0; other
// indices are logged and ignored. Main thread only; reached through common::CSingleton.
#pragma once

#include <cstdint>

#include "libs/common/singleton.h"
#include "platform/d3d9/d3d9.h"

namespace velm {
namespace gfx {

class CLightsManager {
public:
    // The light starts zeroed (type 0) so that a frame drawn before any SetLight reads no garbage.
    CLightsManager();
    virtual ~CLightsManager() = default;

    // Copies the whole record into entry index; only index 0 exists.
    void SetLight(const D3DLIGHT9& light, std::uint32_t index);
    // Light 0, read and changed directly by the effect manager, the water pass and scripts.
    D3DLIGHT9& GetLight() { return m_light; }
    const D3DLIGHT9& GetLight() const { return m_light; }

private:
    D3DLIGHT9 m_light;
};

using LightsManager = common::CSingleton<CLightsManager>;

} // namespace gfx
} // namespace velm
