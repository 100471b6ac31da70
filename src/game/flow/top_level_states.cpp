// The concrete top-level states. Each reaches the game object it was made for; the screens it
// polls are the game's (created and removed through it).
#include <memory>
#include <string>
#include <vector>

#include "engine/core/model.h"
#include "engine/core/object_id.h"
#include "engine/core/velm_app.h"
#include "engine/events/event_manager.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/texture_cache.h"
#include "engine/gfx/velm_gfx.h"
#include "engine/net/network_manager.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "game/content/data_files.h"
#include "game/content/model_data_keys.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/flow/level_loader.h"
#include "game/flow/start_grid.h"
#include "game/flow/start_script.h"
#include "game/flow/top_level_state.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/tools/script_functions.h"
#include "game/ui/character_selection.h"
#include "game/ui/credits.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/start_menu.h"
#include "game/ui/start_race_gui.h"
#include "game/ui/tumbo_kelvo_console.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/ui/victory_screen.h"
#include "game/world/light_model.h"
#include "libs/common/checked_number.h"
#include "libs/common/script_manager.h"
#include "libs/common/xml_reader.h"

namespace kelvo {

namespace {

constexpr std::uint32_t kHumanControl = 1;
constexpr std::uint32_t kComputerControl = 2;
constexpr std::uint32_t kLineUpAnimation = 16;
constexpr float kLineUpAnimationSpeed = 0.35f;
constexpr std::uint32_t kSplashRenderFlag = 0x20000;
// While a level is built only the screens are drawn: the loading picture, not the scene.
constexpr std::uint32_t kLoadingRenderFlags = kSplashRenderFlag;
constexpr std::uint32_t kMenuRenderFlags = 0x2007F;

const CTumboKelvoGame::SCameraView kMenuView{common::CVector3(5.6f, -1.1700923f, 505.65549f), 7.071058f, 2.8507938f,
                                             -0.52539885f};
const CTumboKelvoGame::SCameraView kCharSelView{common::CVector3(12.54f, -1.479f, 508.1f), 7.071058f, 1.651f, -0.57f};
const CTumboKelvoGame::SCameraView kCreditsView{common::CVector3(5.5408678f, -1.8811257f, 496.31989f), 7.6710567f,
                                                4.5507927f, -0.48539862f};

velm::gfx::CVelmGfx* Gfx() {
    velm::CVelmApp* app = velm::GetApp();
    return app != nullptr ? app->GetGfx() : nullptr;
}

void SetRenderFlags(std::uint32_t flags) {
    if (velm::gfx::CVelmGfx* gfx = Gfx()) {
        gfx->SetRenderFlags(flags);
    }
}

void ShowCursor(CTumboKelvoGame& game, bool shown) {
    if (velm::gfx::CCursor* cursor = game.GetCursorScreen()) {
        cursor->Show(shown);
    }
}

void ShowHUD(CTumboKelvoGame& game, bool shown) {
    if (TumboKelvoGameHUD* hud = game.GetHUD()) {
        hud->SetVisible(shown);
    }
}

// The previous track's item jugs, scenery, surfaces and particle systems go; the line-up racers
// stay and find their water anew.
void UnloadLevel(CTumboKelvoGame& game) {
    game.GetItemJugIds().clear();
    // The graphs and their lists go first, so that no object taken away rebuilds them for the
    // ones still standing: one clear, not a build per object.
    if (velm::gfx::CVelmGfx* gfx = Gfx()) {
        gfx->ClearLevelSceneGraphs();
    }
    for (std::uint32_t id : std::vector<std::uint32_t>(game.GetEnvironmentIds())) {
        game.DestroyEnvObject(id);
    }
    game.ClearTerrains();
    game.ClearWaters();
    if (velm::gfx::ParticleSysRegistry::Exists()) {
        velm::gfx::ParticleSysRegistry::Instance().DestroyAllSystems();
    }
    game.DetachRacersFromWater();
}

void BuildSceneGraphs() {
    if (velm::gfx::CVelmGfx* gfx = Gfx()) {
        gfx->BuildLevelSceneGraphs();
        gfx->BuildTerrainSceneGraph();
        gfx->BuildWaterSceneGraph();
    }
}

void SetLevelLight(CTumboKelvoGame& game) {
    if (CLightModel* light = game.GetLevelLight()) {
        D3DLIGHT9 record = light->GetLight();
        record.Type = static_cast<D3DLIGHTTYPE>(3);
        velm::gfx::LightsManager::Instance().SetLight(record, 0);
    }
}

void PlaceRacer(std::uint32_t character, std::uint32_t owner, std::uint32_t control, const common::CVector3& at) {
    velm::TriggerEvent(
        CCreateRacerEvt(CharacterModelKey(character), velm::NewObjectID(), owner, 1, 0, control, character, at));
}

class CInitializationState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        CTumboKelvoGame& game = Game();
        game.CreateHUD();
        game.CreateConsole();
        game.SetUpOverlays();
        RegisterScriptFunctions();
        RunStartScript(*common::CScriptManager::GetInstance());
        game.CreateCursor();
        game.CreateStartRaceGUI();
        game.CreateEndRaceGUI();
        game.CreateInGameMenu();
        game.CreateVictoryScreen();
        if (velm::gfx::CCursor* cursor = game.GetCursorScreen()) {
            cursor->SetVisible(true);
        }
        game.GetLevelLoader().ReadItemTemplates(kTemplateItemsFile);
    }
    void OnAction() override { SetNextState("LoadingScreenState"); }
};

