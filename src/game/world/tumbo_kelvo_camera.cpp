#include "game/world/tumbo_kelvo_camera.h"

#include <cmath>
#include <iostream>
#include <memory>

#include "engine/core/model.h"
#include "engine/core/velm_app.h"
#include "engine/gfx/gfx_core.h"
#include "engine/input/input_event.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "game/world/shipped_cameras.h"
#include "libs/common/checked_number.h"
#include "libs/common/string_util.h"
#include "libs/common/xml_reader.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

namespace {

constexpr std::uint32_t kPressed = 0;
constexpr std::uint32_t kReleased = 1;
constexpr float kMouseTurn = 0.02f;
constexpr float kKeyTurn = 0.02f;
constexpr float kKeyTilt = 0.05f;
constexpr float kKeyZoom = 0.75f;
constexpr float kKeySlide = 0.5f;
// The target sits this far above the followed racer's position.
constexpr float kFollowRise = 0.5f;
constexpr float kHalfTurn = 3.14159265f;

// Places, directions and angles; a radius from a hundredth of a metre, so that the eye never sits
// on its target; a speed of flight that cannot be negative.
constexpr common::SNumberBounds kPlace = common::kAnyDataNumber;
constexpr common::SNumberBounds kRadius = {0.01, common::kAnyDataNumber.highest, 1.0};
constexpr common::SNumberBounds kSpeed = {0.0, common::kAnyDataNumber.highest, 0.0};

float Value(const common::CXmlReader& reader, const char* name, const common::SNumberBounds& bounds = kPlace) {
    return common::ReadFloat(reader, name, bounds);
}

} // namespace

CTumboKelvoCamera::CTumboKelvoCamera(const std::string& settingsFile, const std::string& folder)
    : velm::CVelmCamera(std::make_shared<velm::phy::CRigidBody>(), common::CVector3()), m_settingsFile(settingsFile) {
    ReadSettings(folder + settingsFile);
}

CTumboKelvoCamera::~CTumboKelvoCamera() {
    // Cameras that were never registered keep id 0, which is no object of theirs to remove.
    velm::CVelmApp* app = velm::GetApp();
    if (m_objectId != 0 && app != nullptr && app->GetPhysicsWorld() != nullptr) {
        app->GetPhysicsWorld()->RemoveObject(m_objectId);
    }
}

