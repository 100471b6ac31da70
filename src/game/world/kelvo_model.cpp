#include "game/world/kelvo_model.h"

#include "engine/events/event_manager.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/net/network_manager.h"
#include "engine/phy/rigid_body.h"
#include "game/events/game_events.h"
#include "game/world/race_context.h"
#include "libs/common/quaternion.h"

namespace kelvo {

common::CVector3 CKelvoModel::GetHeading() const { return GetOrientation().Rotate(m_forwardAxis); }

velm::gfx::IGfxUnit* CKelvoModel::GetGfxUnit() const { return dynamic_cast<velm::gfx::IGfxUnit*>(m_sceneNode); }

void CKelvoModel::CopyPoseFromUnit() {
    velm::gfx::IGfxUnit* unit = GetGfxUnit();
    if (unit == nullptr) {
        return;
    }
    const D3DXVECTOR3 axis = unit->GetRotationAxis();
    common::CQuaternion orientation;
    orientation.FromAxisAngle(common::CVector3(axis.x, axis.y, axis.z), unit->GetRotationAngle());
    SetOrientation(orientation);
    SetPosition(common::CVector3(unit->GetPosX(), unit->GetPosY(), unit->GetPosZ()));
}

void CKelvoModel::ServerPositionStep(float elapsed, float& accumulator, float interval, bool skipStatic) {
    if (!IsNetworkHost() || !m_body || m_body->IsAsleep() || (skipStatic && m_body->IsStatic())) {
        return;
    }
    accumulator += elapsed;
    if (accumulator > interval) {
        TriggerWorldEvent(
            CPositionUpdate(GetPosition(), GetLinearVelocity(), GetOrientation(), m_id, velm::net::GetLocalClientId()));
        accumulator = 0.0f;
    }
}

bool IsNetworkedGame() {
    IRaceContext* race = GetRaceContext();
    return race != nullptr && race->IsNetworked();
}

bool IsNetworkHost() { return IsNetworkedGame() && GetRaceContext()->IsHost(); }

bool IsNetworkClient() { return IsNetworkedGame() && !GetRaceContext()->IsHost(); }

void TriggerWorldEvent(const velm::CEvent& event) {
    if (velm::GetEventManager() != nullptr) {
        velm::TriggerEvent(event);
    }
}

void QueueWorldEvent(const velm::EventPtr& event) {
    if (velm::GetEventManager() != nullptr) {
        velm::QueueEvent(event);
    }
}

} // namespace kelvo
