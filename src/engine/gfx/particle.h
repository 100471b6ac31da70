// velm::gfx::SParticle: one particle of a particle system, sixteen 32-bit words that the init
// and update functors write and the quad builder reads. Plain data.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3dx9_math.h"

namespace velm {
namespace gfx {

struct SParticle {
    float life = 1.0f;
    float angle = 0.0f;
    float radius = 0.0f;
    D3DXVECTOR3 axis = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    D3DXVECTOR3 position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    std::uint32_t colour = 0x00FFFFFF; // ARGB
};
static_assert(sizeof(SParticle) == 64, "a particle is sixteen 32-bit words");

} // namespace gfx
} // namespace velm
