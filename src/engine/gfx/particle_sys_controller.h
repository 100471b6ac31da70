// velm::gfx::CParticleSysController and SParticleSysData: one particle-system template as its
// file describes it: limits, life, emission, texture and the ten functors of its roles, which it
// owns and which every system made from it shares. Main thread only.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "engine/gfx/particle_functors.h"

namespace velm {
namespace gfx {

class CFunctorFactory;

struct SParticleSysData {
    std::string name;
    std::string texture;
    int limit = 0;
    bool deadAllAtOnce = false;
    bool infinite = false;
    float life = 0.0f;
    float emitRate = 0.0f;
    float radius = 0.0f;
    // Colour, life, size, position, velocity init; then the same five updates.
    std::array<std::string, 10> functorNames;
};

// The roles in the order of the file and of the template's functors.
enum EParticleRole : std::size_t {
    kColourInit,
    kLifeInit,
    kSizeInit,
    kPositionInit,
    kVelocityInit,
    kColourUpdate,
    kLifeUpdate,
    kSizeUpdate,
    kPositionUpdate,
    kVelocityUpdate,
    kRoleCount
};

class CParticleSysController {
public:
    // Keeps every system's vertex indices within 16 bits (four vertices a particle).
    static constexpr int kMostParticles = 6048;

    CParticleSysController() = default;
    virtual ~CParticleSysController();
    CParticleSysController(const CParticleSysController&) = delete;
    CParticleSysController& operator=(const CParticleSysController&) = delete;

    // Takes the record's values (the limit clamped to 0..kMostParticles), enters "functor_data"
    // and creates and loads the ten functors in role order.
    virtual void Init(const SParticleSysData& data, common::CXmlReader& reader, const CFunctorFactory& factory);
    virtual void ReleaseFunctors();

    // A role without functor (before Init, after release) does nothing.
    PartBaseFunctor& GetFunctor(EParticleRole role) const {
        return m_functors[role] != nullptr ? *m_functors[role] : s_none;
    }
    // Replaces a role's functor (tests and tools); the template owns it.
    void SetFunctor(EParticleRole role, PartBaseFunctor* functor);
    int GetLimit() const { return m_limit; }
    bool IsInfinite() const { return m_infinite; }
    float GetLife() const { return m_life; }
    const std::string& GetName() const { return m_name; }
    float GetRadius() const { return m_radius; }
    float GetEmitRate() const { return m_emitRate; }
    const std::string& GetTextureFileName() const { return m_textureFileName; }
    bool IsDeadAllAtOnce() const { return m_deadAllAtOnce; }

private:
    static inline PartBaseFunctor s_none;
    std::array<std::unique_ptr<PartBaseFunctor>, kRoleCount> m_functors;
    int m_limit = 0;
    bool m_infinite = false;
    float m_life = 0.0f;
    std::string m_name;
    float m_radius = 0.0f;
    float m_emitRate = 0.0f;
    std::string m_textureFileName;
    bool m_deadAllAtOnce = false;
};

} // namespace gfx
} // namespace velm
