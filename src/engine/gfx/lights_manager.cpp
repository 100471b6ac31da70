#include "engine/gfx/lights_manager.h"

#include <cstdio>
#include <cstring>

namespace velm {
namespace gfx {

CLightsManager::CLightsManager() { std::memset(&m_light, 0, sizeof(m_light)); }

void CLightsManager::SetLight(const D3DLIGHT9& light, std::uint32_t index) {
    if (index != 0) {
        std::fprintf(stderr, "Lights: light index %u is kept, but only light 0 lights the scene\n", index);
    }
    GetLight(index) = light;
}

D3DLIGHT9& CLightsManager::GetLight(std::uint32_t index) {
    if (index == 0) {
        return m_light;
    }
    const auto found = m_others.find(index);
    if (found != m_others.end()) {
        return found->second;
    }
    D3DLIGHT9 zeroed;
    std::memset(&zeroed, 0, sizeof(zeroed));
    return m_others.emplace(index, zeroed).first->second;
}

} // namespace gfx
} // namespace velm
