// The game object's networking switch, its answers to connection changes and the host's ready
// gate. Main thread only: network events reach these at the event manager's tick.
#include <algorithm>

#include "engine/core/velm_app.h"
#include "engine/events/event_manager.h"
#include "engine/net/network_manager.h"
#include "game/events/game_events.h"
#include "game/flow/event_socket.h"
#include "game/flow/game_trace.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/flow/tumbo_kelvo_listener.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/tumbo_kelvo_console.h"
#include "game/world/kelvo_model.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"

namespace kelvo {

namespace {

constexpr const char* kSwitchedTypes[] = {
    "Request_Human_Controller", "Request_Item_Evt",         "Started_Connection_Evt", "Lost_Connection_Evt",
    "RacerConnectEvt",          "Item_Should_Detach_Event", "Ready_To_Start_Race",    "Accepted_Human_Controller",
    "Change_To_Server",         "Start_Race_Evt",           "Player_Finished_Race",   "Change_NextObjID",
    "Change_FX_File",           "Shark_Force_Event",        "Pole_Force_Event",       "Icon_Spin_Event"};

constexpr const char* kSentByBoth[] = {
    "Create_Racer_Event",         "Position_Update",      "Change_Ani_Evt",    "RacerConnectEvt",
    "Attach_Detach_Model_Eventt", "Create_PartSys_Event", "Text_Message_Event"};
constexpr const char* kHandledByBoth[] = {"Begin_Count_Down_Evt", "Lost_Connection_Evt", "Started_Connection_Evt",
                                          "RacerConnectEvt", "Change_Racer_State"};
constexpr const char* kHandledByHost[] = {"Request_Human_Controller", "Request_Item_Evt", "Item_Should_Detach_Event",
                                          "Ready_To_Start_Race", "Change_NextObjID"};
constexpr const char* kSentByHost[] = {
    "Create_Light",       "Accepted_Human_Controller", "Create_Item",          "Destroy_Item_Event",
    "Start_Race_Evt",     "Begin_Count_Down_Evt",      "Player_Finished_Race", "Change_FX_File",
    "Change_Racer_State", "Shark_Force_Event",         "Pole_Force_Event",     "Icon_Spin_Event"};
constexpr const char* kHandledByClient[] = {"Accepted_Human_Controller", "Change_To_Server", "Start_Race_Evt",
                                            "Player_Finished_Race",      "Change_FX_File",   "Shark_Force_Event",
                                            "Pole_Force_Event",          "Icon_Spin_Event"};
constexpr const char* kSentByClient[] = {"Request_Human_Controller", "Request_Item_Evt",   "Item_Should_Detach_Event",
                                         "Ready_To_Start_Race",      "Change_Racer_State", "Change_NextObjID"};

template <std::size_t N>
void AddAll(velm::IEventManager& events, const velm::EventListenerPtr& listener, const char* const (&types)[N]) {
    if (!listener) {
        return;
    }
    for (const char* type : types) {
        events.AddListener(listener, velm::CEventType(type));
    }
}

// The racer is driven by this machine's computer from now on. The game's table owns the
// controller it had: that one is taken out and deleted, and the new one takes its place.
void GiveToComputer(CTumboKelvoGame& game, CRacerModel& racer) {
    velm::CVelmGame::ControllerMap& controllers = game.GetControllers();
    std::unique_ptr<velm::CController> old;
    const auto found = controllers.find(racer.GetID());
    if (found != controllers.end()) {
        old.reset(found->second);
        controllers.erase(found);
    }
    auto* computer = new CAIRacerContr(&racer);
    racer.SetController(computer);
    controllers.insert({racer.GetID(), computer});
    racer.SetControlKind(CONTROL_LOCAL_OTHER);
    game.GetTrace().RacerToComputer(racer.GetID());
}

// A finished racer rests on the finish line without a controller, as on every machine.
bool HasFinished(CTumboKelvoGame& game, std::uint32_t racerId) {
    const CEndRaceGUI* board = game.GetEndRaceGUI();
    return board != nullptr && board->HasFinished(racerId);
}

} // namespace

velm::EventListenerPtr CTumboKelvoGame::GetNetworkListener() const {
    if (m_testNetworkListener) {
        return m_testNetworkListener;
    }
    velm::CVelmApp* app = velm::GetApp();
    velm::net::CNetworkManager* network = app != nullptr ? app->GetNetworkManager() : nullptr;
    return network != nullptr ? network->GetEventListener() : velm::EventListenerPtr();
}

void CTumboKelvoGame::InitNetwork(std::uint8_t on, std::uint8_t host, velm::net::CRemoteEventSocket* socket) {
    velm::IEventManager* events = velm::GetEventManager();
    if (events != nullptr) {
        if (IsNetworked()) {
            if (const velm::EventListenerPtr network = GetNetworkListener()) {
                events->DelListenerAll(network);
            }
        }
        for (const char* type : kSwitchedTypes) {
            events->DelListener(m_listener, velm::CEventType(type));
        }
    }
    SetNetworkMode(on != 0, host, socket);
    if (on == 0 || events == nullptr) {
        return;
    }
    const velm::EventListenerPtr network = GetNetworkListener();
    AddAll(*events, network, kSentByBoth);
    AddAll(*events, m_listener, kHandledByBoth);
    if (host != 0) {
        AddAll(*events, m_listener, kHandledByHost);
        AddAll(*events, network, kSentByHost);
    } else {
        AddAll(*events, m_listener, kHandledByClient);
        AddAll(*events, network, kSentByClient);
    }
}

bool CTumboKelvoGame::IsComputersOnServer(std::uint32_t controlKind, std::uint32_t connectionId, bool finished,
                                          const std::list<std::uint32_t>& peers) {
    if (controlKind == CONTROL_LOCAL_PLAYER || finished) {
        return false;
    }
    return connectionId == 0 || std::find(peers.begin(), peers.end(), connectionId) == peers.end();
}

void CTumboKelvoGame::OnStartedConnection() {
    // A client that takes over sends and handles the host's types from now on; its role in the
    // network manager has changed already.
    const bool takeover = IsNetworked() && GetMode() == 0;
    if (takeover) {
        InitNetwork(1, 1, nullptr);
    }
    m_mode = 1;
    // The network thread may be using the socket: the swap locks the network mutex.
    velm::net::SetRemoteEventSocket(new CTumboKelvoEventSocket());
    CEndRaceGUI* board = GetEndRaceGUI();
    // First the finishes, so that no finished racer is handed to the computer.
    if (takeover && m_raceInProgress && board != nullptr) {
        AnnounceFinishes(*board);
    }
    const std::list<std::uint32_t> peers = GetPeerIds();
    for (std::uint32_t id : m_racerIds) {
        auto* racer = dynamic_cast<CRacerModel*>(FindModel(id));
        if (racer == nullptr ||
            !IsComputersOnServer(racer->GetControlKind(), racer->GetConnectionId(), HasFinished(*this, id), peers)) {
            continue;
        }
        // One this machine's computer drives already keeps its driver (a server hears a started
        // connection per peer).
        if (racer->GetControlKind() == CONTROL_LOCAL_OTHER && dynamic_cast<CAIRacerContr*>(racer->GetController())) {
            continue;
        }
        GiveToComputer(*this, *racer);
        // Its player's connection is gone, and the lost server's id now names this machine.
        if (racer->GetConnectionId() != 0) {
            racer->SetConnectionId(0);
            if (TumboKelvoConsole* console = GetConsole()) {
                console->Print("Player disconnected");
            }
        }
    }
    if (takeover) {
        m_trace->TookOver();
        // Its word went to the lost server: now it waits for the others' words itself.
        if (m_waitingForReady) {
            WaitForReadyPeers();
        }
    }
}

void CTumboKelvoGame::AnnounceFinishes(CEndRaceGUI& board) {
    // The lost server may not have told every client of every finish: the new one tells again
    // of those it heard, in that order (every machine notes a finish once). Racers it saw cross
    // the line since, with nobody to decide, finish now in the order they crossed.
    const std::vector<std::uint32_t> heard = m_heardFinishes;
    for (std::uint32_t id : heard) {
        velm::TriggerEvent(CRacerFinishedRaceEvt(id));
    }
    for (std::uint32_t id : m_crossedFinish) {
        if (!board.HasFinished(id)) {
            board.AddResultRow(id);
        }
    }
}

void CTumboKelvoGame::OnLostConnection(std::uint32_t connectionId) {
    const bool server = GetMode() != 0;
    MultiPlayerMenu* lobby = GetMultiPlayerMenu();
    if (server && !m_raceInProgress) {
        // The freed slot is a computer's again, and every client hears of it.
        if (lobby != nullptr) {
            lobby->RemovePlayer(connectionId);
            lobby->SendRacerConnectEvents(0);
        }
    } else if (server) {
        for (std::uint32_t id : m_racerIds) {
            auto* racer = dynamic_cast<CRacerModel*>(FindModel(id));
            if (racer != nullptr && racer->GetConnectionId() == connectionId) {
                if (!HasFinished(*this, id)) {
                    GiveToComputer(*this, *racer);
                }
                racer->SetConnectionId(0);
                if (TumboKelvoConsole* console = GetConsole()) {
                    console->Print("Player disconnected");
                }
                break;
            }
        }
    } else if (!m_raceInProgress && lobby != nullptr) {
        InitNetwork(0, 0, nullptr);
        lobby->SetBackPressed();
    }
    if (server) {
        OnPeerLost(connectionId);
    }
}

void CTumboKelvoGame::WaitForReadyPeers() {
    // No client hears of the race before the host is on the start line, so no word of this race
    // came earlier; what the list holds is left from a race given up before its countdown.
    m_readyPlayers.clear();
    m_waitingForReady = true;
    CheckReadyGate();
}

void CTumboKelvoGame::SayReady() {
    m_waitingForReady = true;
    velm::QueueEvent(std::make_shared<CReadyToStartRaceEvt>(velm::net::GetLocalClientId()));
}

void CTumboKelvoGame::OnServerConnected() {
    if (m_waitingForReady && GetMode() == 0) {
        SayReady();
    }
}

void CTumboKelvoGame::OnPlayerReady(std::uint32_t clientId) {
    // A peer that reports twice still counts once.
    if (std::find(m_readyPlayers.begin(), m_readyPlayers.end(), clientId) == m_readyPlayers.end()) {
        m_readyPlayers.push_back(clientId);
    }
    CheckReadyGate();
}

void CTumboKelvoGame::OnPeerLost(std::uint32_t clientId) {
    m_readyPlayers.remove(clientId);
    // The lost peer may have been the last one the others were held for, whether or not any of
    // them has said a word yet.
    CheckReadyGate();
}

void CTumboKelvoGame::CheckReadyGate() {
    if (!m_waitingForReady) {
        return;
    }
    const std::list<std::uint32_t> peers = m_testPeers != nullptr ? *m_testPeers : velm::net::GetPeerIds();
    std::size_t ready = 0;
    for (std::uint32_t peer : peers) {
        ready += std::find(m_readyPlayers.begin(), m_readyPlayers.end(), peer) != m_readyPlayers.end() ? 1 : 0;
    }
    if (ready >= peers.size()) {
        m_waitingForReady = false;
        m_readyPlayers.clear();
        velm::TriggerEvent(CBeginCountDownEvt());
    }
}

} // namespace kelvo
