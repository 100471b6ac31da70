#include "game/flow/game_tools.h"

#include "engine/core/input_event.h"
#include "engine/core/picker.h"
#include "engine/gfx/cursor.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/tools/game_script_functions.h"
#include "game/tools/level_editor.h"
#include "game/world/model_manip.h"
#include "libs/common/singleton.h"
#include "platform/dxut/dxut.h"

namespace kelvo {

namespace {

// The game's cursor object is its GUI cursor, once the game has made one.
velm::gfx::CCursor* CursorOf(CTumboKelvoGame& game) { return static_cast<velm::gfx::CCursor*>(game.GetCursor()); }

// The states from which the console may start a race: the menus, before any racer exists.
bool IsMenuState(const std::string& state) {
    return state == "MenuState" || state == "CharSelState" || state == "CreditsState";
}

class CScriptGame : public IScriptGame {
public:
    explicit CScriptGame(CTumboKelvoGame& game) : m_game(game) {}

    bool ToggleDebugInfo() override { return m_game.ToggleDebugInfo(); }
    void SetServer(bool on) override { m_game.SetHostFlag(on); }
    bool IsServer() const override { return m_game.GetMode() == 1; }
    void SetNetworked(bool on) override { m_game.SetNetworkedFlag(on); }
    bool IsNetworked() const override { return m_game.IsNetworked(); }
    void StartGame() override {
        common::CStateMachine& flow = m_game.GetStateMachine();
        if (!IsMenuState(flow.GetCurrentState())) {
            return;
        }
        // Straight from the menus: the first character rides when none was chosen.
        if (m_game.GetSelectedCharacter() == 0) {
            m_game.SetSelectedCharacter(1);
        }
        flow.ChangeState("StartTrack1State");
    }
    CTumboKelvoGame& GetGame() const { return m_game; }

private:
    CTumboKelvoGame& m_game;
};

CScriptGame* s_scriptGame = nullptr;

// The GUI cursor's position; without one, the system pointer over the game's window.
bool CursorPosition(CTumboKelvoGame& game, int& x, int& y) {
    if (const velm::gfx::CCursor* cursor = CursorOf(game)) {
        x = cursor->GetX();
        y = cursor->GetY();
        return true;
    }
    POINT point = {0, 0};
    if (GetCursorPos(&point) == FALSE || ScreenToClient(DXUTGetHWND(), &point) == FALSE) {
        return false;
    }
    x = point.x;
    y = point.y;
    return true;
}

} // namespace

void AttachGameTools(CTumboKelvoGame& game) {
    DetachGameTools(game);
    if (s_scriptGame != nullptr) {
        DetachGameTools(s_scriptGame->GetGame());
    }
    s_scriptGame = new CScriptGame(game);
    SetScriptGame(s_scriptGame);
    velm::CPicker& picker = common::CSingleton<velm::CPicker>::Instance();
    picker.SetGame(&game);
    picker.SetCursorSource([&game](int& x, int& y) { return CursorPosition(game, x, y); });
}

void DetachGameTools(CTumboKelvoGame& game) {
    if (s_scriptGame == nullptr || &s_scriptGame->GetGame() != &game) {
        return;
    }
    SetScriptGame(nullptr);
    delete s_scriptGame;
    s_scriptGame = nullptr;
    if (common::CSingleton<velm::CPicker>::Exists()) {
        velm::CPicker& picker = common::CSingleton<velm::CPicker>::Instance();
        picker.ClearSelection();
        picker.SetGame(nullptr);
        picker.SetCursorSource(nullptr);
    }
    common::CSingleton<CLevelEditor>::Destroy();
}

LRESULT ToolsMsgProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return common::CSingleton<CLevelEditor>::Instance().HandleKey(message, wParam, lParam) ? 1 : 0;
}

bool OfferToolsInput(const velm::input::SInputEvent& event) {
    common::CSingleton<velm::CPicker>::Instance().HandleInput(event);
    return common::CSingleton<CModelManip>::Instance().HandleInput(event);
}

} // namespace kelvo