class CLoadingScreenState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        Game().CreateLoadingScreen();
        ShowCursor(Game(), false);
        m_enteredStep = Game().GetFrameStep();
    }
    // A button's race reset enters this state before the frame's state update: the picture is
    // drawn once before the level is rebuilt behind it.
    void OnAction() override {
        if (Game().GetFrameStep() != m_enteredStep) {
            SetNextState("Loading1State");
        }
    }

private:
    std::uint64_t m_enteredStep = 0;
};

class CLoading1State : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        CTumboKelvoGame& game = Game();
        SetRenderFlags(kLoadingRenderFlags);
        game.SetRaceInProgress(false);
        // The level is read once per run; later passes only reset the race on what is there.
        if (game.IsFirstPass()) {
            UnloadLevel(game);
            velm::TriggerEvent(CLoadLevelEvt("race_track1.xml"));
            game.BuildRacerLineUp();
        }
        game.DestroyRockTrap();
        game.BuildRockTrap();
        game.DestroyLogTrap();
        game.BuildLogTrap();
        game.SetRocksReleased(false);
        game.SetLogsReleased(false);
        if (game.IsFirstPass()) {
            game.BuildFinishTrigger();
            BuildSceneGraphs();
            velm::gfx::TextureCache::Instance().DropPrefetched();
        }
        game.DetachRacersFromWater();
    }
    void OnAction() override {
        if (Game().IsFirstPass()) {
            Game().ClearFirstPass();
            SetNextState("NorvaleSplashState");
        } else {
            SetNextState("MenuState");
        }
    }
    void OnExit() override { Game().RemoveLoadingScreen(); }
};

// Loading2State and Loading3State: registered, never entered.
class CLaterLoadingState : public CTopLevelState {
public:
    CLaterLoadingState(const std::string& name, CTumboKelvoGame& game, const char* file, const char* next)
        : CTopLevelState(name, game), m_file(file), m_next(next) {}

protected:
    void OnInit() override {
        SetRenderFlags(kLoadingRenderFlags);
        Game().SetRaceInProgress(false);
        Game().SetRaceFogOn(false);
        if (GetName() == "Loading2State") {
            // The first track's finish and traps do not belong on the second.
            Game().RemoveFinishTrigger();
            Game().DestroyRockTrap();
            Game().DestroyLogTrap();
        }
        UnloadLevel(Game());
        velm::TriggerEvent(CLoadLevelEvt(m_file));
        BuildSceneGraphs();
    }
    void OnAction() override { SetNextState(m_next); }

private:
    const char* m_file;
    const char* m_next;
};

