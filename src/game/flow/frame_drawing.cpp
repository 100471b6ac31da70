#include "game/flow/frame_drawing.h"

#include <vector>

#include "engine/core/velm_camera.h"
#include "engine/core/view.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/velm_gfx.h"

namespace kelvo {

namespace {

constexpr float kWideFrustumScale = 1.5f;
constexpr std::uint32_t kMovingViewKind = 4;
constexpr std::uint32_t kLightViewKind = 5;

struct SProjection {
    float m_fov = -1.0f;
    float m_aspect = -1.0f;
    float m_near = -1.0f;
    float m_far = -1.0f;
    bool operator!=(const SProjection& o) const {
        return m_fov != o.m_fov || m_aspect != o.m_aspect || m_near != o.m_near || m_far != o.m_far;
    }
};

SProjection g_lastProjection;

D3DXVECTOR3 D3D(const common::CVector3& v) { return D3DXVECTOR3(v.x, v.y, v.z); }

} // namespace

void HandCameraToGraphics(const velm::CVelmCamera& camera) {
    velm::gfx::CGFXCore& core = velm::gfx::GFXCore::Instance();
    core.SetViewMatrix(camera.GetViewMatrix());
    core.SetProjectionMatrix(camera.GetProjectionMatrix());
    core.CameraEye() = D3D(camera.GetEye());
    core.CameraTarget() = D3D(camera.GetTarget());
    const SProjection now{camera.GetFieldOfView(), camera.GetAspectRatio(), camera.GetNearPlane(),
                          camera.GetFarPlane()};
    if (now != g_lastProjection) {
        core.GetFrustum().Update(now.m_fov, now.m_aspect, now.m_near, now.m_far);
        core.GetWideFrustum().Update(now.m_fov * kWideFrustumScale, now.m_aspect, now.m_near, now.m_far);
        g_lastProjection = now;
    }
}

void CullFrameUnits(velm::gfx::CVelmGfx& gfx, const velm::CVelmGame::ViewMap& views) {
    std::vector<velm::gfx::IGfxUnit*> particles;
    velm::gfx::GatherParticleUnits(&particles);
    gfx.CullParticleUnits(particles);
    std::vector<velm::gfx::IGfxUnit*> units;
    units.reserve(views.size());
    for (const auto& entry : views) {
        const velm::CView* view = entry.second;
        const std::uint32_t kind = view->GetKind();
        if (kind != kMovingViewKind && kind != kLightViewKind) {
            continue;
        }
        auto* unit = dynamic_cast<velm::gfx::IGfxUnit*>(view->GetSceneObject());
        if (unit != nullptr && unit->IsSkipped() == 0) {
            units.push_back(unit);
        }
    }
    gfx.CullDynamicUnits(units);
}

} // namespace kelvo
