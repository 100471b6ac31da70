#include "engine/gfx/particle_system.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/gfx/particle_sys_controller.h"
#include "engine/gfx/particle_sys_registry.h"

namespace velm {
namespace gfx {
namespace {

struct SCorner {
    float x, y, z, u, v;
};
constexpr SCorner kCorners[4] = {
    {-0.5f, -0.5f, 1.0f, 0.0f, 1.0f},
    {-0.5f, 0.5f, 1.0f, 0.0f, 0.0f},
    {0.5f, 0.5f, 1.0f, 1.0f, 0.0f},
    {0.5f, -0.5f, 1.0f, 1.0f, 1.0f},
};
constexpr float kQuarterTurn = 1.5707964f;
constexpr float kThreeQuarterTurns = 4.712389f;

} // namespace

CParticleSystem::~CParticleSystem() { Unload(); }

bool CParticleSystem::Create(const std::string& templateName) {
    CParticleSysController* found = ParticleSysRegistry::Instance().GetTemplate(templateName);
    if (found == nullptr) {
        std::fprintf(stderr, "Particle system \"%s\": no such template; not created\n", templateName.c_str());
        return false;
    }
    m_template = found;
    m_emitRate = found->GetEmitRate();
    LoadTexture(found->GetTextureFileName(), 4);
    SetEffectFileName("Particle.fx");
    SetTechniqueName("RenderParticle");
    m_age = 0.0f;
    m_count = 0.0f;
    const std::size_t limit = static_cast<std::size_t>(found->GetLimit());
    m_vertexCount = static_cast<std::uint32_t>(limit * 4);
    m_indexCount = static_cast<std::uint32_t>(limit * 6);
    m_vertices.assign(limit * 4, SMeshVertex{});
    m_indices.resize(limit * 6);
    m_shownIndices.resize(limit * 6);
    for (std::size_t q = 0; q < limit; ++q) {
        for (std::size_t k = 0; k < 4; ++k) {
            SMeshVertex& vertex = m_vertices[q * 4 + k];
            vertex.position = D3DXVECTOR3(kCorners[k].x, kCorners[k].y, kCorners[k].z);
            vertex.u = kCorners[k].u;
            vertex.v = kCorners[k].v;
        }
        const std::uint16_t base = static_cast<std::uint16_t>(q * 4);
        const std::uint16_t pattern[6] = {base,
                                          static_cast<std::uint16_t>(base + 1),
                                          static_cast<std::uint16_t>(base + 2),
                                          static_cast<std::uint16_t>(base + 3),
                                          base,
                                          static_cast<std::uint16_t>(base + 2)};
        std::copy(pattern, pattern + 6, m_indices.begin() + static_cast<std::ptrdiff_t>(q * 6));
    }
    m_particles.assign(limit, SParticle{});
    m_radius = found->GetRadius();
    ParticleSysRegistry::Instance().AddSystem(this);
    return true;
}

common::CSphere CParticleSystem::GetTransformedBoundingSphere(const D3DXMATRIX& matrix) const {
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 centre;
    D3DXVec3TransformCoord(&centre, &origin, &matrix);
    const float scale = std::max({GetScaleX(), GetScaleY(), GetScaleZ()});
    return common::CSphere(common::CVector3(centre.x, centre.y, centre.z), m_radius * scale);
}

bool CParticleSystem::IsAlive(float elapsed) {
    // The check begins the system's frame: the next draw takes this frame's step. A system that
    // no pass draws takes none, so out of view it neither ages nor emits.
    m_stepped = false;
    m_frameTime = elapsed;
    m_checks = m_checks < 2 ? m_checks + 1 : m_checks;
    m_vertexCount = static_cast<std::uint32_t>(WholeCount()) * 4;
    m_indexCount = static_cast<std::uint32_t>(WholeCount()) * 6;
    if (m_template == nullptr) {
        return false;
    }
    if (m_template->IsInfinite() || m_age < m_template->GetLife()) {
        return true;
    }
    m_emitRate = 0.0f;
    if (m_template->IsDeadAllAtOnce()) {
        return false;
    }
    // With no more births a half-born particle never comes to life: only whole ones count.
    return WholeCount() > 0;
}

void CParticleSystem::InitParticle(SParticle& particle) {
    const CParticleSysController& t = *m_template;
    t.GetFunctor(kColourInit).Apply(particle, 0.0f);
    t.GetFunctor(kLifeInit).Apply(particle, 0.0f);
    t.GetFunctor(kSizeInit).Apply(particle, 0.0f);
    t.GetFunctor(kVelocityInit).Apply(particle, 0.0f);
    t.GetFunctor(kPositionInit).Apply(particle, 0.0f);
}

void CParticleSystem::UpdateParticle(SParticle& particle) {
    const CParticleSysController& t = *m_template;
    t.GetFunctor(kColourUpdate).Apply(particle, m_frameTime);
    t.GetFunctor(kLifeUpdate).Apply(particle, m_frameTime);
    t.GetFunctor(kSizeUpdate).Apply(particle, m_frameTime);
    t.GetFunctor(kVelocityUpdate).Apply(particle, m_frameTime);
    t.GetFunctor(kPositionUpdate).Apply(particle, m_frameTime);
}

void CParticleSystem::Emit(float n) {
    if (m_template == nullptr) {
        return;
    }
    const float limit = static_cast<float>(m_particles.size());
    const float add = m_count + n <= limit ? n : limit - m_count;
    if (!(add > 0.0f)) {
        return;
    }
    const std::size_t end = std::min(m_particles.size(), static_cast<std::size_t>(std::ceil(m_count + add)));
    for (std::size_t i = static_cast<std::size_t>(WholeCount()); i < end; ++i) {
        InitParticle(m_particles[i]);
    }
    m_count = std::min(m_count + add, limit);
}

void CParticleSystem::AdvanceAnimation() {
    Step();
    BuildQuads();
}

void CParticleSystem::Step() {
    if (m_template == nullptr) {
        return;
    }
    m_age += m_frameTime;
    Emit(m_emitRate);
    // Only whole particles live: the slot of a half-born one (a fractional count) is neither
    // updated nor used to fill a gap, so no live particle is copied away and lost.
    std::size_t i = 0;
    while (i < static_cast<std::size_t>(WholeCount())) {
        SParticle& particle = m_particles[i];
        UpdateParticle(particle);
        if (particle.life <= 0.0f) {
            particle = m_particles[static_cast<std::size_t>(WholeCount()) - 1];
            m_count -= 1.0f;
            continue;
        }
        ++i;
    }
    m_vertexCount = static_cast<std::uint32_t>(WholeCount()) * 4;
    m_indexCount = static_cast<std::uint32_t>(WholeCount()) * 6;
}

void CParticleSystem::BuildQuads() {
    if (m_template == nullptr) {
        return;
    }
    // Every quad of a pass turns by the same camera angle about the vertical axis.
    const CParticleSysRegistry& registry = ParticleSysRegistry::Instance();
    const float angle = registry.GetViewDirection().x > 0.0f ? registry.GetCameraYaw() + kQuarterTurn
                                                             : registry.GetCameraYaw() - kThreeQuarterTurns;
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &up, angle);
    for (std::size_t i = 0; i < static_cast<std::size_t>(WholeCount()); ++i) {
        BuildQuad(i, rotation, angle);
    }
}

void CParticleSystem::BuildQuad(std::size_t index, const D3DXMATRIX& rotation, float angle) {
    SParticle& particle = m_particles[index];
    particle.axis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    particle.angle = angle;
    // scaling x rotation x translation: the rotation's rows scaled per axis, then the position.
    const float sx = particle.scale.x;
    const float sy = particle.scale.y;
    const float sz = particle.scale.z;
    const D3DXVECTOR3 row0(rotation._11 * sx, rotation._12 * sx, rotation._13 * sx);
    const D3DXVECTOR3 row1(rotation._21 * sy, rotation._22 * sy, rotation._23 * sy);
    const D3DXVECTOR3 row2(rotation._31 * sz, rotation._32 * sz, rotation._33 * sz);
    for (std::size_t k = 0; k < 4; ++k) {
        SMeshVertex& vertex = m_vertices[index * 4 + k];
        const SCorner& c = kCorners[k];
        vertex.position = D3DXVECTOR3(c.x * row0.x + c.y * row1.x + c.z * row2.x + particle.position.x,
                                      c.x * row0.y + c.y * row1.y + c.z * row2.y + particle.position.y,
                                      c.x * row0.z + c.y * row1.z + c.z * row2.z + particle.position.z);
        vertex.colour = particle.colour;
    }
}

void CParticleSystem::Prepare() {
    // The frame, the reflection and the refraction each draw it: it moves on only once.
    if (!m_stepped) {
        Step();
        m_stepped = true;
        m_seen = true;
    }
    BuildQuads();
    const std::uint32_t shown = SelectShownQuads();
    m_geometry.vertices = m_vertices.data();
    m_geometry.vertexCount = m_vertexCount;
    m_geometry.indices = shown == m_indexCount ? m_indices.data() : m_shownIndices.data();
    m_geometry.indexCount = shown;
    FillRenderRecord(m_vertexCount, shown / 3, nullptr);
    PrepareAttachedUnits();
}

// Particles blend by their own alpha over the scene and write no depth: a quad whose particle has
// faded to nothing leaves every pixel as it was, yet a software renderer would rasterise and shade
// all of it (the oldest, largest quads of a trail). Only the others are drawn, in the same order,
// so the picture is the same to the bit.
std::uint32_t CParticleSystem::SelectShownQuads() {
    const std::size_t quads = std::min({static_cast<std::size_t>(std::max(WholeCount(), 0)),
                                        static_cast<std::size_t>(m_indexCount / 6), m_particles.size()});
    std::size_t count = 0;
    for (std::size_t i = 0; i < quads; ++i) {
        if ((m_particles[i].colour >> 24) != 0) {
            std::copy_n(m_indices.begin() + static_cast<std::ptrdiff_t>(i * 6), 6,
                        m_shownIndices.begin() + static_cast<std::ptrdiff_t>(count));
            count += 6;
        }
    }
    return count == quads * 6 ? m_indexCount : static_cast<std::uint32_t>(count);
}

void CParticleSystem::Unload() {
    std::vector<SParticle>().swap(m_particles);
    std::vector<SMeshVertex>().swap(m_vertices);
    std::vector<std::uint16_t>().swap(m_indices);
    std::vector<std::uint16_t>().swap(m_shownIndices);
    m_emitRate = 0.0f;
    m_count = 0.0f;
    m_age = 0.0f;
    m_vertexCount = 0;
    m_indexCount = 0;
    m_geometry = SUnitGeometry();
}

} // namespace gfx
} // namespace velm
