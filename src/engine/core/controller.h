// velm::CController, the base of whatever drives a model (player input, AI, scripts). The game's
// controller registry owns controllers; a model only points at its own. Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/input_event.h"

namespace velm {

class CController {
public:
    explicit CController(std::uint32_t modelId) : m_modelId(modelId) {}

    // True when the record was consumed and must not be offered to further controllers.
    virtual bool HandleInput(const input::SInputEvent& event) = 0;
    virtual void Update(double time, float elapsed) = 0;
    virtual ~CController() = default;

    std::uint32_t GetModelID() const { return m_modelId; }
    // The state its model was last switched to through CModel::ChangeState.
    const std::string& GetStateName() const { return m_stateName; }
    void SetStateName(const std::string& name) { m_stateName = name; }

protected:
    std::uint32_t m_modelId;
    std::string m_stateName;
};

} // namespace velm
