#include "game/flow/game_race.h"

#include "engine/ai/ai_enemy.h"
#include "game/ai/game_enemy.h"
#include "game/ai/waypoint_editor.h"
#include "game/flow/peer_event_check.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/tumbo_kelvo_game_hud.h"

namespace kelvo {

velm::CModel* CGameRace::FindModel(std::uint32_t id) { return m_game.FindModel(id); }

velm::CView* CGameRace::FindView(std::uint32_t id) {
    const auto found = m_game.GetViews().find(id);
    return found != m_game.GetViews().end() ? found->second : nullptr;
}

void CGameRace::RemoveObject(std::uint32_t id) { m_game.RemoveObject(id); }

const std::map<std::uint32_t, velm::CController*>& CGameRace::GetControllers() { return m_game.GetControllers(); }

std::vector<velm::CModel*> CGameRace::GetRacers() { return m_game.GetRacers(); }

std::vector<velm::CModel*> CGameRace::FindItemJugsInRange(const common::CVector3& position,
                                                          const common::CVector3& direction, float radius) {
    return m_game.FindItemJugsInRange(position, direction, radius);
}

bool CGameRace::PickNearestRacerOnRay(std::uint32_t casterId, const common::CVector3& axis, float range,
                                      float halfAngle, std::uint32_t* outId) {
    return m_game.PickNearestRacerOnRay(casterId, axis, range, halfAngle, outId);
}

IRaceHUD* CGameRace::GetHUD() { return m_game.GetHUD(); }

void CGameRace::AddResultRow(std::uint32_t racerId) {
    CEndRaceGUI* board = m_game.GetEndRaceGUI();
    if (board != nullptr && !board->HasResultRow(racerId)) {
        board->AddResultRow(racerId);
    }
}

bool CGameRace::IsNetworked() { return m_game.IsNetworked(); }

bool CGameRace::IsHost() { return m_game.GetMode() == 1; }

bool CGameRace::IsAuthoritative() { return m_game.IsAuthoritative(); }

bool CGameRace::AcceptPeerEvent(const velm::CEvent& event) { return kelvo::AcceptPeerEvent(m_game, event); }

void CGameRace::NoteFinishCrossed(std::uint32_t racerId) { m_game.NoteFinishCrossed(racerId); }

void CGameRace::PlayGeyserSound(const common::CVector3& position) { m_game.PlayGeyserSound(position); }

void CGameRace::ReleaseRocks(velm::CModel* trigger) { kelvo::ReleaseRocks(trigger); }

void CGameRace::ReleaseLogs() { kelvo::ReleaseLogs(); }

std::unique_ptr<velm::ai::AIEnemy> CGameRace::CreateEnemyAI(int characterType, int racerId) {
    return ai::CreateEnemyAI(characterType, racerId);
}

std::unique_ptr<IDrivingRecorder> CGameRace::CreateDrivingRecorder(int characterType) {
    return ai::CreateDrivingRecorder(characterType);
}

void CGameRace::SyncWaypointMarkers() {
    if (CWaypointEditor* editor = m_game.GetWaypointData()) {
        editor->SyncWithMarkers();
    }
}

velm::CVelmCamera* CGameToolsView::GetCamera() { return m_game.GetCamera(); }

velm::gfx::CCursor* CGameToolsView::GetCursor() { return m_game.GetCursorScreen(); }

} // namespace kelvo
