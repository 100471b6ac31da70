// kelvo::CTumboKelvoCamera, the race camera that follows one racer; each racer controller owns
// one and rebuilds its steering directions from it. Main thread only.
#pragma once

#include <string>

#include "engine/core/velm_camera.h"

namespace velm {
class CModel;
}

namespace kelvo {

class CTumboKelvoCamera : public velm::CVelmCamera {
public:
    // The settings file is named for the camera's set-up; until it is read the camera keeps a
    // fixed chase offset behind and above its target, looking down the course (-z).
    explicit CTumboKelvoCamera(const std::string& settingsFile);

    using velm::CVelmCamera::SetTarget;
    // The model is not owned; it outlives the controller that owns this camera.
    void SetTarget(velm::CModel* model);
    void Update(float elapsed) override;

    const std::string& GetSettingsFile() const { return m_settingsFile; }

    // Moves the target, radius, yaw and pitch evenly to their end values over `duration`
    // seconds, orbiting the target. A duration of zero or less puts the camera at the end at once.
    void StartTransition(const common::CVector3& endTarget, float duration, float endRadius, float endYaw,
                         float endPitch);
    bool IsTransitionRunning() const { return m_transitionRunning; }

private:
    void StepTransition(float elapsed);

    bool m_transitionRunning = false;
    common::CVector3 m_targetVelocity;
    float m_radiusRate = 0.0f;
    float m_yawRate = 0.0f;
    float m_pitchRate = 0.0f;
    float m_duration = 0.0f;
    float m_transitionTime = 0.0f;

    std::string m_settingsFile;
    velm::CModel* m_model = nullptr;
};

} // namespace kelvo
