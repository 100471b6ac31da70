// The race world's scenery and hazards: kelvo::CEnvObjModel (its own state machine, which only
// the geyser fills), its view with at most one positional sound, and its idle controller.
// Main thread only.
#pragma once

#include <string>
#include <vector>

#include "engine/core/controller.h"
#include "engine/core/view.h"
#include "game/world/kelvo_model.h"
#include "game/world/sounding_view.h"

namespace kelvo {

class CEnvObjModel : public CKelvoModel {
public:
    CEnvObjModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id);
    void Update(double time, float elapsed) override;
    // The geyser's states join the machine with the hazard's own states; other scenery has none.
    void CreateStateMachine();

private:
    float m_positionAccumulator = 0.0f;
    float m_positionInterval = 0.3f;
};

class CEnvObjView : public CSoundingView {
public:
    using CSoundingView::CSoundingView;
    void Update(double time, float elapsed) override;
    // A sound only when the list holds exactly one entry.
    void SetupSounds(const std::vector<std::string>& sounds);
};

class CEnvObjController : public velm::CController {
public:
    using velm::CController::CController;
    bool HandleInput(const velm::input::SInputEvent& /*event*/) override { return false; }
    void Update(double /*time*/, float /*elapsed*/) override {}
};

} // namespace kelvo
