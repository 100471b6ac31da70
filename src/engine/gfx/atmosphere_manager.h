// velm::gfx::CAtmosphereManager: the scene's fog range, density and colour, plain fields that the
// configuration and scripts write and the effect manager copies into the shared fog parameters
// each frame. All zero at creation. Main thread only; reached through common::CSingleton.
#pragma once

#include "libs/common/singleton.h"

namespace velm {
namespace gfx {

class CAtmosphereManager {
public:
    virtual ~CAtmosphereManager() = default;

    float m_fogStart = 0.0f;
    float m_fogEnd = 0.0f;
    float m_fogDensity = 0.0f;
    float m_r = 0.0f;
    float m_g = 0.0f;
    float m_b = 0.0f;
    float m_a = 0.0f;
};

using AtmosphereManager = common::CSingleton<CAtmosphereManager>;

} // namespace gfx
} // namespace velm
