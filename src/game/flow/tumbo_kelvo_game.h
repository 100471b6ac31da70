// The game object: the per-frame update and render of Tumbo Kelvo over the engine's game base,
// and the race HUD it owns. The one game object alive is reached through kelvo::GetGame().
// Main thread only.
#pragma once

#include <memory>
#include <string>

#include "engine/core/velm_game.h"

namespace kelvo {

class TumboKelvoGameHUD;
class CWaypointEditor;
namespace ai {
class CAIScriptHost;
}

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

private:
    std::unique_ptr<TumboKelvoGameHUD> m_hud;
    std::unique_ptr<ai::CAIScriptHost> m_aiScripts;
};

// The game object most recently built and not yet destroyed, or null.
CTumboKelvoGame* GetGame();

} // namespace kelvo
