#include "game/world/env_obj.h"

#include "game/content/object_type.h"
#include "game/world/item_states.h"
#include "game/world/racer_view.h"
#include "libs/common/state_machine.h"

namespace kelvo {

CEnvObjModel::CEnvObjModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id)
    : CKelvoModel(body, id) {
    m_stateMachine = new common::CStateMachine();
}

void CEnvObjModel::CreateStateMachine() {
    if (m_objectType == OBJECT_GEYSER) {
        BuildGeyserMachine(this);
    }
}

void CEnvObjModel::Update(double /*time*/, float elapsed) {
    m_stateMachine->Update();
    if (IsAttached()) {
        CopyPoseFromUnit();
    }
    ServerPositionStep(elapsed, m_positionAccumulator, m_positionInterval, true);
}

void CEnvObjView::SetupSounds(const std::vector<std::string>& sounds) {
    if (sounds.size() == 1) {
        m_sound = Create3DSound(sounds.front(), m_model);
    }
}

void CEnvObjView::Update(double time, float elapsed) {
    if (m_kind == 4) {
        UpdateUnitFromModel(m_model, m_sceneObject, time, elapsed);
    }
    FollowModel();
}

} // namespace kelvo
