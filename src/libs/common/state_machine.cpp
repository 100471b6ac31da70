#include "libs/common/state_machine.h"

namespace common {

CStateMachine::~CStateMachine() {
    for (auto& entry : m_states) {
        delete entry.second;
    }
    m_states.clear();
}

bool CStateMachine::AddState(const std::string& name, IState* state) {
    if (state == nullptr) {
        return false;
    }
    return m_states.emplace(name, state).second;
}

IState* CStateMachine::GetState(const std::string& name) const {
    const auto it = m_states.find(name);
    return it != m_states.end() ? it->second : nullptr;
}

void CStateMachine::ChangeState(const std::string& name) {
    IState* const next = GetState(name);
    if (name == m_currentState) {
        return;
    }
    // Switching to a state that does not exist would leave the machine with no state to run.
    if (next == nullptr) {
        return;
    }
    if (!m_currentState.empty()) {
        if (IState* const current = GetState(m_currentState)) {
            current->Exit();
        }
    }
    m_currentState = name;
    next->Init();
}

void CStateMachine::Update() {
    if (m_currentState.empty()) {
        return;
    }
    IState* const current = GetState(m_currentState);
    if (current == nullptr) {
        return;
    }
    current->Action();
    m_nextState = current->GetNextState();
    if (m_nextState != m_currentState) {
        ChangeState(m_nextState);
    }
}

} // namespace common
