#include "game/flow/tumbo_kelvo_game.h"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <sstream>

#include "engine/core/controller.h"
#include "engine/core/input_system.h"
#include "engine/core/model.h"
#include "engine/core/object_id.h"
#include "engine/core/picker.h"
#include "engine/core/sound.h"
#include "engine/core/sound_system.h"
#include "engine/core/velm_app.h"
#include "engine/core/view.h"
#include "engine/events/event_manager.h"
#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/texture_cache.h"
#include "engine/gfx/velm_gfx.h"
#include "engine/net/network_manager.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "game/ai/ai_script_functions.h"
#include "game/ai/waypoint_editor.h"
#include "game/content/data_files.h"
#include "game/content/model_data_mgr.h"
#include "game/events/game_events.h"
#include "game/flow/frame_drawing.h"
#include "game/flow/game_race.h"
#include "game/flow/game_screen_host.h"
#include "game/flow/game_screens.h"
#include "game/flow/game_tools.h"
#include "game/flow/game_trace.h"
#include "game/flow/peer_event_check.h"
#include "game/flow/startup_model_data.h"
#include "game/flow/top_level_state.h"
#include "game/flow/tumbo_kelvo_listener.h"
#include "game/tools/console_sink.h"
#include "game/tools/level_editor.h"
#include "game/tools/script_functions.h"
#include "game/ui/character_selection.h"
#include "game/ui/credits.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/loading_screen.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/norvale_splash.h"
#include "game/ui/shipped_layouts.h"
#include "game/ui/start_menu.h"
#include "game/ui/start_race_gui.h"
#include "game/ui/tumbo_kelvo_console.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/ui/victory_screen.h"
#include "game/world/item_manager.h"
#include "game/world/model_manip.h"
#include "game/world/race_rank_tracker.h"
#include "game/world/racer_model.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "libs/common/geometry.h"
#include "libs/common/script_manager.h"
#include "libs/common/singleton.h"
#include "platform/dinput/dik_codes.h"
#include "platform/dxut/dxut.h"

