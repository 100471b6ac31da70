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

void CTumboKelvoCamera::StartTransition(const common::CVector3& endTarget, float duration, float endRadius,
                                        float endYaw, float endPitch) {
    SetMode(MODE_BODY);
    if (!(duration > 0.0f)) {
        // No time to spread the move over: the rates would divide by zero.
        m_transitionRunning = false;
        velm::CVelmCamera::SetTarget(endTarget);
        SetYaw(endYaw);
        SetPitch(endPitch);
        SetRadius(endRadius);
        return;
    }
    m_transitionRunning = true;
    const float inverse = 1.0f / duration;
    m_targetVelocity = (endTarget - m_target) * inverse;
    m_radiusRate = (endRadius - m_radius) * inverse;
    m_yawRate = (endYaw - m_yaw) * inverse;
    m_pitchRate = (endPitch - m_pitch) * inverse;
    m_duration = duration;
    m_transitionTime = 0.0f;
}

void CTumboKelvoCamera::StepTransition(float elapsed) {
    float step = elapsed;
    if (m_transitionTime + elapsed >= m_duration) {
        // The last step ends exactly at the duration.
        step = m_duration - m_transitionTime;
        m_transitionRunning = false;
    } else {
        m_transitionTime += elapsed;
    }
    m_target = m_target + m_targetVelocity * step;
    SetYaw(m_yaw + step * m_yawRate);
    SetPitch(m_pitch + step * m_pitchRate);
    SetRadius(m_radius + step * m_radiusRate);
}

void CTumboKelvoCamera::Update(float elapsed) {
    if (m_transitionRunning) {
        StepTransition(elapsed);
    }
    if (m_model == nullptr) {
        return;
    }
    const common::CVector3 target = m_model->GetPosition();
    velm::CVelmCamera::SetTarget(target);
    SetEye(target + kChaseOffset);
}

} // namespace kelvo
