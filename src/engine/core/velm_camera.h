// velm::CVelmCamera, the engine's camera: an eye and a target kept in step with the spherical
// coordinates (radius, pitch, yaw) of the target seen from the eye, the projection settings,
// and a rigid body (shared with the physics world) that carries the eye in body mode. Builds the
// left-handed view and projection matrices graphics draws with. Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "libs/common/vector3.h"
#include "platform/d3d9/d3dx9_math.h"

namespace velm {

namespace phy {
class CRigidBody;
}

class CVelmCamera {
public:
    static constexpr std::uint8_t MODE_BODY = 1;

    // The eye starts at target + (50, 50, 50).
    CVelmCamera(const std::shared_ptr<phy::CRigidBody>& body, const common::CVector3& target);
    CVelmCamera(const CVelmCamera&) = delete;
    CVelmCamera& operator=(const CVelmCamera&) = delete;

    // Nothing in the base; the game's cameras drive themselves here once per frame.
    virtual void Update(float elapsed);
    virtual ~CVelmCamera();

    common::CVector3 GetEye() const { return m_eye; }
    common::CVector3 GetTarget() const { return m_target; }
    float GetRadius() const { return m_radius; }
    float GetPitch() const { return m_pitch; }
    float GetYaw() const { return m_yaw; }
    float GetFieldOfView() const { return m_fieldOfView; }
    float GetAspectRatio() const { return m_aspectRatio; }
    float GetNearPlane() const { return m_nearPlane; }
    float GetFarPlane() const { return m_farPlane; }
    std::uint8_t GetMode() const { return m_mode; }
    const std::shared_ptr<phy::CRigidBody>& GetBody() const { return m_body; }

    void SetMode(std::uint8_t mode) { m_mode = mode; }
    void SetNearPlane(float nearPlane) { m_nearPlane = nearPlane; }
    void SetFarPlane(float farPlane) { m_farPlane = farPlane; }

    void SetEye(const common::CVector3& eye);
    void SetTarget(float x, float y, float z);
    void SetTarget(const common::CVector3& target);
    void Translate(const common::CVector3& offset);

    // Free mode moves the target around the eye; body mode moves the eye around the target.
    void SetYaw(float yaw);
    // Clamped to about +-81.8 degrees.
    void SetPitch(float pitch);
    // Clamped to 0.025 .. 5000.
    void SetRadius(float radius);
    // x along the view direction, y to the right, z up, in the camera's own frame.
    void MoveLocal(const common::CVector3& offset);

    D3DXMATRIX GetViewMatrix() const;
    D3DXMATRIX GetProjectionMatrix() const;

    void SetupBody();

protected:
    void ComputeSpherical();
    void PlaceMovingPoint();

    common::CVector3 m_eye;
    common::CVector3 m_target;
    float m_radius = 0.0f;
    float m_pitch = 0.0f;
    float m_yaw = 0.0f;
    // Until the derived camera sets its own.
    float m_fieldOfView = 0.785398163f;
    float m_aspectRatio = 1.0f;
    float m_nearPlane = 1.0f;
    float m_farPlane = 1000.0f;
    std::uint8_t m_mode = 0;
    std::shared_ptr<phy::CRigidBody> m_body;
};

} // namespace velm