namespace kelvo {

namespace {

CTumboKelvoGame* g_game = nullptr;

constexpr const char* kListenerTypes[] = {"Create_Racer_Event",
                                          "Create_Light",
                                          "Load_Level",
                                          "Create_Item",
                                          "Create_Environment_Obj_Event",
                                          "Change_Ani_Evt",
                                          "Started_Connection_Evt",
                                          "Position_Update",
                                          "ObjectCollision",
                                          "Create_PartSys_Event",
                                          "Make_Water",
                                          "Make_Terrain",
                                          "Attach_Detach_Model_Eventt",
                                          "Text_Message_Event",
                                          "Create_Trigger_Obj"};

struct SSoundRow {
    const char* m_file;
    bool m_stream;
    float m_volume;
};

constexpr SSoundRow kSoundRows[CTumboKelvoGame::kSoundCount] = {{"music/intro_short.wav", true, 0.7f},
                                                                {"sfx/environment/runnnig_river.wav", false, 0.2f},
                                                                {"music/Breakdown.mp3", true, 0.4f},
                                                                {"sfx/environment/geyser_explode.wav", false, 0.5f},
                                                                {"sfx/environment/falling_rocks.wav", false, 0.5f},
                                                                {"sfx/general_racer_sounds/ready.wav", false, 0.4f},
                                                                {"sfx/general_racer_sounds/three.wav", false, 0.4f},
                                                                {"sfx/general_racer_sounds/two.wav", false, 0.4f},
                                                                {"sfx/general_racer_sounds/one.wav", false, 0.4f},
                                                                {"sfx/general_racer_sounds/go.wav", false, 0.4f}};

constexpr std::uint32_t kKeyDown = 0;

velm::CSoundSystem* AppSounds() {
    velm::CVelmApp* app = velm::GetApp();
    return app != nullptr ? app->GetSoundSystem() : nullptr;
}

class CFinishTraceListener : public velm::IEventListener {
public:
    explicit CFinishTraceListener(CTumboKelvoGame& game) : m_game(game) {}
    bool HandleEvent(const velm::CEvent& event) override {
        if (!AcceptPeerEvent(m_game, event)) {
            return false;
        }
        if (const auto* payload = dynamic_cast<const CRacerFinishedRaceEvtData*>(event.GetData())) {
            m_game.OnRacerFinished(payload->m_racerId);
        }
        return false;
    }
    std::string GetName() override { return "FinishTrace"; }

private:
    CTumboKelvoGame& m_game;
};

} // namespace

CTumboKelvoGame* GetGame() { return g_game; }

common::CVector3 GetObjectPositionById(std::uint32_t id) {
    if (g_game != nullptr) {
        if (velm::CModel* model = g_game->FindModel(id)) {
            return model->GetPosition();
        }
    }
    return common::CVector3(0.0f, 0.0f, 0.0f);
}

CTumboKelvoGame::CTumboKelvoGame()
    : m_listener(std::make_shared<TumboKelvoListener>()),
      m_raceCamera(std::make_unique<CTumboKelvoCamera>("RaceCameraInit.xml")),
      m_freeRoamCamera(std::make_unique<CTumboKelvoCamera>("FreeRoamCameraInit.xml")),
      m_screens(std::make_unique<velm::gfx::CGUIManager>()),
      m_itemManager(std::make_shared<CItemManager>()),
      m_trace(std::make_unique<CGameTrace>()),
      m_statistics(L"", velm::gfx::STextStyle(), 0, 0, 0),
      m_screenGame(std::make_unique<CGameScreens>(*this)),
      m_screenHost(std::make_unique<CGameScreenHost>(*this)),
      m_race(std::make_unique<CGameRace>(*this)),
      m_toolsView(std::make_unique<CGameToolsView>(*this)) {
    SetScreenGame(m_screenGame.get());
    SetScreenHost(m_screenHost.get());
    m_activeCamera = m_raceCamera.get();
    // Each screen has its own id from the table's counter, in a fixed order (0-12 in a fresh table).
    for (std::size_t screen = 0; screen < kScreenCount; ++screen) {
        m_screenIds[screen] = static_cast<std::uint32_t>(m_screens->NextId());
    }
    g_game = this;
    SetRaceContext(m_race.get());
    SetToolsGame(m_toolsView.get());
}

CTumboKelvoGame::~CTumboKelvoGame() {
    ReleaseLevelObjects();
    if (velm::CSoundSystem* sounds = AppSounds()) {
        for (velm::CSound*& sound : m_sounds) {
            sounds->ReleaseSound(sound);
            sound = nullptr;
        }
    }
    if (velm::IEventManager* events = velm::GetEventManager()) {
        events->DelListenerAll(m_listener);
        events->DelListenerAll(m_itemManager);
        if (m_finishTrace) {
            events->DelListenerAll(m_finishTrace);
        }
    }
    m_raceCamera.reset();
    m_freeRoamCamera.reset();
    m_rankTracker.reset();
    // The screens go first, while the game they reach is still whole.
    m_screens.reset();
    if (GetScreenGame() == m_screenGame.get()) {
        SetScreenGame(nullptr);
    }
    if (GetScreenHost() == m_screenHost.get()) {
        SetScreenHost(nullptr);
    }
    m_aiScripts.reset();
    common::CSingleton<CLevelEditor>::Destroy();
    if (m_modelDataMgr && &kelvo::GetModelDataMgr() == m_modelDataMgr.get()) {
        kelvo::SetModelDataMgr(nullptr);
    }
    DetachGameTools(*this);
    m_modelDataMgr.reset();
    m_readyPlayers.clear();
    m_itemManager.reset();
    m_raceLineUp.clear();
    m_listener.reset();
    if (g_game == this) {
        g_game = nullptr;
    }
    if (GetRaceContext() == m_race.get()) {
        SetRaceContext(nullptr);
    }
    if (GetToolsGame() == m_toolsView.get()) {
        SetToolsGame(nullptr);
    }
}

void CTumboKelvoGame::OnResetDevice() {
    m_screens->OnResetDevice();
    m_statistics.OnResetDevice();
}

void CTumboKelvoGame::OnLostDevice() {
    m_screens->OnLostDevice();
    m_statistics.OnLostDevice();
}

void CTumboKelvoGame::Init() {
    velm::gfx::STextStyle style;
    style.fontIndex = 2;
    style.r = 0.0f;
    style.g = 0.0f;
    style.b = 0.0f;
    style.a = 1.0f;
    style.format = 0;
    m_statistics.SetTextStyle(style);
    m_statistics.SetPosition(10, 400);
    m_statistics.SetTextWidth(400);
    m_statistics.SetZOrder(5);
    m_statistics.OnResetDevice();
    // The AI's script functions are registered before any start-up script can call them.
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetAIManager() != nullptr && !m_aiScripts) {
        m_aiScripts = std::make_unique<ai::CAIScriptHost>(*app->GetAIManager(), &ConsolePrint);
        m_aiScripts->Register();
    }
    CreateLoadingThread();
    RegisterScriptFunctions();
    AttachGameTools(*this);
    InitOverlays();
    if (velm::IEventManager* events = velm::GetEventManager()) {
        for (const char* type : kListenerTypes) {
            events->AddListener(m_listener, velm::CEventType(type));
        }
        m_finishTrace = std::make_shared<CFinishTraceListener>(*this);
        events->AddListener(m_finishTrace, velm::CEventType("Player_Finished_Race"));
    }
    AddTopLevelStates(*this);
    m_modelDataMgr = std::make_unique<CModelDataMgr>(kXmlDataFolder, AppSoundMaker());
    kelvo::SetModelDataMgr(m_modelDataMgr.get());
    LoadStartupModelData(*m_modelDataMgr);
    // Their pictures are decoded on worker threads while this thread builds the screens and the
    // level that will ask for them; the first level build lets go of those it did not use.
    velm::gfx::TextureCache::Instance().Prefetch(m_modelDataMgr->TextureNames());
    m_itemManager->LoadItemRankings(kItemOddsFile);
    if (velm::GetEventManager() != nullptr) {
        RegisterItemManager(*velm::GetEventManager(), m_itemManager);
    }
    m_rankTracker = std::make_unique<CRaceRankTracker>();
    m_stateMachine.ChangeState("InitState");

