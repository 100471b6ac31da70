// The game object: owns the top-level flow, the game listener, the model data, the rank tracker,
// the race and free-roam cameras, the sounds and the statistics text, and runs the frame step in
// its fixed order over the engine's game base. The one game object alive is reached through
// kelvo::GetGame(). Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/velm_game.h"
#include "engine/events/event.h"
#include "engine/gfx/gui_manager.h"
#include "engine/gfx/text_sprite.h"
#include "game/flow/held_keys.h"
#include "game/flow/level_loader.h"
#include "game/ui/screen_game.h"
#include "libs/common/state_machine.h"
#include "libs/common/thread.h"
#include "libs/common/vector3.h"

namespace velm {
class IEventListener;
namespace input {
struct SInputEvent;
class CInputSystem;
} // namespace input
class CSound;
class CModel;
namespace gfx {
class CCursor;
class IGfxUnit;
class IScreenUnit;
} // namespace gfx
} // namespace velm

namespace kelvo {

class TumboKelvoGameHUD;
class TumboKelvoConsole;
class TumboKelvoListener;
class CModelDataMgr;
class CRaceRankTracker;
class CTumboKelvoCamera;
class CGameTrace;
class CLightModel;
class CEndRaceGUI;
class CItemManager;
class CWaypointEditor;
namespace ai {
class CAIScriptHost;
}
class CStartMenu;
class CCharacterSelection;
class MultiPlayerMenu;
class CCredits;
class CInGameMenu;
class CVictoryScreen;
class CNorvaleSplash;
class CLoadingScreen;
class CGameScreens;
class CStartRaceGUI;
class TumboKelvoConsole;
class CGameScreenHost;
class CGameRace;
class CGameToolsView;

class CTumboKelvoGame : public velm::CVelmGame {
public:
    // The countdown sounds are played by their place in this order.
    enum ESound : std::size_t {
        kIntroMusic,
        kRiver,
        kRaceMusic,
        kGeyser,
        kFallingRocks,
        kReady,
        kThree,
        kTwo,
        kOne,
        kGo,
        kSoundCount
    };

    static constexpr float kRaceFogStart = 0.1f;
    static constexpr float kRaceFogEnd = 0.0067f;

    CTumboKelvoGame();
    ~CTumboKelvoGame() override;
    CTumboKelvoGame(const CTumboKelvoGame&) = delete;
    CTumboKelvoGame& operator=(const CTumboKelvoGame&) = delete;

    std::wstring GetTitle() override { return L"Tumbo Kelvo"; }
    void OnResetDevice() override;
    void OnLostDevice() override;
    void Update(double time, float elapsed) override;
    void Render(double time, float elapsed) override;
    void Init() override;
    LRESULT MsgProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    velm::CVelmCamera* GetCamera() override;
    void* GetCursor() override { return GetCursorScreen(); }
    void OnLoadingFinished() override {}
    // The waypoint editor, from Init on while the application has an AI manager; else null.
    CWaypointEditor* GetWaypointData() const;

    // Each call returns a copy of the one pointer the game holds.
    std::shared_ptr<TumboKelvoListener> GetEventListener() const { return m_listener; }
    common::CStateMachine& GetStateMachine() { return m_stateMachine; }
    CLevelLoader& GetLevelLoader() { return m_levelLoader; }
    CModelDataMgr* GetModelDataMgr() const { return m_modelDataMgr.get(); }
    CRaceRankTracker* GetRaceRankTracker() const { return m_rankTracker.get(); }
    CTumboKelvoCamera* GetRaceCamera() const { return m_raceCamera.get(); }
    CTumboKelvoCamera* GetFreeRoamCamera() const { return m_freeRoamCamera.get(); }
    // Between the race and the free-roam camera.
    void ToggleCamera();
    CGameTrace& GetTrace() { return *m_trace; }

