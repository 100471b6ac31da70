// velm::gfx::CParticleUnitBase: the render-unit side of a particle system that the system
// itself uses (pose and world matrix, texture slot 4, effect and technique names, hiding), kept
// here until particle systems become full render units. Owns its texture. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "libs/common/geometry.h"
#include "platform/d3d9/d3dx9.h"

namespace velm {
namespace gfx {

class CTextureRef;

class CParticleUnitBase {
public:
    CParticleUnitBase();
    virtual ~CParticleUnitBase();
    CParticleUnitBase(const CParticleUnitBase&) = delete;
    CParticleUnitBase& operator=(const CParticleUnitBase&) = delete;

    std::string GetEffectFileName() const { return m_effectFileName; }
    std::string GetTechniqueName() const { return m_techniqueName; }
    void SetEffectFileName(const std::string& name) { m_effectFileName = name; }
    void SetTechniqueName(const std::string& name) { m_techniqueName = name; }
    // Slot 4 ("Base1") only; other slots are ignored.
    void LoadTexture(const std::string& fileName, std::uint32_t slot);
    CTextureRef* GetTexture(std::uint32_t slot) const;

    void SetPosition(float x, float y, float z, bool recompute);
    void SetRotationAngle(float angle, bool recompute);
    void SetRotationAxis(const D3DXVECTOR3& axis, bool recompute);
    void SetScale(float x, float y, float z, bool recompute);
    void ComputeWorldMatrix();
    const D3DXMATRIX& GetWorldMatrix() const { return m_world; }

    void SetSkipped(std::uint8_t on) { m_skipped = on; }
    std::uint8_t IsSkipped() const { return m_skipped; }

    virtual std::uint32_t GetFaceCount() const = 0;
    virtual common::CSphere GetTransformedBoundingSphere(const D3DXMATRIX& matrix) const = 0;
    common::CSphere GetWorldBoundingSphere() const { return GetTransformedBoundingSphere(m_world); }
    virtual void Prepare() = 0;
    virtual void AdvanceAnimation() = 0;
    virtual void Unload() = 0;

protected:
    D3DXVECTOR3 m_scale;
    float m_rotationAngle = 0.0f;
    D3DXVECTOR3 m_rotationAxis;
    D3DXVECTOR3 m_position;

private:
    std::string m_effectFileName;
    std::string m_techniqueName;
    std::unique_ptr<CTextureRef> m_texture;
    D3DXMATRIX m_world;
    std::uint8_t m_skipped = 0;
};

} // namespace gfx
} // namespace velm
