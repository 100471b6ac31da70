#include "engine/core/picker.h"

#include <cmath>
#include <limits>

#include "engine/core/input_event.h"
#include "engine/core/model.h"
#include "engine/core/velm_app.h"
#include "engine/core/velm_camera.h"
#include "engine/core/velm_game.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_unit.h"

namespace velm {

namespace {

const float kPickStartDistance = std::numeric_limits<float>::infinity();

gfx::IGfxUnit* UnitOf(const CModel* model) { return dynamic_cast<gfx::IGfxUnit*>(model->GetSceneNode()); }

} // namespace

CVelmGame* CPicker::Game() const {
    if (m_game != nullptr) {
        return m_game;
    }
    CVelmApp* app = GetApp();
    return app != nullptr ? app->GetGame() : nullptr;
}

bool CPicker::HandleInput(const input::SInputEvent& event) {
    if (!m_enabled || event.m_code != input::MOUSE_BUTTON_0 || !input::IsPressed(event) || !m_cursor) {
        return false;
    }
    int x = 0;
    int y = 0;
    if (m_cursor(x, y)) {
        Pick(common::CVector3(static_cast<float>(x), static_cast<float>(y), 0.0f));
    }
    return false;
}

void CPicker::Pick(const common::CVector3& screenPoint) {
    CVelmGame* game = Game();
    if (!m_enabled || game == nullptr || game->GetCamera() == nullptr) {
        return;
    }
    const gfx::CGFXCore& core = gfx::GFXCore::Instance();
    D3DVIEWPORT9 viewport{};
    if (core.GetDevice() == nullptr || FAILED(core.GetDevice()->GetViewport(&viewport))) {
        viewport.Width = static_cast<DWORD>(core.GetScreenWidth());
        viewport.Height = static_cast<DWORD>(core.GetScreenHeight());
        viewport.MaxZ = 1.0f;
    }
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    const D3DXVECTOR3 in(screenPoint.x, screenPoint.y, 0.0f);
    D3DXVECTOR3 nearPoint;
    if (D3DXVec3Unproject(&nearPoint, &in, &viewport, &core.GetProjectionMatrix(), &core.GetViewMatrix(), &world) ==
        nullptr) {
        return;
    }
    const common::CVector3 eye = game->GetCamera()->GetEye();
    PickAlongRay(eye, (common::CVector3(nearPoint.x, nearPoint.y, nearPoint.z) - eye).GetNormalized());
}

void CPicker::PickAlongRay(const common::CVector3& origin, const common::CVector3& direction) {
    CVelmGame* game = Game();
    if (!m_enabled || game == nullptr) {
        return;
    }
    float best = kPickStartDistance;
    bool found = false;
    const CVelmGame::ModelMap models = game->GetModels();
    for (const auto& [id, model] : models) {
        // Models without graphics cannot be seen, so they are passed over rather than ending
        // the walk and hiding every later model.
        const gfx::IGfxUnit* unit = model != nullptr ? UnitOf(model) : nullptr;
        if (unit == nullptr) {
            continue;
        }
        float t = 0.0f;
        if (RaySphere(origin, direction, unit->GetWorldBoundingSphere(), t) && t < best) {
            best = t;
            found = true;
            if (m_hasSelection) {
                SetMark(m_selectedId, 0);
            }
            m_selectedId = id;
            m_hasSelection = true;
        }
    }
    if (found) {
        SetMark(m_selectedId, 1);
    }
}

bool CPicker::RaySphere(const common::CVector3& origin, const common::CVector3& direction,
                        const common::CSphere& sphere, float& distance) {
    const float length = direction.Length();
    if (!(length > 0.0f)) {
        return false;
    }
    const common::CVector3 toCentre = sphere.centre - origin;
    const float centreSq = toCentre.Dot(toCentre);
    const float radiusSq = sphere.radius * sphere.radius;
    const bool inside = centreSq < radiusSq;
    const float tca = toCentre.Dot(direction) / length;
    // From inside the sphere the ray always leaves it, even pointing away from the centre.
    if (!inside && tca < 0.0f) {
        return false;
    }
    const float missSq = centreSq - tca * tca;
    if (missSq > radiusSq) {
        return false;
    }
    const float thc = std::sqrt(radiusSq - missSq);
    distance = inside ? tca + thc : tca - thc;
    return true;
}

CModel* CPicker::GetSelected() const {
    CVelmGame* game = Game();
    if (!m_hasSelection || game == nullptr) {
        return nullptr;
    }
    return game->FindModel(m_selectedId);
}

void CPicker::Select(std::uint32_t id) {
    if (m_hasSelection) {
        SetMark(m_selectedId, 0);
    }
    m_selectedId = id;
    m_hasSelection = true;
    SetMark(id, 1);
}

void CPicker::ClearSelection() {
    if (m_hasSelection) {
        SetMark(m_selectedId, 0);
    }
    m_hasSelection = false;
    m_selectedId = 0;
}

void CPicker::SetMark(std::uint32_t id, std::uint8_t flag) const {
    CVelmGame* game = Game();
    CModel* model = game != nullptr ? game->FindModel(id) : nullptr;
    gfx::IGfxUnit* unit = model != nullptr ? UnitOf(model) : nullptr;
    if (unit != nullptr) {
        unit->SetOptionFlag(flag);
    }
}

} // namespace velm
