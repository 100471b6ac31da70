#include "game/flow/game_screens.h"

#include <algorithm>
#include <memory>

#include "engine/core/velm_camera.h"
#include "engine/events/event_manager.h"
#include "engine/gfx/cursor.h"
#include "engine/net/network_manager.h"
#include "game/content/model_data_keys.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/flow/event_socket.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "platform/win32/win32.h"

namespace kelvo {

namespace {
constexpr std::uint32_t kSceneryType = 22;
} // namespace

velm::gfx::CCursor* CGameScreens::GetCursor() { return static_cast<velm::gfx::CCursor*>(m_game.GetCursor()); }

velm::CModel* CGameScreens::FindModel(std::uint32_t id) { return m_game.FindModel(id); }

std::uint32_t CGameScreens::GetSelectedCharacter() { return m_game.GetSelectedCharacter(); }

bool CGameScreens::IsNetworked() { return m_game.IsNetworked(); }

bool CGameScreens::IsHost() { return m_game.GetMode() == 1; }

void CGameScreens::InitNetwork(bool on, std::uint8_t role) {
    m_game.InitNetwork(on ? 1 : 0, role, on ? new CTumboKelvoEventSocket() : nullptr);
}

void CGameScreens::AddToRaceLineUp(const SRaceLineUpEntry& entry) { m_game.AddToRaceLineUp(entry); }

void CGameScreens::ClearRaceLineUp() { m_game.ClearRaceLineUp(); }

void CGameScreens::SetRaceFogOn(bool on) { m_game.SetRaceFogOn(on); }

void CGameScreens::ResetRace() { m_game.ResetRace(); }

void CGameScreens::PostQuit() { PostQuitMessage(0); }

float CGameScreens::GetRaceClock() { return m_game.GetHUD() != nullptr ? m_game.GetHUD()->GetRaceClock() : 0.0f; }

void CGameScreens::SetHUDVisible(bool visible) {
    if (TumboKelvoGameHUD* hud = m_game.GetHUD()) {
        hud->SetVisible(visible);
    }
}

common::CVector3 CGameScreens::GetCameraTarget() {
    velm::CVelmCamera* camera = m_game.GetCamera();
    return camera != nullptr ? camera->GetTarget() : common::CVector3(0.0f, 0.0f, 0.0f);
}

void CGameScreens::DestroyEnvObject(std::uint32_t id) {
    std::vector<std::uint32_t>& ids = m_game.GetEnvironmentIds();
    ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
    m_game.RemoveObject(id);
}

void CGameScreens::CreateTrophyObject(std::uint32_t id) {
    velm::TriggerEvent(CCreateEnvObjEvt(ModelDataKeyFromTypeName("gold"), id, 1, 0, kSceneryType, nullptr, 1));
}

CEndRaceGUI* CGameScreens::GetEndRaceGUI() { return m_game.GetEndRaceGUI(); }

CInGameMenu* CGameScreens::GetInGameMenu() { return m_game.GetInGameMenu(); }

CVictoryScreen* CGameScreens::GetVictoryScreen() { return m_game.GetVictoryScreen(); }

std::uint32_t CGameScreens::GetLocalClientId() { return velm::net::GetLocalClientId(); }

void CGameScreens::SetAcceptingClients(bool accepting) { velm::net::SetAcceptingClients(accepting); }

void CGameScreens::SendPeerListAndStart() { velm::net::SendPeerListAndStart(); }

void CGameScreens::QueueRacerConnect(std::uint32_t character, std::uint32_t connectionId, std::uint32_t slot,
                                     std::uint32_t recipient) {
    auto event = std::make_shared<CRacerConnectEvt>(character, connectionId, slot);
    if (recipient != 0) {
        event->AddRecipient(recipient);
    }
    velm::QueueEvent(event);
}

void CGameScreens::TriggerRacerFinished(std::uint32_t racerId) { velm::TriggerEvent(CRacerFinishedRaceEvt(racerId)); }

void CGameScreens::NoteRacerFinished(std::uint32_t racerId) { m_game.OnRacerFinished(racerId); }

} // namespace kelvo
