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

private:
    std::string m_settingsFile;
    velm::CModel* m_model = nullptr;
};

} // namespace kelvo