    bool IsAuthoritative() const { return !IsNetworked() || GetMode() != 0; }
    CLightModel* GetLevelLight() const { return m_levelLight; }
    void SetLevelLight(CLightModel* light) { m_levelLight = light; }
    std::uint32_t GetSelectedCharacter() const { return m_selectedCharacter; }
    void SetSelectedCharacter(std::uint32_t character) { m_selectedCharacter = character; }
    std::uint32_t GetCurrentTrack() const { return m_currentTrack; }
    void SetCurrentTrack(std::uint32_t track) { m_currentTrack = track; }
    bool GetControllersTakeInput() const { return m_controllersTakeInput; }
    // Switched back on, the controllers are handed the keys they missed meanwhile and every key
    // still held.
    void SetControllersTakeInput(bool on);
    // Input is read from here instead of the application's input system; null: the application's.
    void SetInputForTest(velm::input::CInputSystem* input) { m_testInput = input; }
    bool ToggleDebugInfo() { return m_showStatistics = !m_showStatistics; }
    // The console's flags only: the network itself is switched by SetNetworkMode.
    void SetNetworkedFlag(bool on) { m_networked = on; }
    void SetHostFlag(bool on) { m_mode = on ? 1 : 0; }
    CItemManager* GetItemManager() const { return m_itemManager.get(); }
    // The level build (tumbo_kelvo_game_level.cpp). LoadLevel builds the named track within the
    // call; the line-up, traps and finish trigger are the first track's.
    void LoadLevel(const std::string& fileName);
    void BuildRacerLineUp();
    void BuildRockTrap();
    void BuildLogTrap();
    void BuildFinishTrigger();
    void RemoveFinishTrigger();
    // Each trap goes with its release trigger.
    void DestroyRockTrap();
    void DestroyLogTrap();
    // Racers look for their water cell afresh in the next level's water.
    void DetachRacersFromWater();
    void AddItemJugId(std::uint32_t id) { m_itemJugIds.push_back(id); }
    void AddEnvObjectId(std::uint32_t id) { m_environmentIds.push_back(id); }
    void AddLogId(std::uint32_t id) { m_logTrapIds.push_back(id); }
    std::vector<velm::CModel*> GetCharSelRacers() const;
    std::vector<std::uint32_t> GetRockTrapList() const { return m_rockTrapIds; }
    std::vector<std::uint32_t> GetLogTrapList() const { return m_logTrapIds; }
    // Item jugs closer than `radius` and ahead of `direction`, in list order.
    std::vector<velm::CModel*> FindItemJugsInRange(const common::CVector3& position, const common::CVector3& direction,
                                                   float radius) const;
    // Only ids of the environment-object list are removed.
    void DestroyEnvObject(std::uint32_t id);
    std::uint32_t GetRockTriggerId() const { return m_rockTriggerId; }
    std::uint32_t GetLogTriggerId() const { return m_logTriggerId; }
    // The connected clients; the network layer's list unless a test set one.
    std::list<std::uint32_t> GetPeerIds() const;
    // This machine has become the server of the running game.
    void SetServerMode() { m_mode = 1; }
    // The unstarted loading thread, driving this game's level loader.
    void CreateLoadingThread();
    // The level's surfaces and the secondary objects are the game's too, though the base keeps
    // them apart: freed at destruction.
    void ReleaseLevelObjects();

    class CLoadingThread : public common::CThread {
    public:
        explicit CLoadingThread(CTumboKelvoGame& game) : m_game(game), m_loader(&game.GetLevelLoader()) {}
        ~CLoadingThread() override;
        CLevelLoader* GetLoader() const { return m_loader; }

    protected:
        void Run() override;

    private:
        CTumboKelvoGame& m_game;
        CLevelLoader* m_loader;
    };

    void AddRacerId(std::uint32_t id) { m_racerIds.push_back(id); }
    const std::vector<std::uint32_t>& GetRacerIds() const { return m_racerIds; }
    // One entry per id of the racer list, in list order; null where the model is gone.
    std::vector<velm::CModel*> GetRacers() const;
    // The racer other than the caster inside the cone with the least squared distance along the
    // axis; false when none is.
    bool PickNearestRacerOnRay(std::uint32_t casterId, const common::CVector3& axis, float range, float halfAngle,
                               std::uint32_t* outId) const;
    // Geyser eruptions heard so far.
    int GetGeyserSoundCount() const { return m_geyserSounds; }
    bool IsRocksReleased() const { return m_rocksReleased; }
    void SetRocksReleased(bool on) { m_rocksReleased = on; }
    bool IsLogsReleased() const { return m_logsReleased; }
    void SetLogsReleased(bool on) { m_logsReleased = on; }
    bool IsRaceFogOn() const { return m_raceFogOn; }
    void SetRaceFogOn(bool on) { m_raceFogOn = on; }
    // The fog density of the last frame step.
    float GetFogDensity() const { return m_fogDensity; }
    std::uint32_t GetLocalRacerId() const { return m_localRacerId; }
    void SetLocalRacer(std::uint32_t id, velm::CModel* model) {
        m_localRacerId = id;
        m_localRacerModel = model;
    }
    velm::CModel* GetLocalRacerModel() const { return m_localRacerModel; }

