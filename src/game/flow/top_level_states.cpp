// The concrete top-level states. Each reaches the game object it was made for; the screens it
// polls are the game's (created and removed through it).
#include <memory>

#include "engine/core/object_id.h"
#include "engine/events/event_manager.h"
#include "game/flow/creation_events.h"
#include "game/flow/game_events.h"
#include "game/flow/start_grid.h"
#include "game/flow/top_level_state.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/character_selection.h"
#include "game/ui/credits.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/start_menu.h"
#include "game/ui/start_race_gui.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "libs/common/script_manager.h"

namespace kelvo {

namespace {

constexpr std::uint32_t kHumanControl = 1;
constexpr std::uint32_t kComputerControl = 2;

const CTumboKelvoGame::SCameraView kMenuView{common::CVector3(5.6f, -1.1700923f, 505.65549f), 7.071058f, 2.8507938f,
                                             -0.52539885f};
const CTumboKelvoGame::SCameraView kCharSelView{common::CVector3(12.54f, -1.479f, 508.1f), 7.071058f, 1.651f, -0.57f};
const CTumboKelvoGame::SCameraView kCreditsView{common::CVector3(5.5408678f, -1.8811257f, 496.31989f), 7.6710567f,
                                                4.5507927f, -0.48539862f};

class CInitializationState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override { Game().CreateStartRaceGUI(); }
    void OnAction() override { SetNextState("LoadingScreenState"); }
};

class CLoadingScreenState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnAction() override { SetNextState("Loading1State"); }
};

class CLoading1State : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        // The level is read once per run; later passes only reset the race on what is there.
        if (Game().IsFirstPass()) {
            Game().GetItemJugIds().clear();
            velm::TriggerEvent(CLoadLevelEvt("race_track1.xml"));
        }
    }
    void OnAction() override {
        if (Game().IsFirstPass()) {
            Game().ClearFirstPass();
            SetNextState("NorvaleSplashState");
        } else {
            SetNextState("MenuState");
        }
    }
};

class CNorvaleSplashState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override { m_start = Game().GetTime(); }
    void OnAction() override {
        if (Game().GetTime() - m_start > kSplashSeconds) {
            SetNextState("MenuState");
        }
    }

private:
    double m_start = 0.0;
};

class CMenuState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        Game().StartCameraMove(kMenuView);
        Game().CreateStartMenu();
        Game().PlayIntroMusic();
        Game().GetHUD()->SetRacePanelShown(false);
    }
    void OnAction() override {
        if (Game().IsCameraMoving()) {
            return;
        }
        CStartMenu* menu = Game().GetStartMenu();
        if (menu == nullptr) {
            return;
        }
        menu->SetMainButtonsActive(true);
        if (menu->IsPlaySelected()) {
            Game().CreateCharacterSelection(menu->IsNetworkRoad() ? 1 : 0, menu->IsHost() ? 1 : 0);
            SetNextState("CharSelState");
        } else if (menu->IsCreditsSelected()) {
            Game().CreateCredits(menu->IsNetworkRoad() ? 1 : 0, menu->IsHost() ? 1 : 0);
            SetNextState("CreditsState");
        }
    }
    void OnExit() override { Game().RemoveStartMenu(); }
};

class CCharSelState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override { Game().StartCameraMove(kCharSelView); }
    void OnAction() override {
        CCharacterSelection* selection = Game().GetCharacterSelection();
        if (selection == nullptr) {
            return;
        }
        if (!Game().IsCameraMoving()) {
            selection->SetActive(true);
            selection->ShowProfile(selection->GetCurrentCharacter());
        }
        if (selection->IsBackPressed()) {
            Game().SetSelectedCharacter(0);
            SetNextState("MenuState");
        } else if (selection->IsOkPressed()) {
            Game().SetSelectedCharacter(selection->GetCurrentCharacter());
            if (selection->IsNetworkRoad()) {
                Game().CreateMultiPlayerMenu(selection->IsHost() ? 1 : 0);
                SetNextState("MultiState");
            } else {
                SetNextState("StartTrack1State");
            }
        }
    }
    void OnExit() override { Game().RemoveCharacterSelection(); }
};

class CMultiState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override { Game().StartCameraMove(kMenuView); }
    void OnAction() override {
        MultiPlayerMenu* lobby = Game().GetMultiPlayerMenu();
        if (lobby == nullptr || Game().IsCameraMoving()) {
            return;
        }
        lobby->SetActive(true);
        if (lobby->IsStartPressed()) {
            velm::TriggerEvent(CStartTrack1Evt());
            SetNextState("StartTrack1State");
        } else if (lobby->IsBackPressed()) {
            Game().CreateCharacterSelection(1, lobby->IsHost() ? 1 : 0);
            SetNextState("CharSelState");
        }
    }
    void OnExit() override { Game().RemoveMultiPlayerMenu(); }
};

