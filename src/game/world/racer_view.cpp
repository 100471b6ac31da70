#include "game/world/racer_view.h"

#include "engine/core/model.h"
#include "engine/core/sound.h"
#include "engine/core/sound_system.h"
#include "engine/core/velm_app.h"
#include "engine/gfx/gfx_unit.h"
#include "libs/common/quaternion.h"

namespace kelvo {

namespace {

velm::CSoundSystem* Sounds() {
    velm::CVelmApp* app = velm::GetApp();
    return app != nullptr ? app->GetSoundSystem() : nullptr;
}

} // namespace

void UpdateUnitFromModel(velm::CModel* model, velm::ISceneUnit* unit, double time, float elapsed) {
    if (unit == nullptr) {
        return;
    }
    unit->Update(time, elapsed);
    auto* gfx = dynamic_cast<velm::gfx::IGfxUnit*>(unit);
    if (gfx == nullptr || model == nullptr || model->IsAttached()) {
        return;
    }
    common::CQuaternion orientation = model->GetOrientation();
    orientation.Normalize();
    common::CVector3 axis;
    float angle = 0.0f;
    orientation.ToAxisAngle(axis, angle);
    gfx->SetRotationAngle(angle, false);
    gfx->SetRotationAxis(D3DXVECTOR3(axis.x, axis.y, axis.z), false);
    const common::CVector3 position = model->GetPosition();
    gfx->SetPosition(position.x, position.y, position.z, true);
}

velm::CSound* Create3DSound(const std::string& fileName, velm::CModel* model) {
    velm::CSoundSystem* sounds = Sounds();
    if (sounds == nullptr || model == nullptr) {
        return nullptr;
    }
    return sounds->CreateSound3D(fileName, model->GetPosition());
}

CRacerView::CRacerView(velm::CModel* model, velm::ISceneUnit* sceneObject) : velm::CView(model, sceneObject) {
    if (m_sceneObject != nullptr) {
        m_sceneObject->SetAnimation(4, true);
    }
}

void CRacerView::SetupSounds(const std::vector<std::string>& sounds) {
    velm::CSound** slots[] = {&m_hurt, &m_slap, &m_fall};
    for (std::size_t i = 0; i < 3 && i < sounds.size(); ++i) {
        *slots[i] = Create3DSound(sounds[i], m_model);
    }
}

void CRacerView::Update(double time, float elapsed) {
    UpdateUnitFromModel(m_model, m_sceneObject, time, elapsed);
    for (velm::CSound* sound : {m_hurt, m_slap, m_fall}) {
        if (sound != nullptr && sound->IsPlaying()) {
            sound->SetPosition(m_model->GetPosition());
        }
    }
}

void CRacerView::Play(velm::CSound* sound, int loop) {
    velm::CSoundSystem* sounds = Sounds();
    if (sound != nullptr && sounds != nullptr) {
        sounds->PlaySound(sound, false, loop);
    }
}

void CRacerView::PlayHurtSound() { Play(m_hurt, 0); }

void CRacerView::PlaySlapSound() { Play(m_slap, 0); }

void CRacerView::PlayFallSound() { Play(m_fall, 1); }

void CRacerView::PauseFallSound() {
    if (m_fall != nullptr) {
        m_fall->Pause();
    }
}

} // namespace kelvo
