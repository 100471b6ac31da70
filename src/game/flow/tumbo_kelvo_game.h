// The game object: the per-frame update and render of Tumbo Kelvo over the engine's game base,
// the race HUD, end-of-race screen and item manager it owns, and its list of racers (by id, looked
// up when read). The one game object alive is reached through kelvo::GetGame(). Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "libs/common/vector3.h"

#include "engine/core/velm_game.h"

namespace kelvo {

class TumboKelvoGameHUD;
class CWaypointEditor;
namespace ai {
class CAIScriptHost;
}
class CEndRaceGUI;
class CItemManager;

class CTumboKelvoGame : public velm::CVelmGame {
public:
    CTumboKelvoGame();
    ~CTumboKelvoGame() override;

    std::wstring GetTitle() override { return L"Tumbo Kelvo"; }
    void OnResetDevice() override;
    void OnLostDevice() override;
    void Update(double time, float elapsed) override;
    void Render(double time, float elapsed) override;
    void Init() override;
    LRESULT MsgProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    velm::CVelmCamera* GetCamera() override { return nullptr; }
    void* GetCursor() override { return nullptr; }
    void OnLoadingFinished() override;

    TumboKelvoGameHUD* GetHUD() const { return m_hud.get(); }
    // The waypoint editor, from Init on while the application has an AI manager; else null.
    CWaypointEditor* GetWaypointData() const;

    CEndRaceGUI* GetEndRaceGUI() const { return m_endRace.get(); }
    CItemManager* GetItemManager() const { return m_itemManager.get(); }

    // Not networked, or the host.
    bool IsAuthoritative() const { return !IsNetworked() || GetMode() == 1; }
    void AddRacerId(std::uint32_t id) { m_racerIds.push_back(id); }
    const std::vector<std::uint32_t>& GetRacerIds() const { return m_racerIds; }
    // One entry per id of the racer list, in list order; null where the model is gone.
    std::vector<velm::CModel*> GetRacers() const;
    // The racer other than the caster inside the cone with the least squared distance along the
    // axis; false when none is.
    bool PickNearestRacerOnRay(std::uint32_t casterId, const common::CVector3& axis, float range, float halfAngle,
                               std::uint32_t* outId) const;

    // The geyser's sound heard at the geyser; counted until the game's sounds are loaded.
    void PlayGeyserSound(const common::CVector3& position);
    int GetGeyserSoundCount() const { return m_geyserSounds; }
    // One-shot flags of the rock and log releases.
    bool m_rocksReleased = false;
    bool m_logsReleased = false;

private:
    std::unique_ptr<TumboKelvoGameHUD> m_hud;
    std::unique_ptr<ai::CAIScriptHost> m_aiScripts;
    std::unique_ptr<CEndRaceGUI> m_endRace;
    std::shared_ptr<CItemManager> m_itemManager;
    std::vector<std::uint32_t> m_racerIds;
    int m_geyserSounds = 0;
};

// Once per game the hidden rocks fall (set off by `trigger`), and the placed logs are set free.
void ReleaseRocks(velm::CModel* trigger);
void ReleaseLogs();

// The game object most recently built and not yet destroyed, or null.
CTumboKelvoGame* GetGame();

} // namespace kelvo