class CCreditsState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override { Game().StartCameraMove(kCreditsView); }
    void OnAction() override {
        CCredits* credits = Game().GetCredits();
        if (credits == nullptr) {
            return;
        }
        if (credits->IsBackPressed()) {
            SetNextState("MenuState");
        }
    }
    void OnExit() override { Game().RemoveCredits(); }
};

class CStartTrack1 : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        CTumboKelvoGame& game = Game();
        game.PauseIntroMusic();
        game.SetCurrentTrack(1);
        game.GetHUD()->SetRacePanelShown(true);
        const std::uint32_t owner = 0;
        if (!game.IsNetworked()) {
            common::CScriptManager* script = common::CScriptManager::GetInstance();
            const common::CVector3 start(static_cast<float>(script->GetGlobalNumber("STAGE1_X")),
                                         static_cast<float>(script->GetGlobalNumber("STAGE1_Y")),
                                         static_cast<float>(script->GetGlobalNumber("STAGE1_Z")));
            const std::uint32_t selected = game.GetSelectedCharacter();
            const char* humanKey = CharacterModelKey(selected);
            if (*humanKey != '\0') {
                velm::TriggerEvent(
                    CCreateRacerEvt(humanKey, velm::NewObjectID(), owner, 1, 0, kHumanControl, selected, start));
            }
            const auto grid = BuildStartGrid(start, static_cast<float>(script->GetGlobalNumber("STAGE1_RACER_DX")),
                                             static_cast<float>(script->GetGlobalNumber("STAGE1_RACER_DZ")),
                                             script->GetGlobalInt("STAGE1_RACERS_PER_ROW"),
                                             script->GetGlobalInt("NUM_RACERS"), selected);
            for (const SGridSlot& slot : grid) {
                velm::TriggerEvent(CCreateRacerEvt(CharacterModelKey(slot.m_character), velm::NewObjectID(), owner, 1,
                                                   0, kComputerControl, slot.m_character, slot.m_position));
            }
        }
        game.SetControllersTakeInput(false);
        if (CInGameMenu* menu = game.GetInGameMenu()) {
            menu->SetEnabled(true);
        }
        if (CStartRaceGUI* countdown = game.GetStartRaceGUI()) {
            countdown->ClearDone();
            if (!game.IsNetworked()) {
                countdown->StartCountdown();
            }
        }
        game.PlayRaceMusic();
        game.PlayRiverSound();
    }
    void OnAction() override {
        CStartRaceGUI* countdown = Game().GetStartRaceGUI();
        if (countdown != nullptr && countdown->IsDone()) {
            SetNextState("RacingState");
        }
    }
};

class CRacingState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        Game().SetControllersTakeInput(true);
        Game().MarkRaceStart();
    }
    void OnExit() override {
        Game().SetCurrentTrack(0);
        Game().StopRaceMusic();
        Game().PauseRiverSound();
    }
};

template <class T>
void Add(CTumboKelvoGame& game, const char* name) {
    game.GetStateMachine().AddState(name, new T(name, game));
}

} // namespace

void AddTopLevelStates(CTumboKelvoGame& game) {
    Add<CNorvaleSplashState>(game, "NorvaleSplashState");
    Add<CMenuState>(game, "MenuState");
    Add<CCreditsState>(game, "CreditsState");
    Add<CStartTrack1>(game, "StartTrack1State");
    // Registered so the names exist, but no road of the flow leads to them.
    Add<CTopLevelState>(game, "StartTrack2State");
    Add<CTopLevelState>(game, "StartTrack3State");
    Add<CTopLevelState>(game, "EndTrack1State");
    Add<CTopLevelState>(game, "EndTrack2State");
    Add<CTopLevelState>(game, "EndTrack3State");
    Add<CRacingState>(game, "RacingState");
    Add<CInitializationState>(game, "InitState");
    Add<CCharSelState>(game, "CharSelState");
    Add<CMultiState>(game, "MultiState");
    Add<CLoading1State>(game, "Loading1State");
    Add<CTopLevelState>(game, "Loading2State");
    Add<CTopLevelState>(game, "Loading3State");
    Add<CLoadingScreenState>(game, "LoadingScreenState");
}

} // namespace kelvo