class CNorvaleSplashState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        if (velm::gfx::CVelmGfx* gfx = Gfx()) {
            gfx->SetRenderFlags(gfx->GetRenderFlags() | kSplashRenderFlag);
        }
        // The frame clock rather than the wall clock, so that a fixed-step run is repeatable.
        m_start = Game().GetTime();
        Game().CreateSplash();
    }
    void OnAction() override {
        if (Game().GetTime() - m_start > kSplashSeconds) {
            SetNextState("MenuState");
        }
    }
    void OnExit() override { Game().RemoveSplash(); }

private:
    double m_start = 0.0;
};

class CMenuState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        SetRenderFlags(kMenuRenderFlags);
        Game().StartCameraMove(kMenuView);
        Game().CreateStartMenu();
        ShowHUD(Game(), false);
        ShowCursor(Game(), true);
        Game().PlayIntroMusic();
        if (TumboKelvoGameHUD* hud = Game().GetHUD()) {
            hud->SetRacePanelShown(false);
        }
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
            SetNextState("CharSelState");
            Game().CreateCharacterSelection(menu->IsNetworkRoad() ? 1 : 0, menu->IsHost() ? 1 : 0);
        } else if (menu->IsCreditsSelected()) {
            SetNextState("CreditsState");
            Game().CreateCredits(menu->IsNetworkRoad() ? 1 : 0, menu->IsHost() ? 1 : 0);
        }
    }
    void OnExit() override { Game().RemoveStartMenu(); }
};

class CCharSelState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        for (std::uint32_t id : Game().GetCharacterLineUpIds()) {
            if (velm::CModel* model = Game().FindModel(id)) {
                model->SetAnimation(kLineUpAnimation, true);
                model->SetAnimationSpeed(kLineUpAnimationSpeed);
            }
        }
        Game().StartCameraMove(kCharSelView);
    }
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
            // Going back chooses no character.
            Game().SetSelectedCharacter(0);
            SetNextState("MenuState");
        } else if (selection->IsOkPressed()) {
            Game().SetSelectedCharacter(selection->GetCurrentCharacter());
            if (selection->IsNetworkRoad()) {
                SetNextState("MultiState");
                Game().CreateMultiPlayerMenu(selection->IsHost() ? 1 : 0);
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
    ~CCreditsState() override = default;

protected:
    void OnInit() override {
        Game().StartCameraMove(kCreditsView);
        BuildScene();
    }
    void OnAction() override {
        CCredits* credits = Game().GetCredits();
        if (credits == nullptr) {
            return;
        }
        if (credits->IsBackPressed()) {
            SetNextState("MenuState");
        }
    }
    void OnExit() override {
        // The scene's units are in the level's scene graphs: they leave those before they are freed.
        for (std::uint32_t id : m_sceneIds) {
            Game().DestroyEnvObject(id);
        }
        m_sceneIds.clear();
        Game().RemoveCredits();
    }

private:
    static common::CVector3 ReadVector(common::CXmlReader& reader, const char* element) {
        reader.Enter(element);
        return common::ReadVector(reader, element);
    }

    // The objects floating on the water behind the credits, from "tumbo_pos.xml".
    void BuildScene() {
        common::CXmlReader reader;
        reader.LoadContent(std::string(kXmlDataFolder) + "tumbo_pos.xml", "nothing floats behind the credits");
        reader.Enter("tumbo_pos");
        const bool authoritative = Game().IsAuthoritative();
        for (;;) {
            reader.Enter("entry");
            const std::string opaqueText = reader.GetValue("Opaque");
            if (opaqueText.empty()) {
                break;
            }
            const std::string type = reader.GetValue("Type");
            const common::CVector3 position = ReadVector(reader, "Pos");
            reader.Enter("RotationInfo");
            const common::CVector3 axis = common::ReadVector(reader, "RotationInfo");
            const float angle = common::ReadFloat(reader, "Angle", common::kAnyDataNumber);
            const common::CVector3 scale = ReadVector(reader, "Scalars");
            if (!authoritative) {
                continue;
            }
            const std::uint32_t id = velm::NewObjectID();
            velm::TriggerEvent(CCreateEnvObjEvt(ModelDataKeyFromTypeName(type), id, opaqueText == "FALSE" ? 0 : 1, 0,
                                                ObjectTypeFromName(type), &position, &axis, angle, &scale, 0));
            m_sceneIds.push_back(id);
        }
        velm::CVelmApp* app = velm::GetApp();
        velm::phy::CPhysicsWorld* world = app != nullptr ? app->GetPhysicsWorld() : nullptr;
        for (std::uint32_t id : m_sceneIds) {
            velm::CModel* model = Game().FindModel(id);
            if (model == nullptr || !model->GetBody() || world == nullptr) {
                continue;
            }
            velm::phy::CRigidBody* body = model->GetBody().get();
            body->SetStatic(false);
            body->SetHullFlag(true);
            auto buoyancy =
                std::make_shared<velm::phy::BuoyancyForce>(body, &world->GetSimulator(), common::CVector3(0, 0, 0));
            buoyancy->SetUseRiverDensity(true);
            body->SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
            body->SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(body));
        }
        // The level graphs were built when the track loaded; the scene joins them only when they
        // are built again from the lists it was added to.
        if (!m_sceneIds.empty()) {
            if (velm::gfx::CVelmGfx* gfx = Gfx()) {
                gfx->BuildLevelSceneGraphs();
            }
        }
    }

    std::vector<std::uint32_t> m_sceneIds;
};

