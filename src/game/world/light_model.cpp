#include "game/world/light_model.h"

#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/lights_manager.h"

namespace kelvo {

CLightModel::CLightModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id)
    : CKelvoModel(body, id) {}

CLightModel::~CLightModel() { delete m_ownUnit; }

void CLightModel::SetOwnUnit(velm::gfx::IGfxUnit* unit) {
    if (unit != m_ownUnit) {
        delete m_ownUnit;
        m_ownUnit = unit;
    }
}

void CLightModel::SetPosition(const common::CVector3& position, bool updateLight) {
    CKelvoModel::SetPosition(position);
    m_light.Position.x = position.x;
    m_light.Position.y = position.y;
    m_light.Position.z = position.z;
    if (updateLight) {
        velm::gfx::LightsManager::Instance().SetLight(m_light, 0);
    }
}

void CLightView::Update(double time, float elapsed) {
    const common::CVector3 position = m_model->GetPosition();
    if (auto* unit = dynamic_cast<velm::gfx::IGfxUnit*>(m_sceneObject)) {
        unit->SetPosition(position.x, position.y, position.z, true);
    }
    auto* light = dynamic_cast<CLightModel*>(m_model);
    if (light != nullptr && light->GetOwnUnit() != nullptr) {
        light->GetOwnUnit()->Update(time, elapsed);
        light->GetOwnUnit()->SetPosition(position.x, position.y, position.z, true);
    }
}

} // namespace kelvo