    std::list<std::uint32_t>& GetReadyPlayers() { return m_readyPlayers; }
    std::vector<std::uint32_t>& GetRacerIds() { return m_racerIds; }
    std::vector<std::uint32_t>& GetItemJugIds() { return m_itemJugIds; }
    std::vector<std::uint32_t>& GetEnvironmentIds() { return m_environmentIds; }
    std::vector<std::uint32_t>& GetCharacterLineUpIds() { return m_characterLineUpIds; }
    std::vector<std::uint32_t>& GetRockTrapIds() { return m_rockTrapIds; }
    std::vector<std::uint32_t>& GetLogTrapIds() { return m_logTrapIds; }
    std::uint32_t GetFinishTriggerId() const { return m_finishTriggerId; }
    void SetFinishTriggerId(std::uint32_t id) { m_finishTriggerId = id; }

    void PlayRiverSound();
    void PlayRaceMusic();
    void PlayIntroMusic();
    // Leaving a race: the music waits paused, the river's sound ends.
    void PauseRaceMusic();
    void StopRiverSound();
    void PauseIntroMusic();
    void PlayGeyserSound(const common::CVector3& position);
    void PlayFallingRocksSound(const common::CVector3& position);
    velm::CSound* GetSound(ESound sound) const { return m_sounds[sound]; }
    // Countdown stages 2 to 6 play the ready, three, two, one and go sounds; others nothing.
    void PlayCountdownSound(int stage);

    // The statistics text as of the last frame step; drawn only while the overlay is shown.
    const std::wstring& GetStatisticsText() const { return m_statisticsText; }
    bool IsStatisticsShown() const { return m_showStatistics; }
    // The screens the frame draws: the overlay (while shown), then the screen table's draw list.
    std::vector<velm::gfx::IScreenUnit*> GetScreenList();

    // The screen ids, taken one after the other in this order at construction.
    enum EScreen : std::size_t {
        kConsoleScreen,
        kHUDScreen,
        kStartMenuScreen,
        kCursorScreen,
        kCharSelScreen,
        kLobbyScreen,
        kCountdownScreen,
        kEndOfRaceScreen,
        kInGameMenuScreen,
        kVictoryScreen,
        kSplashScreen,
        kCreditsScreen,
        kLoadingScreen,
        kScreenCount
    };
    std::uint32_t GetScreenId(EScreen screen) const { return m_screenIds[screen]; }

    // One-shot flags of the rock and log releases.
    bool m_rocksReleased = false;
    bool m_logsReleased = false;

    // The screen table: every screen lives there under its id. A factory enters a new screen
    // (refused, and the new one dropped, while the id is taken); "later" removals take effect at
    // the table's next update, "now" removals at once; getters give null without a screen.
    velm::gfx::CGUIManager& GetScreens() { return *m_screens; }
    void CreateStartMenu();
    void RemoveStartMenu();
    CStartMenu* GetStartMenu() const;
    void CreateCharacterSelection(std::uint8_t networkRoad, std::uint8_t host);
    void RemoveCharacterSelection();
    CCharacterSelection* GetCharacterSelection() const;
    void CreateCredits(std::uint8_t networkRoad, std::uint8_t host);
    void RemoveCredits();
    CCredits* GetCredits() const;
    void CreateInGameMenu();
    CInGameMenu* GetInGameMenu() const;
    void CreateStartRaceGUI();
    CStartRaceGUI* GetStartRaceGUI() const;
    void CreateEndRaceGUI();
    CEndRaceGUI* GetEndRaceGUI() const;
    void CreateVictoryScreen();
    CVictoryScreen* GetVictoryScreen() const;
    void CreateLoadingScreen();
    void RemoveLoadingScreen();
    void CreateSplash();
    void RemoveSplash();
    void CreateMultiPlayerMenu(std::uint8_t host);
    void RemoveMultiPlayerMenu();
    MultiPlayerMenu* GetMultiPlayerMenu() const;
    void CreateConsole();
    TumboKelvoConsole* GetConsole() const;
    void CreateHUD();
    // The set-up of the HUD and the console once both are made.
    void SetUpOverlays();
    TumboKelvoGameHUD* GetHUD() const;
    void CreateCursor();
    velm::gfx::CCursor* GetCursorScreen() const;

    // The race of the first track begins (the host's or the lobby's start).
    void StartRace();
    // The racers of a network race in slot order, as the lobby's Start left them; the host's
    // start grid reads it.
    void AddToRaceLineUp(const SRaceLineUpEntry& entry) { m_raceLineUp.push_back(entry); }
    void ClearRaceLineUp() { m_raceLineUp.clear(); }
    const std::vector<SRaceLineUpEntry>& GetRaceLineUp() const { return m_raceLineUp; }

