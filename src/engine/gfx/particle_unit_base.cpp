#include "engine/gfx/particle_unit_base.h"

#include "engine/gfx/texture_cache.h"

namespace velm {
namespace gfx {
namespace {
constexpr std::uint32_t kBaseSlot = 4;
} // namespace

CParticleUnitBase::CParticleUnitBase()
    : m_scale(1.0f, 1.0f, 1.0f), m_rotationAxis(1.0f, 0.0f, 0.0f), m_texture(std::make_unique<CTextureRef>()) {
    D3DXMatrixIdentity(&m_world);
}

CParticleUnitBase::~CParticleUnitBase() = default;

void CParticleUnitBase::LoadTexture(const std::string& fileName, std::uint32_t slot) {
    if (slot == kBaseSlot && !fileName.empty() && fileName != "none") {
        m_texture->SetFile(fileName);
    }
}

CTextureRef* CParticleUnitBase::GetTexture(std::uint32_t slot) const {
    return slot == kBaseSlot ? m_texture.get() : nullptr;
}

void CParticleUnitBase::SetPosition(float x, float y, float z, bool recompute) {
    m_position = D3DXVECTOR3(x, y, z);
    if (recompute) {
        ComputeWorldMatrix();
    }
}

void CParticleUnitBase::SetRotationAngle(float angle, bool recompute) {
    m_rotationAngle = angle;
    if (recompute) {
        ComputeWorldMatrix();
    }
}

void CParticleUnitBase::SetRotationAxis(const D3DXVECTOR3& axis, bool recompute) {
    m_rotationAxis = axis;
    if (recompute) {
        ComputeWorldMatrix();
    }
}

void CParticleUnitBase::SetScale(float x, float y, float z, bool recompute) {
    m_scale = D3DXVECTOR3(x, y, z);
    if (recompute) {
        ComputeWorldMatrix();
    }
}

void CParticleUnitBase::ComputeWorldMatrix() {
    D3DXMATRIX scaling;
    D3DXMATRIX rotation;
    D3DXMATRIX translation;
    D3DXMatrixScaling(&scaling, m_scale.x, m_scale.y, m_scale.z);
    D3DXMatrixRotationAxis(&rotation, &m_rotationAxis, m_rotationAngle);
    D3DXMatrixTranslation(&translation, m_position.x, m_position.y, m_position.z);
    D3DXMatrixMultiply(&m_world, &scaling, &rotation);
    D3DXMatrixMultiply(&m_world, &m_world, &translation);
}

} // namespace gfx
} // namespace velm