    m_raceCamera->SetObjectId(velm::NewObjectID());
    if (app != nullptr && app->GetPhysicsWorld() != nullptr && m_raceCamera->GetBody()) {
        app->GetPhysicsWorld()->AddBody(m_raceCamera->GetObjectId(), m_raceCamera->GetBody());
    }
    m_raceCamera->SetupBody();

    if (app != nullptr && app->GetGfx() != nullptr) {
        // The river runs along z: one column of cells down its length.
        app->GetGfx()->SetSpatialPartition(-100.0f, -200.0f, -3770.0f, 100.0f, 80.0f, 520.0f, 200.0f, 280.0f, 143.0f,
                                           0x64);
    }
    if (velm::CSoundSystem* sounds = AppSounds()) {
        for (std::size_t index = 0; index < kSoundCount; ++index) {
            const SSoundRow& row = kSoundRows[index];
            m_sounds[index] = row.m_stream ? sounds->CreateStream(row.m_file) : sounds->CreateSound(row.m_file);
            if (m_sounds[index] != nullptr) {
                m_sounds[index]->SetVolume(row.m_volume);
            }
        }
    }
    m_raceFogStartDensity = kRaceFogStart;
    m_raceFogEndDensity = kRaceFogEnd;
}

void CTumboKelvoGame::InitOverlays() {
    // Every script function prints through the one console seam, and the console is its sink.
    // The sink outlives this game: it prints on whichever game is alive and has its console up,
    // else on standard output.
    SetConsoleSink([](const std::string& line) {
        CTumboKelvoGame* game = GetGame();
        if (TumboKelvoConsole* console = game != nullptr ? game->GetConsole() : nullptr) {
            console->Print(line);
        } else {
            std::printf("%s\n", line.c_str());
        }
    });
    common::CScriptManager::GetInstance()->RunScript("Scripts/ConsoleParser");
}

void CTumboKelvoGame::SetUpOverlays() {
    TumboKelvoGameHUD* hud = GetHUD();
    TumboKelvoConsole* console = GetConsole();
    if (hud != nullptr) {
        hud->SetProgressSource(
            [this](std::uint32_t racerId) { return m_rankTracker ? m_rankTracker->GetProgress(racerId) : 0.0f; });
    }
    // Their pictures need a device.
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetGfx() != nullptr) {
        if (hud != nullptr) {
            hud->Init();
        }
        if (console != nullptr) {
            console->Init();
        }
    }
}

