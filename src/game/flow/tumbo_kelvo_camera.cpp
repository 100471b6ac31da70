#include "game/flow/tumbo_kelvo_camera.h"

#include "engine/core/model.h"

namespace kelvo {

namespace {

const common::CVector3 kChaseOffset(0.0f, 3.0f, 6.0f);

} // namespace

CTumboKelvoCamera::CTumboKelvoCamera(const std::string& settingsFile)
    : velm::CVelmCamera(nullptr, common::CVector3()), m_settingsFile(settingsFile) {
    SetEye(kChaseOffset);
}

void CTumboKelvoCamera::SetTarget(velm::CModel* model) {
    m_model = model;
    Update(0.0f);
}

void CTumboKelvoCamera::Update(float /*elapsed*/) {
    if (m_model == nullptr) {
        return;
    }
    const common::CVector3 target = m_model->GetPosition();
    velm::CVelmCamera::SetTarget(target);
    SetEye(target + kChaseOffset);
}

} // namespace kelvo
