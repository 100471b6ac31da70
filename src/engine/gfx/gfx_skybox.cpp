#include "engine/gfx/gfx_skybox.h"

namespace velm {
namespace gfx {
namespace {

constexpr float kPi = 3.14159265f;
constexpr float kHalfPi = 1.5707964f;

struct SFaceLayout {
    float angle;
    D3DXVECTOR3 axis;
    bool turned;
    D3DXVECTOR3 position;
};

} // namespace

void CGFXSkyBox::Create(float scalar, const std::array<std::string, kFaceCount>& textureNames) {
    ReleaseFaces();
    SGfxUnitLoadInfo info;
    info.effectFileName = "Skybox.fx";
    info.techniqueName = "RenderSkybox";
    const SFaceLayout layouts[kFaceCount] = {
        {kHalfPi, D3DXVECTOR3(0.0f, 1.0f, 0.0f), true, D3DXVECTOR3(1.0f, 0.0f, 0.0f)},
        {-kHalfPi, D3DXVECTOR3(0.0f, 1.0f, 0.0f), true, D3DXVECTOR3(-1.0f, 0.0f, 0.0f)},
        {-kHalfPi, D3DXVECTOR3(1.0f, 0.0f, 0.0f), true, D3DXVECTOR3(0.0f, 1.0f, 0.0f)},
        {kHalfPi, D3DXVECTOR3(1.0f, 0.0f, 0.0f), true, D3DXVECTOR3(0.0f, -1.0f, 0.0f)},
        {0.0f, D3DXVECTOR3(0.0f, 0.0f, 0.0f), false, D3DXVECTOR3(0.0f, 0.0f, 1.0f)},
        {kPi, D3DXVECTOR3(0.0f, 1.0f, 0.0f), true, D3DXVECTOR3(0.0f, 0.0f, -1.0f)},
    };
    for (std::size_t i = 0; i < kFaceCount; ++i) {
        auto face = std::make_unique<C3DQuad>();
        face->Load(info);
        const SFaceLayout& layout = layouts[i];
        if (layout.turned) {
            face->SetRotationAngle(layout.angle, false);
            face->SetRotationAxis(layout.axis, false);
        }
        face->SetPosition(layout.position.x, layout.position.y, layout.position.z, false);
        face->SetScale(scalar, scalar, scalar, true);
        face->LoadTexture(textureNames[i], 4);
        m_faces[i] = std::move(face);
    }
}

void CGFXSkyBox::FollowCamera(float x, float y, float z) {
    if (!HasAllFaces()) {
        return;
    }
    const float h = m_faces[kLeft]->GetScaleX() * 0.5f;
    m_faces[kRight]->SetPosition(x + h, y, z, true);
    m_faces[kLeft]->SetPosition(x - h, y, z, true);
    m_faces[kUp]->SetPosition(x, y + h, z, true);
    m_faces[kDown]->SetPosition(x, y - h, z, true);
    m_faces[kFront]->SetPosition(x, y, z + h, true);
    m_faces[kBack]->SetPosition(x, y, z - h, true);
}

void CGFXSkyBox::ReleaseFaces() {
    for (auto& face : m_faces) {
        face.reset();
    }
}

bool CGFXSkyBox::HasAllFaces() const {
    for (const auto& face : m_faces) {
        if (face == nullptr) {
            return false;
        }
    }
    return true;
}

} // namespace gfx
} // namespace velm