CWaypointEditor* CTumboKelvoGame::GetWaypointData() const { return m_aiScripts ? &m_aiScripts->GetEditor() : nullptr; }

LRESULT CTumboKelvoGame::MsgProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ToolsMsgProc(message, wParam, lParam);
}

void PostQuit() { PostQuitMessage(0); }

velm::CVelmCamera* CTumboKelvoGame::GetCamera() { return m_activeCamera; }

void CTumboKelvoGame::ToggleCamera() {
    if (m_activeCamera == m_raceCamera.get()) {
        // The free-roam camera takes over the race camera's view, then looks around from its eye.
        CTumboKelvoCamera& free = *m_freeRoamCamera;
        free.SetMode(velm::CVelmCamera::MODE_BODY);
        free.PlaceTarget(m_raceCamera->GetTarget());
        free.SetYaw(m_raceCamera->GetYaw());
        free.SetPitch(m_raceCamera->GetPitch());
        free.SetRadius(m_raceCamera->GetRadius());
        free.SetMode(0);
        free.SetMoving(false);
        free.SetMoveVector(common::CVector3(1.0f, 0.0f, 0.0f));
        m_activeCamera = &free;
    } else {
        m_raceCamera->SetMoving(false);
        m_raceCamera->SetMoveVector(common::CVector3(0.0f, 0.0f, 0.0f));
        m_activeCamera = m_raceCamera.get();
    }
}

void CTumboKelvoGame::DispatchInput() {
    velm::CVelmApp* app = velm::GetApp();
    velm::input::CInputSystem* input = m_testInput;
    if (input == nullptr && app != nullptr) {
        input = app->GetInputSystem();
    }
    if (input == nullptr) {
        return;
    }
    input->Update();
    velm::input::SInputEvent record{};
    while (input->PopInputEvent(record)) {
        const bool toScreens = OfferToScreens(record);
        m_heldKeys.Note(record, !toScreens && m_controllersTakeInput);
        if (toScreens) {
            continue;
        }
        m_activeCamera->HandleInput(record);
        if (m_controllersTakeInput) {
            OfferToControllers(record);
        }
        if (OfferToolsInput(record)) {
            continue;
        }
        if (record.m_value == kKeyDown && record.m_code == DIK_NUMPAD5) {
            ToggleCamera();
        } else if (record.m_value == kKeyDown && record.m_code == DIK_ESCAPE) {
            if (CInGameMenu* menu = GetInGameMenu()) {
                menu->Show(menu->IsShown() ? 0 : 1);
            }
        }
    }
}

void CTumboKelvoGame::OfferToControllers(const velm::input::SInputEvent& record) {
    for (auto& entry : m_controllers) {
        if (entry.second != nullptr && entry.second->HandleInput(record)) {
            break;
        }
    }
}

void CTumboKelvoGame::SetControllersTakeInput(bool on) {
    const bool resumed = on && !m_controllersTakeInput;
    m_controllersTakeInput = on;
    if (resumed) {
        // A key pressed before the controllers listen (held through the countdown) is held now.
        for (const velm::input::SInputEvent& record : m_heldKeys.TakeOwed()) {
            OfferToControllers(record);
        }
    }
}

bool CTumboKelvoGame::OfferToScreens(const velm::input::SInputEvent& event) { return m_screens->HandleInput(event); }

void CTumboKelvoGame::AddScreen(EScreen screen, velm::gfx::CBaseGUI* made) {
    if (!m_screens->AddScreen(static_cast<int>(m_screenIds[screen]), made)) {
        delete made;
    }
}