class CStartTrack1 : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        CTumboKelvoGame& game = Game();
        // The grid is made behind the loading picture: until the race camera takes this
        // machine's racer, in the next frame's camera step (or when the host's racers arrive),
        // it still looks at the line-up or the menu's river, and the race HUD over that view is
        // half a race.
        game.CreateLoadingScreen();
        m_pictureUp = true;
        m_enteredStep = game.GetFrameStep();
        game.PauseIntroMusic();
        game.SetCurrentTrack(1);
        ShowCursor(game, false);
        if (TumboKelvoGameHUD* hud = game.GetHUD()) {
            hud->SetRacePanelShown(true);
            // The grid shows the race about to start: no time, no speed of an earlier race.
            hud->ResetRaceClock();
            hud->SetSpeed(0);
        }
        SetLevelLight(game);
        const bool networked = game.IsNetworked();
        const std::uint32_t localId = networked ? velm::net::GetLocalClientId() : 0;
        const std::uint32_t owner = localId;
        game.SetRaceInProgress(true);
        // The fog lies thick at the start and thins down the river (the game's frame step).
        game.SetRaceFogOn(true);
        common::CScriptManager* script = common::CScriptManager::GetInstance();
        if (!networked) {
            const SStartGridSettings settings = ReadStartGridSettings(*script);
            const std::uint32_t selected = game.GetSelectedCharacter();
            if (!CharacterModelKey(selected).empty()) {
                PlaceRacer(selected, owner, kHumanControl, settings.m_start);
            }
            const auto grid = BuildStartGrid(settings.m_start, settings.m_dx, settings.m_dz, settings.m_perRow,
                                             settings.m_racers, selected);
            for (const SGridSlot& slot : grid) {
                PlaceRacer(slot.m_character, owner, kComputerControl, slot.m_position);
            }
        } else if (game.GetMode() != 0) {
            std::uint32_t slot = 0;
            for (const SRaceLineUpEntry& player : game.GetRaceLineUp()) {
                PlaceRacer(player.m_character, player.m_connectionId, HostGridControl(player.m_connectionId, localId),
                           HostGridPosition(slot++));
            }
        }
        ShowHUD(game, true);
        game.SetControllersTakeInput(false);
        script->RunString("ParseConsole(\"set ai state false false false\")");
        velm::phy::SetRiverSpeed(0.0f);
        CStartRaceGUI* countdown = game.GetStartRaceGUI();
        if (countdown != nullptr) {
            countdown->ClearDone();
        }
        if (!networked) {
            if (countdown != nullptr) {
                countdown->StartCountdown();
            }
        } else if (game.GetMode() == 0) {
            game.SayReady();
        } else {
            // The host is ready as it gets here; with no peer left it starts at once.
            game.WaitForReadyPeers();
        }
        game.PlayRaceMusic();
        game.PlayRiverSound();
        if (CInGameMenu* menu = game.GetInGameMenu()) {
            menu->SetEnabled(true);
        }
    }
    void OnAction() override {
        CStartRaceGUI* countdown = Game().GetStartRaceGUI();
        if (m_pictureUp && Game().GetFrameStep() != m_enteredStep &&
            (Game().GetLocalRacerModel() != nullptr || (countdown != nullptr && countdown->IsActive()))) {
            LiftPicture();
        }
        if (countdown != nullptr && countdown->IsDone()) {
            SetNextState("RacingState");
        }
    }
    void OnExit() override { LiftPicture(); }

