#include "game/ui/start_menu.h"

#include "engine/gfx/button.h"
#include "game/ui/point_in_button.h"
#include "game/ui/screen_host.h"
#include "game/ui/shipped_layouts.h"
#include "libs/common/xml_reader.h"

namespace kelvo {
namespace {

constexpr std::uint32_t kLeftButton = 210;
constexpr std::uint32_t kPress = 0;

} // namespace

CStartMenu::CStartMenu(const std::string& fileName) {
    common::CXmlReader reader;
    LoadScreenLayout(reader, fileName, kShippedStartMenu);
    m_clickSound = CreateScreenSound(reader.GetValue("MouseClickSound"));
    const SBackBufferSize screen = BackBufferSize();
    // The file's order, which is not the id order.
    velm::gfx::CButton* single =
        MakeLayoutButton(reader, "SinglePlayerButton", screen, CButtonPressedSinglePlayer{this});
    velm::gfx::CButton* multi = MakeLayoutButton(reader, "MultiPlayerButton", screen, CButtonPressedMultiPlayer{this});
    velm::gfx::CButton* credits = MakeLayoutButton(reader, "CreditsButton", screen, CButtonPressedCredits{this});
    velm::gfx::CButton* exit = MakeLayoutButton(reader, "ExitButton", screen, CButtonPressedExit{this});
    velm::gfx::CButton* join = MakeLayoutButton(reader, "JoinGameButton", screen, CButtonPressedJoinGame{this});
    velm::gfx::CButton* host = MakeLayoutButton(reader, "HostGameButton", screen, CButtonPressedHostGame{this});
    velm::gfx::CButton* title = MakeLayoutPicture(reader, "GameName", screen);
    AddChild(kSinglePlayer, single);
    AddChild(kMultiPlayer, multi);
    AddChild(kCredits, credits);
    AddChild(kExit, exit);
    AddChild(kJoinGame, join);
    AddChild(kHostGame, host);
    AddChild(kGameName, title);
    SetJoinHostActive(false);
    SetMainButtonsActive(false);
}

CStartMenu::~CStartMenu() { ReleaseScreenSound(m_clickSound); }

void CStartMenu::ShowChild(int id, bool on) {
    if (auto* button = dynamic_cast<velm::gfx::CButton*>(GetChild(id))) {
        button->SetEnabled(on);
        button->SetVisible(on);
    }
}

void CStartMenu::SetMainButtonsActive(bool on) {
    for (int id : {kSinglePlayer, kMultiPlayer, kCredits, kExit}) {
        ShowChild(id, on);
    }
}

void CStartMenu::SetJoinHostActive(bool on) {
    ShowChild(kJoinGame, on);
    ShowChild(kHostGame, on);
}

bool CStartMenu::HandleInput(const velm::input::SInputEvent& event) {
    if (CBaseGUI::HandleInput(event)) {
        return true;
    }
    if (event.m_code == kLeftButton && event.m_value == kPress) {
        SetJoinHostActive(false);
    }
    return false;
}

void CStartMenu::Click() const { PlayScreenSound(m_clickSound); }

void CStartMenu::ChooseRoad(bool network, bool host) {
    Click();
    m_playSelected = 1;
    m_networkRoad = network ? 1 : 0;
    m_host = host ? 1 : 0;
}

void CButtonPressedSinglePlayer::operator()() const { m_menu->ChooseRoad(false, false); }

void CButtonPressedMultiPlayer::operator()() const {
    m_menu->SetJoinHostActive(true);
    m_menu->Click();
}

void CButtonPressedJoinGame::operator()() const { m_menu->ChooseRoad(true, false); }

void CButtonPressedHostGame::operator()() const { m_menu->ChooseRoad(true, true); }

void CButtonPressedExit::operator()() const {
    m_menu->Click();
    if (IScreenHost* host = GetScreenHost()) {
        host->PostQuit();
    }
}

void CButtonPressedCredits::operator()() const {
    m_menu->m_creditsSelected = 1;
    m_menu->Click();
}

} // namespace kelvo
