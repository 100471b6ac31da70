#include "engine/core/velm_camera.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "engine/phy/rigid_body.h"
#include "libs/common/math_util.h"

namespace velm {
namespace {

constexpr float kStartOffset = 50.0f;
constexpr float kPitchLimit = 1.4279966f;
constexpr float kMinRadius = 0.025f;
constexpr float kMaxRadius = 5000.0f;

constexpr float kHullHeight = 0.11f;
constexpr float kHullRadius = 0.34f;
constexpr float kHullMass = 20.0f;
constexpr unsigned int kHullLayers = 4;
constexpr unsigned int kHullSlices = 16;

D3DXVECTOR3 ToD3DX(const common::CVector3& v) { return D3DXVECTOR3(v.x, v.y, v.z); }

} // namespace

CVelmCamera::CVelmCamera(const std::shared_ptr<phy::CRigidBody>& body, const common::CVector3& target)
    : m_eye(target + common::CVector3(kStartOffset, kStartOffset, kStartOffset)), m_target(target), m_body(body) {
    ComputeSpherical();
}

CVelmCamera::~CVelmCamera() = default;

void CVelmCamera::Update(float) {}

void CVelmCamera::ComputeSpherical() {
    const common::CVector3 d = m_target - m_eye;
    const float radius = d.Length();
    m_radius = radius;
    // Coinciding points have no direction: the angles stay as they were.
    if (common::IsZero(radius)) {
        return;
    }
    m_yaw = std::atan2(d.z, d.x);
    // Rounding may push the ratio a hair past 1.
    m_pitch = std::asin(std::clamp(d.y / radius, -1.0f, 1.0f));
}

void CVelmCamera::PlaceMovingPoint() {
    const common::CVector3 v = m_radius * common::CVector3(std::cos(m_yaw) * std::cos(m_pitch), std::sin(m_pitch),
                                                           std::sin(m_yaw) * std::cos(m_pitch));
    if (m_mode == MODE_BODY) {
        m_eye = m_target - v;
    } else {
        m_target = m_eye + v;
    }
}

void CVelmCamera::SetEye(const common::CVector3& eye) {
    m_eye = eye;
    ComputeSpherical();
}

void CVelmCamera::SetTarget(float x, float y, float z) { SetTarget(common::CVector3(x, y, z)); }

void CVelmCamera::SetTarget(const common::CVector3& target) {
    m_target = target;
    ComputeSpherical();
}

void CVelmCamera::Translate(const common::CVector3& offset) {
    m_eye += offset;
    m_target += offset;
    ComputeSpherical();
}

void CVelmCamera::SetYaw(float yaw) {
    m_yaw = yaw;
    PlaceMovingPoint();
}

void CVelmCamera::SetPitch(float pitch) {
    m_pitch = common::Clamp(pitch, -kPitchLimit, kPitchLimit);
    PlaceMovingPoint();
}

void CVelmCamera::SetRadius(float radius) {
    m_radius = common::Clamp(radius, kMinRadius, kMaxRadius);
    PlaceMovingPoint();
}

void CVelmCamera::MoveLocal(const common::CVector3& offset) {
    const common::CVector3 forward = (m_target - m_eye).GetNormalized();
    const common::CVector3 right = forward.Cross(common::CVector3(0.0f, 1.0f, 0.0f)).GetNormalized();
    const common::CVector3 up = right.Cross(forward).GetNormalized();
    for (const common::CVector3& step : {offset.x * forward, offset.y * right, offset.z * up}) {
        m_eye += step;
        m_target += step;
    }
}

D3DXMATRIX CVelmCamera::GetViewMatrix() const {
    common::CVector3 eye = m_eye;
    if (m_mode == MODE_BODY && m_body) {
        eye = m_body->GetPosition();
    }
    const D3DXVECTOR3 from = ToD3DX(eye);
    const D3DXVECTOR3 at = ToD3DX(m_target);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &from, &at, &up);
    return view;
}

D3DXMATRIX CVelmCamera::GetProjectionMatrix() const {
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, m_fieldOfView, m_aspectRatio, m_nearPlane, m_farPlane);
    return projection;
}

void CVelmCamera::SetupBody() {
    if (!m_body) {
        return;
    }
    m_body->SetCylinderHull(kHullHeight, kHullRadius, kHullMass, kHullLayers, kHullSlices, false);
    m_body->GetRestitution() = 0.0f;
    m_body->GetStaticFriction() = 0.0f;
    m_body->GetDynamicFriction() = 0.0f;
}

} // namespace velm
