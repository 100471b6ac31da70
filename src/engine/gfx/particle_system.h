// velm::gfx::CParticleSystem: one live particle effect made from a template: particles born at
// the template's rate (fractions carried over), stepped by its functors once a frame when drawn
// (however many passes draw it), drawn as camera-facing quads through "Particle.fx". Its life
// runs only in view: a system that no pass draws neither ages nor emits, and waits unchanged in
// the registry until it is seen or the track's systems are freed. All memory is sized to the
// template's limit at creation; nothing is allocated per frame. Once created the registry owns
// it. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/mesh_hierarchy.h"
#include "engine/gfx/particle.h"

namespace velm {
namespace gfx {

class CParticleSysController;

class CParticleSystem : public CGfxUnit {
public:
    CParticleSystem() = default;
    ~CParticleSystem() override;

    // Sets the system up from the registry's template of that name and hands it to the
    // registry, which then owns it. An unknown name is logged and refused (false): the system
    // stays empty and the caller's.
    bool Create(const std::string& templateName);
    // The registry's per-frame check, which begins the system's frame (its next draw steps it).
    // False when it is to be removed: its life is over (age counts drawn frames only) and it is
    // dead all at once or has no whole particle left.
    bool IsAlive(float elapsed);

    std::uint32_t GetFaceCount() const override { return static_cast<std::uint32_t>(WholeCount()) * 2; }
    common::CSphere GetTransformedBoundingSphere(const D3DXMATRIX& matrix) const override;
    // The particle update (the first time in a frame only), then the live particles' quads,
    // facing the camera of the pass, are published for the renderer.
    void Prepare() override;
    // Particle systems are stepped by their draws, not by the units' per-frame update.
    void Update(double, float) override {}
    // The particle update: age, emission, the update functors and the quads.
    void AdvanceAnimation() override;
    // The particle update without the quads.
    void Step();
    // Frees the particle, vertex and index arrays.
    void Unload() override;

    // Adds up to n particles (cut to the free room), running the init functors on each.
    void Emit(float n);

    void SetID(std::uint32_t id) { m_id = id; }
    std::uint32_t GetID() const { return m_id; }
    float GetCount() const { return m_count; }
    float GetAge() const { return m_age; }
    // Whether any pass has drawn it since it was made.
    bool WasSeen() const { return m_seen; }
    // Made before the last frame and not drawn since: it missed a frame's draws, not just its
    // first check.
    bool IsWaitingUnseen() const { return !m_seen && m_checks >= 2; }
    float GetEmitRate() const { return m_emitRate; }
    const CParticleSysController* GetTemplate() const { return m_template; }
    const std::vector<SParticle>& GetParticles() const { return m_particles; }
    const std::vector<SMeshVertex>& GetVertices() const { return m_vertices; }
    const std::vector<std::uint16_t>& GetIndices() const { return m_indices; }
    std::uint32_t GetVertexCount() const { return m_vertexCount; }
    std::uint32_t GetIndexCount() const { return m_indexCount; }

private:
    int WholeCount() const { return static_cast<int>(m_count); }
    void InitParticle(SParticle& particle);
    void UpdateParticle(SParticle& particle);
    void BuildQuads();
    // The indices of the quads a draw changes pixels with, in order; their count.
    std::uint32_t SelectShownQuads();
    void BuildQuad(std::size_t index, const D3DXMATRIX& rotation, float angle);

    float m_emitRate = 0.0f;
    float m_count = 0.0f;
    float m_age = 0.0f;
    CParticleSysController* m_template = nullptr;
    std::vector<SParticle> m_particles;
    std::vector<SMeshVertex> m_vertices;
    std::uint32_t m_vertexCount = 0;
    std::vector<std::uint16_t> m_indices;
    std::uint32_t m_indexCount = 0;
    std::vector<std::uint16_t> m_shownIndices; // sized with m_indices
    std::uint32_t m_id = 0;
    float m_frameTime = 0.0f;
    float m_radius = 0.0f;
    // Whether this frame's step has been taken by a draw.
    bool m_stepped = false;
    bool m_seen = false;
    int m_checks = 0;
};

} // namespace gfx
} // namespace velm