void CTumboKelvoGame::CreateStartMenu() { AddScreen(kStartMenuScreen, new CStartMenu("StartMenu.xml")); }
void CTumboKelvoGame::RemoveStartMenu() {
    m_screens->RemoveScreenLater(static_cast<int>(m_screenIds[kStartMenuScreen]));
}
CStartMenu* CTumboKelvoGame::GetStartMenu() const { return Screen<CStartMenu>(kStartMenuScreen); }
void CTumboKelvoGame::CreateCharacterSelection(std::uint8_t networkRoad, std::uint8_t host) {
    AddScreen(kCharSelScreen, new CCharacterSelection("CharacterSelection.xml", networkRoad, host));
}
void CTumboKelvoGame::RemoveCharacterSelection() {
    m_screens->RemoveScreenLater(static_cast<int>(m_screenIds[kCharSelScreen]));
}
CCharacterSelection* CTumboKelvoGame::GetCharacterSelection() const {
    return Screen<CCharacterSelection>(kCharSelScreen);
}
void CTumboKelvoGame::CreateCredits(std::uint8_t networkRoad, std::uint8_t host) {
    AddScreen(kCreditsScreen, new CCredits("CreditsMenu.xml", networkRoad, host));
}
void CTumboKelvoGame::RemoveCredits() { m_screens->RemoveScreenLater(static_cast<int>(m_screenIds[kCreditsScreen])); }
CCredits* CTumboKelvoGame::GetCredits() const { return Screen<CCredits>(kCreditsScreen); }
void CTumboKelvoGame::CreateInGameMenu() { AddScreen(kInGameMenuScreen, new CInGameMenu("InGameMenu.xml")); }
CInGameMenu* CTumboKelvoGame::GetInGameMenu() const { return Screen<CInGameMenu>(kInGameMenuScreen); }
void CTumboKelvoGame::CreateStartRaceGUI() { AddScreen(kCountdownScreen, new CStartRaceGUI("StartRaceInit.xml")); }
CStartRaceGUI* CTumboKelvoGame::GetStartRaceGUI() const { return Screen<CStartRaceGUI>(kCountdownScreen); }
void CTumboKelvoGame::CreateEndRaceGUI() { AddScreen(kEndOfRaceScreen, new CEndRaceGUI("EndRace.xml")); }
CEndRaceGUI* CTumboKelvoGame::GetEndRaceGUI() const { return Screen<CEndRaceGUI>(kEndOfRaceScreen); }
void CTumboKelvoGame::CreateVictoryScreen() { AddScreen(kVictoryScreen, new CVictoryScreen("VictoryScreen.xml")); }
CVictoryScreen* CTumboKelvoGame::GetVictoryScreen() const { return Screen<CVictoryScreen>(kVictoryScreen); }
void CTumboKelvoGame::CreateLoadingScreen() { AddScreen(kLoadingScreen, new CLoadingScreen("hud/loading_screen.png")); }
void CTumboKelvoGame::RemoveLoadingScreen() { m_screens->RemoveScreen(static_cast<int>(m_screenIds[kLoadingScreen])); }
void CTumboKelvoGame::CreateSplash() { AddScreen(kSplashScreen, new CNorvaleSplash("NorvaleSplash.xml")); }
void CTumboKelvoGame::RemoveSplash() { m_screens->RemoveScreenLater(static_cast<int>(m_screenIds[kSplashScreen])); }
void CTumboKelvoGame::CreateMultiPlayerMenu(std::uint8_t host) {
    AddScreen(kLobbyScreen, new MultiPlayerMenu("MultiplayerMenu.xml", host));
}
void CTumboKelvoGame::RemoveMultiPlayerMenu() {
    m_screens->RemoveScreenLater(static_cast<int>(m_screenIds[kLobbyScreen]));
}
MultiPlayerMenu* CTumboKelvoGame::GetMultiPlayerMenu() const { return Screen<MultiPlayerMenu>(kLobbyScreen); }
void CTumboKelvoGame::CreateConsole() { AddScreen(kConsoleScreen, new TumboKelvoConsole()); }
TumboKelvoConsole* CTumboKelvoGame::GetConsole() const { return Screen<TumboKelvoConsole>(kConsoleScreen); }
void CTumboKelvoGame::CreateHUD() { AddScreen(kHUDScreen, new TumboKelvoGameHUD()); }
TumboKelvoGameHUD* CTumboKelvoGame::GetHUD() const { return Screen<TumboKelvoGameHUD>(kHUDScreen); }
void CTumboKelvoGame::CreateCursor() {
    AddScreen(kCursorScreen,
              new velm::gfx::CCursor(std::string(kXmlDataFolder) + "CursorInit.xml", false, kShippedCursor));
}
velm::gfx::CCursor* CTumboKelvoGame::GetCursorScreen() const { return Screen<velm::gfx::CCursor>(kCursorScreen); }

void CTumboKelvoGame::StartCameraMove(const SCameraView& view) {
    m_raceCamera->StartTransition(view.m_point, static_cast<float>(kCameraMoveSeconds), view.m_radius, view.m_azimuth,
                                  view.m_latitude);
}

