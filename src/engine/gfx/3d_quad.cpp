#include "engine/gfx/3d_quad.h"

namespace velm {
namespace gfx {
namespace {

float s_cameraYaw = 0.0f;
D3DXVECTOR3 s_viewDirection(0.0f, 0.0f, 1.0f);

constexpr float kPi = 3.14159265f;
constexpr float kQuarterTurn = 1.5707964f;
constexpr float kThreeQuarterTurns = 4.712389f;

} // namespace

D3DXMATRIX C3DQuad::GetFrameWorldMatrix(const std::string&) const {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return identity;
}

void C3DQuad::Load(const SGfxUnitLoadInfo& info) {
    Unload();
    SetEffectFileName(info.effectFileName);
    SetMeshFileName(info.meshFileName);
    SetTechniqueName(info.techniqueName);
    std::vector<SMeshVertex> vertices(4, SMeshVertex{});
    const float corners[4][4] = {
        {-0.5f, 0.5f, 0.0f, 0.0f}, {0.5f, 0.5f, 1.0f, 0.0f}, {0.5f, -0.5f, 1.0f, 1.0f}, {-0.5f, -0.5f, 0.0f, 1.0f}};
    for (std::size_t i = 0; i < 4; ++i) {
        vertices[i].position = D3DXVECTOR3(corners[i][0], corners[i][1], 0.0f);
        vertices[i].u = corners[i][2];
        vertices[i].v = corners[i][3];
    }
    SetOwnGeometry(std::move(vertices), {0, 1, 2, 0, 2, 3});
}

void C3DQuad::Prepare() {
    AdvanceAnimation();
    FillRenderRecord(4, 2, nullptr);
    PrepareAttachedUnits();
}

void C3DQuad::Unload() { FreeOwnGeometry(); }

void CGfxBillboardObj::SetCamera(float yaw, const D3DXVECTOR3& viewDirection) {
    s_cameraYaw = yaw;
    s_viewDirection = viewDirection;
}

float CGfxBillboardObj::GetCameraYaw() { return s_cameraYaw; }

D3DXVECTOR3 CGfxBillboardObj::GetCameraViewDirection() { return s_viewDirection; }

void CGfxBillboardObj::Init() {
    SGfxUnitLoadInfo info;
    info.effectFileName = "Billboard.fx";
    info.techniqueName = "RenderBillboard";
    Load(info);
    SetRotationAxis(D3DXVECTOR3(0.0f, 1.0f, 0.0f), false);
    SetRotationAngle(kPi, true);
}

void CGfxBillboardObj::Update(double, float) {
    const float angle = s_viewDirection.x > 0.0f ? s_cameraYaw + kQuarterTurn : s_cameraYaw - kThreeQuarterTurns;
    SetRotationAxis(D3DXVECTOR3(0.0f, 1.0f, 0.0f), false);
    SetRotationAngle(angle, true);
}

} // namespace gfx
} // namespace velm
