// kelvo::CTopLevelState, one state of the game's top-level flow (splash, menus, loading, race,
// end of track, credits). Entering a state writes its name to the run trace. Main thread only.
#pragma once

#include <array>
#include <string>

#include "libs/common/state_machine.h"

namespace kelvo {

class CGameTrace;

// The seventeen top-level states, in the order the game object registers them.
extern const std::array<const char*, 17> kTopLevelStateNames;

class CTopLevelState : public common::IState {
public:
    // The trace is not owned and outlives the state.
    CTopLevelState(const std::string& name, CGameTrace* trace);

    void Init() override;
    void Action() override {}
    void Exit() override;
    std::string GetNextState() const override { return m_nextState; }

    void SetNextState(const std::string& name) { m_nextState = name; }
    const std::string& GetName() const { return m_name; }

private:
    std::string m_name;
    std::string m_nextState;
    CGameTrace* m_trace = nullptr;
};

} // namespace kelvo