bool CTumboKelvoGame::IsCameraMoving() const { return m_raceCamera->IsTransitionRunning(); }

void CTumboKelvoGame::StartRace() {
    m_stateMachine.ChangeState("StartTrack1State");
    if (velm::gfx::CCursor* cursor = GetCursorScreen()) {
        cursor->Show(false);
    }
}

void CTumboKelvoGame::ResetRace() {
    // Nothing of the race's screens may outlive it: the board, the victory screen (with its
    // trophy) and an open in-game menu all close here.
    if (CEndRaceGUI* board = GetEndRaceGUI()) {
        board->OnRaceReset();
    }
    if (CVictoryScreen* victory = GetVictoryScreen()) {
        victory->OnRaceReset();
    }
    if (CInGameMenu* menu = GetInGameMenu()) {
        menu->OnRaceReset();
    }
    // The racers go below, so the race camera lets go of its racer first and waits at the menu.
    m_raceCamera->SetTarget(static_cast<velm::CModel*>(nullptr));
    if (m_raceCamera->GetBody()) {
        m_raceCamera->GetBody()->SetLinearVelocity(common::CVector3(0.0f, 0.0f, 0.0f));
    }
    m_raceCamera->SetTarget(common::CVector3(5.6f, -1.17f, 505.655f));
    m_raceCamera->SetRadius(7.07106f);
    m_raceCamera->SetYaw(2.85079f);
    m_raceCamera->SetPitch(-0.5254f);
    // The view is taken from the camera's body: it goes to the new eye too, or the next frames
    // would look at the menu's point from where the race left off.
    m_raceCamera->PlaceBodyAtEye();
    if (velm::gfx::CCursor* cursor = GetCursorScreen()) {
        cursor->Show(true);
    }
    m_localRacerModel = nullptr;
    if (m_rankTracker) {
        m_rankTracker->Clear();
    }
    m_itemManager->ClearRacers();
    TumboKelvoGameHUD* hud = GetHUD();
    if (hud != nullptr) {
        hud->ClearRacerEntries();
        hud->SetPlace(0);
        hud->StopItemSpin();
        hud->ClearItemIcon();
    }
    for (std::uint32_t id : m_racerIds) {
        RemoveObject(id);
    }
    std::vector<std::uint32_t>().swap(m_racerIds);
    // The device's copies of the river and banks the race went down (some 3.5 MB) would otherwise
    // stay through the menus, beside their screens, until the renderer's draw-count sweep came
    // round; the menus draw a few of them, the next race makes its own again at its first frames.
    if (velm::gfx::Renderer::Exists()) {
        velm::gfx::Renderer::Instance().ReleaseFixedGeometry();
    }
    if (velm::IEventManager* events = velm::GetEventManager()) {
        for (const char* type :
             {"Create_Item_Event", "Fire_Item_Event", "Destroy_Item_Event", "Stop_Item_Spin_Event"}) {
            events->AbortEventsOfType(velm::CEventType(type), true);
        }
    }
    m_currentTrack = 0;
    m_raceFogOn = false;
    m_waitingForReady = false;
    m_readyPlayers.clear();
    m_activeCamera = m_raceCamera.get();
    if (hud != nullptr) {
        hud->SetVisible(true);
    }
    m_stateMachine.ChangeState("LoadingScreenState");
#if defined(__GLIBC__)
    // What the race freed lies in holes under what the menus keep: its pages go back to the
    // system, else every race after the first holds a few more megabytes resident than it uses.
    malloc_trim(0);
#endif
}

void CTumboKelvoGame::NoteFinishCrossed(std::uint32_t racerId) {
    if (std::find(m_crossedFinish.begin(), m_crossedFinish.end(), racerId) == m_crossedFinish.end()) {
        m_crossedFinish.push_back(racerId);
    }
}

void CTumboKelvoGame::OnRacerFinished(std::uint32_t racerId) {
    if (std::find(m_heardFinishes.begin(), m_heardFinishes.end(), racerId) != m_heardFinishes.end()) {
        return;
    }
    m_heardFinishes.push_back(racerId);
    // The place is the order heard, not the race rank: a finished racer stops past the line, and
    // those still racing float past it.
    const auto place = static_cast<std::uint32_t>(m_heardFinishes.size());
    m_trace->RacerFinished(racerId, place, static_cast<float>(m_time - m_raceStartTime));
}

