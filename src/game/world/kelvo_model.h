// kelvo::CKelvoModel, the base of the race world's models (racers, items, scenery, triggers,
// lights): the object type, the control kind and the local forward axis over the engine model,
// plus the little event plumbing the models share. Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/model.h"
#include "engine/events/event.h"
#include "libs/common/vector3.h"

namespace velm::gfx {
class IGfxUnit;
}

namespace kelvo {

// Control kinds of a racer.
inline constexpr std::uint32_t CONTROL_NETWORK = 0;
inline constexpr std::uint32_t CONTROL_LOCAL_PLAYER = 1;
inline constexpr std::uint32_t CONTROL_LOCAL_OTHER = 2;

class CKelvoModel : public velm::CModel {
public:
    CKelvoModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id) : velm::CModel(body, id) {}

    std::uint32_t GetObjectType() const { return m_objectType; }
    void SetObjectType(std::uint32_t type) { m_objectType = type; }
    std::uint32_t GetControlKind() const { return m_controlKind; }
    void SetControlKind(std::uint32_t kind) { m_controlKind = kind; }
    const common::CVector3& GetForwardAxis() const { return m_forwardAxis; }
    void SetForwardAxis(const common::CVector3& axis) { m_forwardAxis = axis; }
    // The forward axis turned by the body's orientation.
    common::CVector3 GetHeading() const;

    // The drawing unit as a graphics unit, or null when it has none (or not a graphics one).
    velm::gfx::IGfxUnit* GetGfxUnit() const;
    // While attached to a parent, the drawing carries the model: take the pose back from it.
    void CopyPoseFromUnit();

protected:
    // The server's rate-limited Position_Update for scenery and items: a sleeping body (and,
    // when `skipStatic`, a static one) sends nothing.
    void ServerPositionStep(float elapsed, float& accumulator, float interval, bool skipStatic);

    std::uint32_t m_objectType = 0;
    std::uint32_t m_controlKind = 0;
    common::CVector3 m_forwardAxis;
};

// The running game's networking flags; single play when there is no race.
bool IsNetworkedGame();
bool IsNetworkHost();
bool IsNetworkClient();

// Dispatch now / queue for the next tick; nothing without an event manager.
void TriggerWorldEvent(const velm::CEvent& event);
void QueueWorldEvent(const velm::EventPtr& event);

} // namespace kelvo