    // The frame clock of the last frame step, in seconds.
    double GetTime() const { return m_time; }
    // Frame steps begun so far: a state entered in an earlier step has had its frame drawn.
    std::uint64_t GetFrameStep() const { return m_frameSteps; }
    // The level is read and the splash shown on the first pass through loading only.
    bool IsFirstPass() const { return m_firstPass; }
    void ClearFirstPass() { m_firstPass = false; }
    // The menus wait for the camera to reach its next view.
    struct SCameraView {
        common::CVector3 m_point;
        float m_radius;
        float m_azimuth;
        float m_latitude;
    };
    void StartCameraMove(const SCameraView& view);
    bool IsCameraMoving() const;
    // Back to the loading screen and on to the menu, with the level as it stands: no racer, rank
    // entry or item spin survives.
    void ResetRace();
    // Networking on or off with a role: which event types go to the peers and which are handled
    // here. `socket` (may be null) is handed to a network start, else freed.
    void InitNetwork(std::uint8_t on, std::uint8_t host, velm::net::CRemoteEventSocket* socket);
    // This machine has become the server of a running game; a peer of it was lost.
    void OnStartedConnection();
    // Whether this machine's computer drives the racer once this machine serves the race: every
    // racer not its own player's, not finished and driven from no connection that is still a
    // peer. Id 0 is nobody's; a lost server's id 1 is this machine's own once it has taken over,
    // and a client lost before the takeover still names that client here.
    static bool IsComputersOnServer(std::uint32_t controlKind, std::uint32_t connectionId, bool finished,
                                    const std::list<std::uint32_t>& peers);
    void OnLostConnection(std::uint32_t connectionId);
    // Whether a race runs, from a track's start until the racing state is left.
    bool IsRaceInProgress() const { return m_raceInProgress; }
    void SetRaceInProgress(bool on) { m_raceInProgress = on; }

    // The host's ready gate. The host waits on the start line from its entry until every peer
    // still connected has said it is ready, each counting once; then the countdown begins. A
    // peer lost at any point (before or after its word) is no longer waited for, so the race
    // starts once the remaining ones are ready, or at once when none remains. A client that
    // takes over before the countdown waits so for the clients left, which say they are ready
    // again to their new server.
    void WaitForReadyPeers();
    bool IsWaitingForReadyPeers() const { return m_waitingForReady; }
    void OnPlayerReady(std::uint32_t clientId);
    void OnPeerLost(std::uint32_t clientId);
    // A client on the start line tells its server it is ready, and waits for the countdown.
    void SayReady();
    // A server became this machine's peer: one that took over hears the word again.
    void OnServerConnected();
    void OnCountdownBegun() { m_waitingForReady = false; }
    // Peers the gate waits for; the network layer's list unless a test sets one.
    void SetPeersForTest(const std::list<std::uint32_t>* peers) { m_testPeers = peers; }
    // The network manager's event listener (the test's when one is set); null while none runs.
    velm::EventListenerPtr GetNetworkListener() const;
    void SetNetworkListenerForTest(const velm::EventListenerPtr& listener) { m_testNetworkListener = listener; }
    // The finish of a racer goes to the run trace with its place and the race clock, once per
    // racer and race: a new server tells again of finishes its peers may have heard already.
    void OnRacerFinished(std::uint32_t racerId);
    // The finishes this machine has heard of this race, in the order heard.
    const std::vector<std::uint32_t>& GetHeardFinishes() const { return m_heardFinishes; }
    // Only the server decides a finish, but a client sees its racers cross the line too: the
    // crossings, in order and once each, wait here for a takeover that makes it the server.
    void NoteFinishCrossed(std::uint32_t racerId);
    const std::vector<std::uint32_t>& GetCrossedFinish() const { return m_crossedFinish; }
    // The race clock starts when the racers are let go.
    void MarkRaceStart() {
        m_raceStartTime = m_time;
        m_heardFinishes.clear();
        m_crossedFinish.clear();
    }

private:
    void DispatchInput();
    // The controller pass of the dispatch: the first controller that takes the record ends it.
    void OfferToControllers(const velm::input::SInputEvent& record);
    // A client that has just taken over tells its peers of every finish it knows of.
    void AnnounceFinishes(CEndRaceGUI& board);
    void UpdateSoundListener();
    void UpdateFog();
    void BuildStatisticsText();
    void PlayLooping(ESound sound);
    bool OfferToScreens(const velm::input::SInputEvent& event);
    // The HUD and the console drawn over the scene; their sprites need the graphics device.
    void InitOverlays();
    void UpdateScreens(unsigned elapsedMs);
    std::vector<velm::gfx::IScreenUnit*> ScreensToDraw() const;

