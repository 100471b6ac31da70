#include "engine/gfx/particle_sys_controller.h"

#include <algorithm>

#include "engine/gfx/functor_factory.h"

namespace velm {
namespace gfx {

CParticleSysController::~CParticleSysController() { ReleaseFunctors(); }

void CParticleSysController::Init(const SParticleSysData& data, common::CXmlReader& reader,
                                  const CFunctorFactory& factory) {
    m_name = data.name;
    m_textureFileName = data.texture;
    m_emitRate = data.emitRate;
    m_radius = data.radius;
    m_deadAllAtOnce = data.deadAllAtOnce;
    m_infinite = data.infinite;
    m_life = data.life;
    m_limit = std::clamp(data.limit, 0, kMostParticles);
    reader.Enter("functor_data");
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        m_functors[role].reset(factory.CreateFunctor(data.functorNames[role]));
        m_functors[role]->Load(reader);
    }
}

void CParticleSysController::ReleaseFunctors() {
    for (auto& functor : m_functors) {
        functor.reset();
    }
    m_name.clear();
    m_limit = 0;
    m_radius = 0.0f;
}

void CParticleSysController::SetFunctor(EParticleRole role, PartBaseFunctor* functor) {
    m_functors[role].reset(functor);
}

} // namespace gfx
} // namespace velm
