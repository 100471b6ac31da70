// velm::gfx::CLightsManager: the scene's light table of D3DLIGHT9 records. Entry 0 lights the
// scene: the effect manager copies it into the shared "g_light" parameter each frame. Other
// entries are kept for the configuration and scripts that name them, and light nothing. Main
// thread only; reached through common::CSingleton.
#pragma once

#include <cstdint>
#include <map>

#include "libs/common/singleton.h"
#include "platform/d3d9/d3d9.h"

namespace velm {
namespace gfx {

class CLightsManager {
public:
    // The light starts zeroed (type 0) so that a frame drawn before any SetLight reads no garbage.
    CLightsManager();
    virtual ~CLightsManager() = default;

    // Copies the whole record into entry index; an entry past 0 is noted on standard error, as
    // it lights nothing.
    void SetLight(const D3DLIGHT9& light, std::uint32_t index);
    // Light 0, read and changed directly by the effect manager, the water pass and scripts.
    D3DLIGHT9& GetLight() { return m_light; }
    const D3DLIGHT9& GetLight() const { return m_light; }
    // Entry index, made zeroed when new. The reference stays valid while the manager lives.
    D3DLIGHT9& GetLight(std::uint32_t index);

private:
    D3DLIGHT9 m_light;
    std::map<std::uint32_t, D3DLIGHT9> m_others;
};

using LightsManager = common::CSingleton<CLightsManager>;

} // namespace gfx
} // namespace velm
