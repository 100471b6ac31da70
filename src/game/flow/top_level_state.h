// The game's top-level flow (splash, menus, loading, race, end of track, credits): seventeen
// named states over the game object. Entering a state writes its name to the run trace; each
// state polls the screens it shows and names its successor. Main thread only.
#pragma once

#include <array>
#include <string>

#include "libs/common/state_machine.h"

namespace kelvo {

class CTumboKelvoGame;

// The seventeen top-level states, in the order the game object registers them.
extern const std::array<const char*, 17> kTopLevelStateNames;

// How long the splash stays, and how long each camera move between menu views takes.
constexpr double kSplashSeconds = 3.0;
constexpr double kCameraMoveSeconds = 2.0;

class CTopLevelState : public common::IState {
public:
    // The game is not owned and outlives the state.
    CTopLevelState(const std::string& name, CTumboKelvoGame& game);

    void Init() override;
    void Action() override { OnAction(); }
    void Exit() override { OnExit(); }
    std::string GetNextState() const override { return m_nextState; }

    void SetNextState(const std::string& name) { m_nextState = name; }
    const std::string& GetName() const { return m_name; }

protected:
    virtual void OnInit() {}
    virtual void OnAction() {}
    virtual void OnExit() {}
    CTumboKelvoGame& Game() { return m_game; }

private:
    std::string m_name;
    std::string m_nextState;
    CTumboKelvoGame& m_game;
};

// Registers the seventeen states with the game's state machine, in the order of the names.
void AddTopLevelStates(CTumboKelvoGame& game);

} // namespace kelvo