private:
    void LiftPicture() {
        if (m_pictureUp) {
            Game().RemoveLoadingScreen();
            m_pictureUp = false;
        }
    }

    bool m_pictureUp = false;
    std::uint64_t m_enteredStep = 0;
};

// StartTrack2State and StartTrack3State: registered, never entered; the racers already exist.
class CLaterStartTrack : public CTopLevelState {
public:
    CLaterStartTrack(const std::string& name, CTumboKelvoGame& game, std::uint32_t track)
        : CTopLevelState(name, game), m_track(track) {}

protected:
    void OnInit() override {
        CTumboKelvoGame& game = Game();
        game.SetCurrentTrack(m_track);
        SetLevelLight(game);
        ShowHUD(game, true);
        common::CScriptManager::GetInstance()->RunString("ParseConsole(\"set ai state false false false\")");
        velm::QueueEvent(std::make_shared<CReadyToStartRaceEvt>(velm::net::GetLocalClientId()));
        if (CStartRaceGUI* countdown = game.GetStartRaceGUI()) {
            countdown->ClearDone();
            countdown->StartCountdown();
        }
    }
    void OnAction() override {
        CStartRaceGUI* countdown = Game().GetStartRaceGUI();
        if (countdown != nullptr && countdown->IsDone()) {
            SetNextState("RacingState");
        }
    }

private:
    std::uint32_t m_track;
};

class CRacingState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;

protected:
    void OnInit() override {
        Game().SetControllersTakeInput(true);
        velm::phy::SetRiverSpeed(static_cast<float>(common::CheckNumber(
            common::CScriptManager::GetInstance()->GetGlobalNumber("RIVER_SPEED"), velm::phy::kRiverSpeedBounds,
            common::kScriptGlobalOrigin, common::ScriptGlobalField("RIVER_SPEED"))));
        common::CScriptManager::GetInstance()->RunString("ParseConsole(\"set ai state true true true\")");
        Game().MarkRaceStart();
    }
    void OnExit() override {
        Game().SetCurrentTrack(0);
        Game().SetRaceInProgress(false);
        Game().PauseRaceMusic();
        Game().StopRiverSound();
    }
};

// The end-of-track states have empty callbacks and name no successor.
class CEndTrackState : public CTopLevelState {
public:
    using CTopLevelState::CTopLevelState;
};

template <class T, class... Extra>
void Add(CTumboKelvoGame& game, const char* name, Extra... extra) {
    game.GetStateMachine().AddState(name, new T(name, game, extra...));
}

} // namespace

void AddTopLevelStates(CTumboKelvoGame& game) {
    Add<CNorvaleSplashState>(game, "NorvaleSplashState");
    Add<CMenuState>(game, "MenuState");
    Add<CCreditsState>(game, "CreditsState");
    Add<CStartTrack1>(game, "StartTrack1State");
    Add<CLaterStartTrack>(game, "StartTrack2State", 2u);
    Add<CLaterStartTrack>(game, "StartTrack3State", 3u);
    Add<CEndTrackState>(game, "EndTrack1State");
    Add<CEndTrackState>(game, "EndTrack2State");
    Add<CEndTrackState>(game, "EndTrack3State");
    Add<CRacingState>(game, "RacingState");
    Add<CInitializationState>(game, "InitState");
    Add<CCharSelState>(game, "CharSelState");
    Add<CMultiState>(game, "MultiState");
    Add<CLoading1State>(game, "Loading1State");
    Add<CLaterLoadingState>(game, "Loading2State", "race_track2.xml", "StartTrack2State");
    Add<CLaterLoadingState>(game, "Loading3State", "race_track3.xml", "StartTrack3State");
    Add<CLoadingScreenState>(game, "LoadingScreenState");
}

} // namespace kelvo