void CTumboKelvoGame::Update(double time, float elapsed) {
    m_time = time;
    ++m_frameSteps;
    PollLoadingThread();
    DispatchInput();
    UpdateControllers(time, elapsed);
    if (velm::IEventManager* events = velm::GetEventManager()) {
        events->Tick(-1);
    }
    m_raceCamera->Update(elapsed);
    m_freeRoamCamera->Update(elapsed);
    m_activeCamera->GiveToGraphics();
    UpdateModels(time, elapsed);
    m_stateMachine.Update();
    UpdateSoundListener();
    m_itemManager->UpdateItemSpins();
    if (m_rankTracker) {
        m_rankTracker->Update();
    }
    // Screens count whole milliseconds, truncated.
    m_screens->Update(static_cast<unsigned>(elapsed * 1000.0f));
    UpdateFog();
    velm::gfx::UpdateParticleSystems(time, elapsed);
    UpdateViews(time, elapsed);
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetPhysicsWorld() != nullptr) {
        app->GetPhysicsWorld()->Update(elapsed);
    }
    if (IsNetworked() && app != nullptr && app->GetNetworkManager() != nullptr) {
        app->GetNetworkManager()->UpdateBandwidth(elapsed);
    }
    BuildStatisticsText();
}

void CTumboKelvoGame::UpdateSoundListener() {
    velm::CSoundSystem* sounds = AppSounds();
    if (sounds == nullptr) {
        return;
    }
    if (m_localRacerModel == nullptr) {
        // Without a racer to follow the listener waits at the origin and the system is not stepped.
        sounds->SetListenerPosition(common::CVector3(0.0f, 0.0f, 0.0f));
        return;
    }
    sounds->SetListenerPosition(m_localRacerModel->GetPosition());
    sounds->SetListenerVelocity(m_localRacerModel->GetLinearVelocity());
    sounds->Update();
}

void CTumboKelvoGame::UpdateFog() {
    if (!m_raceFogOn) {
        m_fogDensity = kRaceFogEnd;
    } else {
        // Thick at the start, thinning as the local racer gets down the river.
        const float progress = m_rankTracker ? m_rankTracker->GetProgress(m_localRacerId) : 0.0f;
        m_fogDensity = m_raceFogStartDensity + (m_raceFogEndDensity - m_raceFogStartDensity) * progress;
    }
    velm::gfx::AtmosphereManager::Instance().m_fogDensity = m_fogDensity;
}

void CTumboKelvoGame::BuildStatisticsText() {
    velm::CVelmApp* app = velm::GetApp();
    velm::gfx::CVelmGfx* gfx = app != nullptr ? app->GetGfx() : nullptr;
    std::uint32_t objects = 0;
    std::uint32_t faces = 0;
    std::uint32_t filteredObjects = 0;
    std::uint32_t filteredFaces = 0;
    std::uint32_t drawnObjects = 0;
    std::uint32_t drawnFaces = 0;
    if (gfx != nullptr) {
        objects = gfx->GetSceneObjectCount();
        faces = gfx->GetSceneFaceCount();
        filteredObjects = gfx->GetFilteredObjectCount();
        filteredFaces = gfx->GetFilteredFaceCount();
        drawnObjects = gfx->GetDrawnObjectCount();
        drawnFaces = gfx->GetDrawnFaceCount();
    }
    std::wostringstream text;
    text << L"Framerate: " << DXUTGetFPS() << L"\n";
    text << L"Objs Count: " << objects << L"\n";
    text << L"Scene Faces Count: " << faces << L"\n";
    text << L"Filtered Objs Count: " << filteredObjects << L"\n";
    text << L"Filtered Faces Count: " << filteredFaces << L"\n";
    text << L"Drawn Objs Count: " << drawnObjects << L"\n";
    text << L"Drawn Faces Count: " << drawnFaces << L"\n";
    velm::net::CNetworkManager* network = app != nullptr ? app->GetNetworkManager() : nullptr;
    if (IsNetworked() && network != nullptr) {
        text << L"Sending " << network->GetSendRate() << L" B/s" << L"\n";
        text << L"Receiving " << network->GetReceiveRate() << L" B/s" << L"\n";
    }
    m_statisticsText = text.str();
    m_statistics.SetText(m_statisticsText);
}

