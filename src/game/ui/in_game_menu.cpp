#include "game/ui/in_game_menu.h"

#include "engine/gfx/button.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/layout_values.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/screen_game.h"
#include "game/ui/screen_parts.h"
#include "game/ui/shipped_layouts.h"
#include "libs/common/string_util.h"

namespace kelvo {

namespace {

velm::gfx::CCursor* GameCursor() {
    IScreenGame* game = GetScreenGame();
    return game != nullptr ? game->GetCursor() : nullptr;
}

} // namespace

CInGameMenu::CInGameMenu(const std::string& fileName) {
    const SScreenSize screen = GetScreenSize();
    common::CXmlReader reader;
    LoadLayout(reader, fileName, kShippedInGameMenu);
    m_click = std::make_unique<CClickSound>(reader.GetValue("MouseClickSound"));
    AddChild(kResumeButton, LayoutButton(reader, "ResumeButton", screen, [this] { CButtonPressedResume (*this)(); }));
    AddChild(kExitButton, LayoutButton(reader, "ExitButton", screen, [this] { CButtonPressedExitMenu (*this)(); }));
    AddChild(kExitGameButton,
             LayoutButton(reader, "ExitGameButton", screen, [this] { CButtonPressedExitGame (*this)(); }));

    reader.Enter("InGameMenuBackground");
    LoadTexture(reader.GetValue("FileName"));
    const float scaleX = velm::gfx::ReadLayoutScale(reader, "ScaleX");
    const float scaleY = velm::gfx::ReadLayoutScale(reader, "ScaleY");
    const int width = velm::gfx::ReadLayoutSide(reader, "Width");
    const int height = velm::gfx::ReadLayoutSide(reader, "Height");
    const POINT corner =
        LayoutCorner(reader, screen, static_cast<float>(width) * scaleX, static_cast<float>(height) * scaleY);
    SetPosition(corner.x, corner.y);
    SetScale(scaleX, scaleY, 1.0f);
    AddAnimation("BG_Ani_Name", width, height, 1, 0, 0, 200, 0, 0, false);
    SetAnimation("BG_Ani_Name");
    GetCurrentAnimation()->stopped = 0;
    SetZOrder(3);
    // Closed until the first race enables it: hidden with its buttons, which take no clicks.
    SetVisible(false);
    for (const auto& [id, child] : GetChildren()) {
        child->SetVisible(false);
        if (auto* button = dynamic_cast<velm::gfx::CButton*>(child)) {
            button->SetEnabled(false);
        }
    }
}

CInGameMenu::~CInGameMenu() = default;

void CInGameMenu::Show(bool open) {
    if (m_enabled == 0) {
        return;
    }
    velm::gfx::CCursor* cursor = GameCursor();
    if (open && m_shown == 0 && cursor != nullptr) {
        m_cursorWasShown = cursor->IsShown();
    }
    SetVisible(open);
    if (cursor != nullptr) {
        cursor->Show(open || (m_shown != 0 ? m_cursorWasShown : cursor->IsShown()));
    }
    m_shown = open ? 1 : 0;
    for (const auto& [id, child] : GetChildren()) {
        child->SetVisible(open);
        if (auto* button = dynamic_cast<velm::gfx::CButton*>(child)) {
            button->SetEnabled(open);
        }
    }
}

void CInGameMenu::OnRaceReset() {
    Show(false);
    m_enabled = 0;
}

void CInGameMenu::Update(unsigned elapsedMs) {
    if (m_enabled == 0 || m_shown == 0) {
        return;
    }
    for (const auto& [id, child] : GetChildren()) {
        child->Update(elapsedMs);
    }
    CBaseGUI::Update(elapsedMs);
}

void CInGameMenu::Render(double time, float elapsed) {
    if (m_enabled == 0 || m_shown == 0) {
        return;
    }
    for (const auto& [id, child] : GetChildren()) {
        child->Render(time, elapsed);
    }
    CBaseGUI::Render(time, elapsed);
}

bool CInGameMenu::HandleInput(const velm::input::SInputEvent& event) {
    if (m_enabled != 0 && m_shown != 0) {
        CBaseGUI::HandleInput(event);
    }
    return false;
}

void CInGameMenu::PlayClick() const { m_click->Play(); }

void CButtonPressedResume::operator()() const {
    m_screen.PlayClick();
    m_screen.Show(false);
}

void CButtonPressedExitMenu::operator()() const {
    m_screen.PlayClick();
    m_screen.Show(false);
    IScreenGame* game = GetScreenGame();
    if (game == nullptr) {
        return;
    }
    if (CEndRaceGUI* board = game->GetEndRaceGUI()) {
        board->ClearResultRows();
    }
    game->ClearRaceLineUp();
    game->SetRaceFogOn(false);
    game->InitNetwork(false, 0);
    game->ResetRace();
}

void CButtonPressedExitGame::operator()() const {
    m_screen.PlayClick();
    if (IScreenGame* game = GetScreenGame()) {
        game->PostQuit();
    }
}

} // namespace kelvo
