// kelvo::CTumboKelvoCamera, the game's camera: read from a camera file, it follows a racer from
// behind, runs timed moves between fixed views, and in free mode flies with the keypad and the
// mouse. It owns its rigid body through the engine camera. Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/velm_camera.h"
#include "game/content/data_files.h"

namespace velm {
class CModel;
namespace input {
struct SInputEvent;
}
} // namespace velm

namespace kelvo {

class CTumboKelvoCamera : public velm::CVelmCamera {
public:
    // Reads `folder` + `settingsFile`; a missing file or element reads as 0 (the engine camera
    // clamps the radius and pitch).
    explicit CTumboKelvoCamera(const std::string& settingsFile, const std::string& folder = kXmlDataFolder);
    // Takes the camera's object out of the physics world before the body goes.
    ~CTumboKelvoCamera() override;

    using velm::CVelmCamera::SetTarget;
    // Null stops following and changes nothing else. The model is not owned and must outlive
    // the following (or be cleared first).
    void SetTarget(velm::CModel* model);
    void Update(float elapsed) override;
    // The graphics core draws the frame from this camera's matrices, eye and target.
    void GiveToGraphics() const;
    // Flies a free camera; never consumes the event.
    bool HandleInput(const velm::input::SInputEvent& event);

    // Moves the target, radius, yaw and pitch evenly to their end values over `duration`
    // seconds, orbiting the target. A duration of zero or less puts the camera at the end at once.
    void StartTransition(const common::CVector3& endTarget, float duration, float endRadius, float endYaw,
                         float endPitch);
    bool IsTransitionRunning() const { return m_transitionRunning != 0; }
    float GetTransitionTime() const { return m_transitionTime; }

    // The console's switch for keypad and mouse flight.
    void ToggleMove() { m_inputEnabled = m_inputEnabled != 0 ? 0 : 1; }
    bool IsInputEnabled() const { return m_inputEnabled != 0; }

    const std::string& GetSettingsFile() const { return m_settingsFile; }
    velm::CModel* GetFollowedModel() const { return m_model; }
    std::uint32_t GetObjectId() const { return m_objectId; }
    void SetObjectId(std::uint32_t id) { m_objectId = id; }
    float GetMaxSpeed() const { return m_maxSpeed; }
    float GetMaxRadius() const { return m_maxRadius; }
    float GetFieldOfView() const { return m_fieldOfView; }

    bool IsMoving() const { return m_moving != 0; }
    void SetMoving(bool moving) { m_moving = moving ? 1 : 0; }
    const common::CVector3& GetMoveVector() const { return m_moveVector; }
    void SetMoveVector(const common::CVector3& v) { m_moveVector = v; }
    float GetMoveSpeed() const { return m_moveSpeed; }
    void SetMoveSpeed(float speed) { m_moveSpeed = speed; }
    // Sets the target without recomputing the angles, as the camera toggle hands it over.
    void PlaceTarget(const common::CVector3& target) { m_target = target; }
    // Following its body, the camera draws from the body's place: this puts the body at the eye.
    void PlaceBodyAtEye();

private:
    void ReadSettings(const std::string& path);

    std::string m_settingsFile;
    velm::CModel* m_model = nullptr;
    common::CVector3 m_lastFollowed;
    std::uint32_t m_objectId = 0;
    float m_maxSpeed = 0.0f;
    float m_maxRadius = 0.0f;
    float m_racerRadius = 0.0f;
    float m_racerAzimuth = 0.0f;
    float m_racerLatitude = 0.0f;
    std::uint8_t m_moving = 0;
    common::CVector3 m_moveVector;
    float m_moveSpeed = 0.0f;
    std::uint8_t m_inputEnabled = 1;
    std::uint8_t m_transitionRunning = 0;
    common::CVector3 m_targetVelocity;
    float m_radiusRate = 0.0f;
    float m_yawRate = 0.0f;
    float m_pitchRate = 0.0f;
    float m_duration = 0.0f;
    float m_endRadius = 0.0f;
    float m_endYaw = 0.0f;
    float m_endPitch = 0.0f;
    float m_transitionTime = 0.0f;
    common::CVector3 m_endTarget;
};

} // namespace kelvo
