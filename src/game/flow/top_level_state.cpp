#include "game/flow/top_level_state.h"

#include "game/flow/game_trace.h"
#include "game/flow/tumbo_kelvo_game.h"

namespace kelvo {

const std::array<const char*, 17> kTopLevelStateNames = {
    "NorvaleSplashState", "MenuState",         "CreditsState",   "StartTrack1State", "StartTrack2State",
    "StartTrack3State",   "EndTrack1State",    "EndTrack2State", "EndTrack3State",   "RacingState",
    "InitState",          "CharSelState",      "MultiState",     "Loading1State",    "Loading2State",
    "Loading3State",      "LoadingScreenState"};

CTopLevelState::CTopLevelState(const std::string& name, CTumboKelvoGame& game) : m_name(name), m_game(game) {}

void CTopLevelState::Init() {
    // Staying put unless the state decides otherwise; an old successor must not carry over.
    m_nextState = m_name;
    m_game.GetTrace().StateEntered(m_name);
    OnInit();
}

} // namespace kelvo
