// kelvo::CGameRace: the game object behind the race world's view of it (kelvo::IRaceContext),
// and kelvo::CGameToolsView behind the developer tools' (kelvo::IToolsGame). The game installs
// one of each while it lives. Main thread only.
#pragma once

#include "game/tools/tools_game.h"
#include "game/world/race_context.h"

namespace kelvo {

class CTumboKelvoGame;

class CGameRace : public IRaceContext {
public:
    explicit CGameRace(CTumboKelvoGame& game) : m_game(game) {}

    velm::CModel* FindModel(std::uint32_t id) override;
    velm::CView* FindView(std::uint32_t id) override;
    void RemoveObject(std::uint32_t id) override;
    const std::map<std::uint32_t, velm::CController*>& GetControllers() override;
    std::vector<velm::CModel*> GetRacers() override;
    std::vector<velm::CModel*> FindItemJugsInRange(const common::CVector3& position, const common::CVector3& direction,
                                                   float radius) override;
    bool PickNearestRacerOnRay(std::uint32_t casterId, const common::CVector3& axis, float range, float halfAngle,
                               std::uint32_t* outId) override;
    IRaceHUD* GetHUD() override;
    void AddResultRow(std::uint32_t racerId) override;
    bool IsNetworked() override;
    bool IsHost() override;
    bool IsAuthoritative() override;
    bool AcceptPeerEvent(const velm::CEvent& event) override;
    void NoteFinishCrossed(std::uint32_t racerId) override;
    void PlayGeyserSound(const common::CVector3& position) override;
    void ReleaseRocks(velm::CModel* trigger) override;
    void ReleaseLogs() override;
    std::unique_ptr<velm::ai::AIEnemy> CreateEnemyAI(int characterType, int racerId) override;
    std::unique_ptr<IDrivingRecorder> CreateDrivingRecorder(int characterType) override;
    void SyncWaypointMarkers() override;

private:
    CTumboKelvoGame& m_game;
};

class CGameToolsView : public IToolsGame {
public:
    explicit CGameToolsView(CTumboKelvoGame& game) : m_game(game) {}

    velm::CVelmCamera* GetCamera() override;
    velm::gfx::CCursor* GetCursor() override;

private:
    CTumboKelvoGame& m_game;
};

} // namespace kelvo