std::vector<velm::gfx::IScreenUnit*> CTumboKelvoGame::GetScreenList() {
    std::vector<velm::gfx::IScreenUnit*> units;
    if (m_showStatistics) {
        units.push_back(&m_statistics);
    }
    const auto& drawList = m_screens->GetDrawList();
    units.insert(units.end(), drawList.begin(), drawList.end());
    return units;
}

void CTumboKelvoGame::Render(double time, float elapsed) {
    velm::CVelmApp* app = velm::GetApp();
    velm::gfx::CVelmGfx* gfx = app != nullptr ? app->GetGfx() : nullptr;
    if (gfx == nullptr) {
        return;
    }
    gfx->SetScreenUnits(GetScreenList());
    CullFrameUnits(*gfx, m_views);
    gfx->RenderFrame(time, elapsed);
}

void CTumboKelvoGame::PlayLooping(ESound sound) {
    if (velm::CSoundSystem* sounds = AppSounds()) {
        if (m_sounds[sound] != nullptr) {
            sounds->PlaySound(m_sounds[sound], false, 1);
        }
    }
}

void CTumboKelvoGame::PlayRiverSound() { PlayLooping(kRiver); }
void CTumboKelvoGame::PlayRaceMusic() { PlayLooping(kRaceMusic); }
void CTumboKelvoGame::PlayIntroMusic() { PlayLooping(kIntroMusic); }

void CTumboKelvoGame::PauseRaceMusic() {
    if (m_sounds[kRaceMusic] != nullptr) {
        m_sounds[kRaceMusic]->Pause();
    }
}

void CTumboKelvoGame::StopRiverSound() {
    if (m_sounds[kRiver] != nullptr) {
        m_sounds[kRiver]->Stop();
    }
}

void CTumboKelvoGame::PauseIntroMusic() {
    if (m_sounds[kIntroMusic] != nullptr) {
        m_sounds[kIntroMusic]->Pause();
    }
}

std::vector<velm::CModel*> CTumboKelvoGame::GetRacers() const {
    std::vector<velm::CModel*> racers;
    racers.reserve(m_racerIds.size());
    for (std::uint32_t id : m_racerIds) {
        racers.push_back(FindModel(id));
    }
    return racers;
}

void CTumboKelvoGame::PlayCountdownSound(int stage) {
    if (stage < 2 || stage > 6) {
        return;
    }
    velm::CSound* sound = m_sounds[kReady + static_cast<std::size_t>(stage - 2)];
    velm::CSoundSystem* sounds = AppSounds();
    if (sounds != nullptr && sound != nullptr) {
        sounds->PlaySound(sound, false, 0);
    }
}

bool CTumboKelvoGame::PickNearestRacerOnRay(std::uint32_t casterId, const common::CVector3& axis, float range,
                                            float halfAngle, std::uint32_t* outId) const {
    const velm::CModel* caster = FindModel(casterId);
    if (caster == nullptr) {
        return false;
    }
    float best = 0.0f;
    bool found = false;
    for (std::uint32_t id : m_racerIds) {
        const velm::CModel* racer = id != casterId ? FindModel(id) : nullptr;
        float along = 0.0f;
        if (racer != nullptr &&
            common::IsPointInCone(caster->GetPosition(), axis, range, halfAngle, racer->GetPosition(), &along) &&
            (!found || along < best)) {
            best = along;
            found = true;
            if (outId != nullptr) {
                *outId = id;
            }
        }
    }
    return found;
}

void CTumboKelvoGame::PlayGeyserSound(const common::CVector3& position) {
    ++m_geyserSounds;
    if (velm::CSoundSystem* sounds = AppSounds()) {
        sounds->SetListenerPosition(position);
        if (m_sounds[kGeyser] != nullptr) {
            sounds->PlaySound(m_sounds[kGeyser], false, 0);
        }
    }
}

void CTumboKelvoGame::PlayFallingRocksSound(const common::CVector3& position) {
    if (velm::CSoundSystem* sounds = AppSounds()) {
        sounds->SetListenerPosition(position);
        if (m_sounds[kFallingRocks] != nullptr) {
            sounds->PlaySound(m_sounds[kFallingRocks], false, 0);
        }
    }
}

} // namespace kelvo
