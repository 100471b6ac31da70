#include "game/flow/tumbo_kelvo_game.h"

#include "engine/core/input_system.h"
#include "engine/core/velm_app.h"
#include "engine/events/event_manager.h"
#include "engine/phy/physics_world.h"
#include "game/ai/ai_script_functions.h"
#include "game/ai/waypoint_editor.h"
#include "game/ui/tumbo_kelvo_game_hud.h"

namespace kelvo {

namespace {

CTumboKelvoGame* g_game = nullptr;

} // namespace

CTumboKelvoGame* GetGame() { return g_game; }

CTumboKelvoGame::CTumboKelvoGame() : m_hud(std::make_unique<TumboKelvoGameHUD>()) { g_game = this; }

CTumboKelvoGame::~CTumboKelvoGame() {
    if (g_game == this) {
        g_game = nullptr;
    }
}

void CTumboKelvoGame::OnResetDevice() {}

void CTumboKelvoGame::OnLostDevice() {}

// The AI's script functions are registered before any start-up script can call them.
void CTumboKelvoGame::Init() {
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetAIManager() != nullptr && !m_aiScripts) {
        m_aiScripts = std::make_unique<ai::CAIScriptHost>(*app->GetAIManager());
        m_aiScripts->Register();
    }
}

CWaypointEditor* CTumboKelvoGame::GetWaypointData() const { return m_aiScripts ? &m_aiScripts->GetEditor() : nullptr; }

void CTumboKelvoGame::OnLoadingFinished() {}

LRESULT CTumboKelvoGame::MsgProc(UINT, WPARAM, LPARAM) { return 0; }

void CTumboKelvoGame::Update(double time, float elapsed) {
    PollLoadingThread();
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetInputSystem() != nullptr) {
        velm::input::CInputSystem* input = app->GetInputSystem();
        input->Update();
        velm::input::SInputEvent record{};
        while (input->PopInputEvent(record)) {
        }
    }
    UpdateControllers(time, elapsed);
    velm::GetEventManager()->Tick(-1);
    UpdateModels(time, elapsed);
    UpdateViews(time, elapsed);
    if (app != nullptr && app->GetPhysicsWorld() != nullptr) {
        app->GetPhysicsWorld()->Update(elapsed);
    }
}

void CTumboKelvoGame::Render(double time, float elapsed) {
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetGfx() != nullptr) {
        app->GetGfx()->RenderFrame(time, elapsed);
    }
}

} // namespace kelvo