void CTumboKelvoCamera::ReadSettings(const std::string& path) {
    common::CXmlReader reader;
    const char* shipped = ShippedCamera(m_settingsFile);
    if (shipped != nullptr) {
        reader.SetShipped(shipped);
    }
    const bool loaded =
        reader.LoadContent(path, shipped != nullptr ? "the camera is as shipped" : "every camera value reads as 0");
    reader.Enter("Camera");
    // The file's scope and the element's: fewer means the file holds no camera. With the shipped
    // camera behind it, the reader says so itself.
    constexpr std::uint32_t kCameraScope = 2;
    if (shipped == nullptr && loaded && reader.GetScopeCount() < kCameraScope) {
        std::cerr << path << ": no Camera element; every camera value reads as 0\n";
    }
    SetMode(common::StringToInt(reader.GetValue("Locked")) == 1 ? MODE_BODY : 0);
    m_maxSpeed = Value(reader, "MaxSpeed", kSpeed);
    const float moveX = Value(reader, "MoveVecX");
    const float moveY = Value(reader, "MoveVecY");
    const float moveZ = Value(reader, "MoveVecZ");
    m_moveVector = common::CVector3(moveX, moveY, moveZ);
    m_moving = 0;
    m_moveSpeed = Value(reader, "MoveSpeed");
    const float targetX = Value(reader, "TargetX");
    const float targetY = Value(reader, "TargetY");
    const float targetZ = Value(reader, "TargetZ");
    velm::CVelmCamera::SetTarget(targetX, targetY, targetZ);
    const float eyeX = Value(reader, "PosX");
    const float eyeY = Value(reader, "PosY");
    const float eyeZ = Value(reader, "PosZ");
    SetEye(common::CVector3(eyeX, eyeY, eyeZ));
    m_body->SetPosition(m_eye);
    m_body->SetOrientation(common::CQuaternion(0.0f, 1.0f, 0.0f, 0.0f));
    SetRadius(Value(reader, "Radius", kRadius));
    m_maxRadius = Value(reader, "MaxRadius", kRadius);
    SetYaw(Value(reader, "Azimuth"));
    SetPitch(Value(reader, "Latitude"));
    // A projection from a zero or negative angle, aspect or plane is no projection at all: a
    // refused one keeps the shipped value, or without it the engine camera's own.
    const float fieldOfView = Value(reader, "FOV", {0.01, kHalfTurn - 0.01, m_fieldOfView});
    m_aspectRatio = Value(reader, "Aspect", {0.01, 100.0, m_aspectRatio});
    m_fieldOfView = fieldOfView;
    const float nearPlane = Value(reader, "Near", {0.001, common::kAnyDataNumber.highest, m_nearPlane});
    const float farPlane = Value(reader, "Far", {0.001, common::kAnyDataNumber.highest, m_farPlane});
    if (farPlane > nearPlane) {
        SetNearPlane(nearPlane);
        SetFarPlane(farPlane);
    } else {
        std::cerr << path << ": Far " << farPlane << " is not beyond Near " << nearPlane << "; using " << m_nearPlane
                  << " and " << m_farPlane << "\n";
    }
    m_racerRadius = Value(reader, "RacerRadius", kRadius);
    m_racerAzimuth = Value(reader, "RacerAzimuth");
    m_racerLatitude = Value(reader, "RacerLatitude");
}

void CTumboKelvoCamera::PlaceBodyAtEye() { m_body->SetPosition(m_eye); }

void CTumboKelvoCamera::SetTarget(velm::CModel* model) {
    m_model = model;
    if (model == nullptr) {
        return;
    }
    m_lastFollowed = model->GetPosition();
    SetMode(MODE_BODY);
    // The target goes first: placing it recomputes the angles from the old eye, which would
    // otherwise replace the chase heading with wherever the camera happened to be.
    velm::CVelmCamera::SetTarget(m_lastFollowed);
    SetYaw(m_racerAzimuth);
    SetRadius(m_racerRadius);
    SetPitch(m_racerLatitude);
    PlaceBodyAtEye();
    m_body->SetOrientation(model->GetOrientation());
}

void CTumboKelvoCamera::StartTransition(const common::CVector3& endTarget, float duration, float endRadius,
                                        float endYaw, float endPitch) {
    SetMode(MODE_BODY);
    m_duration = duration;
    m_endRadius = endRadius;
    m_endYaw = endYaw;
    m_endPitch = endPitch;
    m_transitionTime = 0.0f;
    m_endTarget = endTarget;
    if (!(duration > 0.0f)) {
        // No time to spread the move over (the rates would divide by zero): arrive at once.
        m_transitionRunning = 0;
        m_targetVelocity = common::CVector3();
        m_radiusRate = m_yawRate = m_pitchRate = 0.0f;
        m_target = endTarget;
        SetYaw(endYaw);
        SetPitch(endPitch);
        SetRadius(endRadius);
        PlaceBodyAtEye();
        return;
    }
    m_transitionRunning = 1;
    const float inverse = 1.0f / duration;
    m_targetVelocity = (endTarget - m_target) * inverse;
    m_radiusRate = (endRadius - m_radius) * inverse;
    m_yawRate = (endYaw - m_yaw) * inverse;
    m_pitchRate = (endPitch - m_pitch) * inverse;
}

