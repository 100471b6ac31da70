#include "game/flow/top_level_state.h"

#include "game/flow/game_trace.h"

namespace kelvo {

const std::array<const char*, 17> kTopLevelStateNames = {
    "NorvaleSplashState", "MenuState",         "CreditsState",   "StartTrack1State", "StartTrack2State",
    "StartTrack3State",   "EndTrack1State",    "EndTrack2State", "EndTrack3State",   "RacingState",
    "InitState",          "CharSelState",      "MultiState",     "Loading1State",    "Loading2State",
    "Loading3State",      "LoadingScreenState"};

CTopLevelState::CTopLevelState(const std::string& name, CGameTrace* trace) : m_name(name), m_trace(trace) {}

void CTopLevelState::Init() {
    // A state left and entered again must not carry its old successor back in.
    m_nextState.clear();
    if (m_trace != nullptr) {
        m_trace->StateEntered(m_name);
    }
}

void CTopLevelState::Exit() { m_nextState.clear(); }

} // namespace kelvo
