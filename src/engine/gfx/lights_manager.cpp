#include "engine/gfx/lights_manager.h"

#include <cstdio>
#include <cstring>

namespace velm {
namespace gfx {

CLightsManager::CLightsManager() { std::memset(&m_light, 0, sizeof(m_light)); }

void CLightsManager::SetLight(const D3DLIGHT9& light, std::uint32_t index) {
    if (index != 0) {
        std::fprintf(stderr, "Lights: light index %u does not exist (only light 0); the light is ignored\n", index);
        return;
    }
    m_light = light;
}

} // namespace gfx
} // namespace velm