void CTumboKelvoCamera::Update(float elapsed) {
    if (m_moving != 0) {
        // Once per frame, not scaled by time: flight speed is per frame by design.
        MoveLocal(m_moveVector * m_moveSpeed);
    }
    if (m_mode != MODE_BODY) {
        return;
    }
    if (m_transitionRunning != 0) {
        float step = elapsed;
        if (m_transitionTime + elapsed >= m_duration) {
            // The last step ends exactly at the duration; the time keeps its earlier value.
            step = m_duration - m_transitionTime;
            m_transitionRunning = 0;
        } else {
            m_transitionTime += elapsed;
        }
        m_target = m_target + m_targetVelocity * step;
        SetYaw(m_yaw + step * m_yawRate);
        SetPitch(m_pitch + step * m_pitchRate);
        SetRadius(m_radius + step * m_radiusRate);
        PlaceBodyAtEye();
    }
    if (m_model != nullptr) {
        const common::CVector3 position = m_model->GetPosition();
        Translate(position - m_lastFollowed);
        m_lastFollowed = position;
        velm::CVelmCamera::SetTarget(position.x, position.y + kFollowRise, position.z);
        PlaceBodyAtEye();
    }
}

void CTumboKelvoCamera::GiveToGraphics() const {
    velm::gfx::CGFXCore::SCameraShot shot{};
    shot.m_view = GetViewMatrix();
    shot.m_projection = GetProjectionMatrix();
    shot.m_eye = D3DXVECTOR3(m_eye.x, m_eye.y, m_eye.z);
    shot.m_target = D3DXVECTOR3(m_target.x, m_target.y, m_target.z);
    shot.m_fieldOfView = m_fieldOfView;
    shot.m_aspect = m_aspectRatio;
    shot.m_nearPlane = m_nearPlane;
    shot.m_farPlane = m_farPlane;
    velm::gfx::GFXCore::Instance().SetCamera(shot);
}

bool CTumboKelvoCamera::HandleInput(const velm::input::SInputEvent& event) {
    if (m_mode == MODE_BODY || m_inputEnabled == 0) {
        return false;
    }
    // Axis records carry the signed relative motion in an unsigned word.
    const auto motion = static_cast<float>(static_cast<std::int32_t>(event.m_value));
    switch (event.m_code) {
        case velm::input::MOUSE_AXIS_X:
            SetYaw(m_yaw - motion * kMouseTurn);
            return false;
        case velm::input::MOUSE_AXIS_Y:
            SetPitch(m_pitch - motion * kMouseTurn);
            return false;
        default:
            break;
    }
    const bool leftOrRight =
        event.m_code == velm::input::MOUSE_BUTTON_0 || event.m_code == velm::input::MOUSE_BUTTON_0 + 1;
    if (event.m_value == kReleased) {
        if (leftOrRight) {
            m_moving = 0;
        }
        return false;
    }
    if (event.m_value != kPressed) {
        return false;
    }
    switch (event.m_code) {
        case DIK_NUMPAD7:
            SetRadius(m_radius + kKeyZoom);
            break;
        case DIK_NUMPAD8:
            SetPitch(m_pitch - kKeyTilt);
            break;
        case DIK_NUMPAD9:
            MoveLocal(common::CVector3(kKeySlide, 0.0f, 0.0f));
            break;
        case DIK_NUMPAD4:
            SetYaw(m_yaw - kKeyTurn);
            break;
        case DIK_NUMPAD6:
            SetYaw(m_yaw + kKeyTurn);
            break;
        case DIK_NUMPAD1:
            SetRadius(m_radius - kKeyZoom);
            break;
        case DIK_NUMPAD2:
            SetPitch(m_pitch + kKeyTilt);
            break;
        case DIK_NUMPAD3:
            MoveLocal(common::CVector3(-kKeySlide, 0.0f, 0.0f));
            break;
        case velm::input::MOUSE_BUTTON_0:
            m_moving = 1;
            m_moveSpeed = std::fabs(m_moveSpeed);
            break;
        case velm::input::MOUSE_BUTTON_0 + 1:
            m_moving = 1;
            m_moveSpeed = -std::fabs(m_moveSpeed);
            break;
        default:
            break;
    }
    return false;
}

} // namespace kelvo