    CLevelLoader m_levelLoader;
    common::CStateMachine m_stateMachine;
    std::shared_ptr<TumboKelvoListener> m_listener;
    CLightModel* m_levelLight = nullptr;
    std::wstring m_statisticsText;
    std::unique_ptr<CModelDataMgr> m_modelDataMgr;
    std::uint32_t m_localRacerId = 0;
    std::uint32_t m_selectedCharacter = 0;
    std::vector<std::uint32_t> m_racerIds;
    std::vector<std::uint32_t> m_itemJugIds;
    std::vector<std::uint32_t> m_environmentIds;
    std::vector<std::uint32_t> m_characterLineUpIds;
    std::vector<std::uint32_t> m_rockTrapIds;
    std::vector<std::uint32_t> m_logTrapIds;
    std::uint32_t m_finishTriggerId = 0;
    std::uint32_t m_rockTriggerId = 0;
    std::uint32_t m_logTriggerId = 0;
    float m_raceFogStartDensity = 0.0f;
    float m_raceFogEndDensity = 0.0f;
    bool m_raceFogOn = false;
    float m_fogDensity = kRaceFogEnd;
    std::unique_ptr<CTumboKelvoCamera> m_raceCamera;
    std::unique_ptr<CTumboKelvoCamera> m_freeRoamCamera;
    CTumboKelvoCamera* m_activeCamera = nullptr;
    std::unique_ptr<velm::gfx::CGUIManager> m_screens;
    std::array<std::uint32_t, kScreenCount> m_screenIds{};
    std::unique_ptr<CRaceRankTracker> m_rankTracker;
    bool m_showStatistics = false;
    bool m_controllersTakeInput = true;
    CHeldKeys m_heldKeys;
    velm::input::CInputSystem* m_testInput = nullptr;
    std::uint32_t m_currentTrack = 0;
    std::list<std::uint32_t> m_readyPlayers;
    bool m_waitingForReady = false;
    velm::CModel* m_localRacerModel = nullptr;
    std::array<velm::CSound*, kSoundCount> m_sounds{};
    std::shared_ptr<CItemManager> m_itemManager;
    int m_geyserSounds = 0;
    std::unique_ptr<ai::CAIScriptHost> m_aiScripts;
    std::unique_ptr<CGameTrace> m_trace;
    velm::gfx::CTextSprite m_statistics;
    bool m_raceInProgress = false;
    std::vector<SRaceLineUpEntry> m_raceLineUp;
    // The screens reach the game through these while it lives.
    std::unique_ptr<CGameScreens> m_screenGame;
    std::unique_ptr<CGameScreenHost> m_screenHost;
    // The race world and the tools reach the game through these while it lives.
    std::unique_ptr<CGameRace> m_race;
    std::unique_ptr<CGameToolsView> m_toolsView;
    double m_time = 0.0;
    std::uint64_t m_frameSteps = 0;
    bool m_firstPass = true;
    double m_raceStartTime = 0.0;
    std::vector<std::uint32_t> m_heardFinishes;
    std::vector<std::uint32_t> m_crossedFinish;
    const std::list<std::uint32_t>* m_testPeers = nullptr;
    velm::EventListenerPtr m_testNetworkListener;
    // Sees every finish, in every role, for the run trace.
    std::shared_ptr<velm::IEventListener> m_finishTrace;

    void CheckReadyGate();
    // Enters a new screen under its id; a refused one is dropped.
    void AddScreen(EScreen screen, velm::gfx::CBaseGUI* made);
    template <class T>
    T* Screen(EScreen screen) const {
        return dynamic_cast<T*>(m_screens->GetScreen(static_cast<int>(m_screenIds[screen])));
    }
};

// Ends the main loop: the quit message with exit code 0 goes to the main thread.
void PostQuit();

// Once per game the hidden rocks fall (set off by `trigger`), and the placed logs are set free.
void ReleaseRocks(velm::CModel* trigger);
void ReleaseLogs();

// The game object most recently built and not yet destroyed, or null.
CTumboKelvoGame* GetGame();

// The position of the object with that id; the zero vector when there is none.
common::CVector3 GetObjectPositionById(std::uint32_t id);

} // namespace kelvo
