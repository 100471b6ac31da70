#include "game/world/env_obj.h"

#include "engine/core/sound.h"
#include "engine/core/sound_system.h"
#include "engine/core/velm_app.h"
#include "game/world/item_states.h"
#include "game/world/object_type.h"
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
    if (m_sound != nullptr && m_stopped == 0) {
        m_sound->SetPosition(m_model->GetPosition());
    }
}

void CEnvObjView::Play(int loop) {
    m_stopped = 0;
    velm::CVelmApp* app = velm::GetApp();
    if (m_sound != nullptr && app != nullptr && app->GetSoundSystem() != nullptr) {
        app->GetSoundSystem()->PlaySound(m_sound, false, loop);
    }
}

void CEnvObjView::Stop() {
    m_stopped = 1;
    if (m_sound != nullptr) {
        m_sound->Stop();
    }
}

} // namespace kelvo
