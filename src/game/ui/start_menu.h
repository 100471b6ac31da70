// kelvo::CStartMenu, the title menu: Single Player, Multiplayer (which opens Join Game and Host
// Game), Credits and Exit over the title image, laid out by "StartMenu.xml". Its buttons only play
// the click and set flags; the menu state polls the flags and moves on. Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/gfx/base_gui.h"

namespace velm {
class CSound;
}

namespace kelvo {

class CStartMenu : public velm::gfx::CBaseGUI {
public:
    // Child ids.
    enum EChild : int {
        kSinglePlayer = 0,
        kMultiPlayer = 1,
        kJoinGame = 2,
        kHostGame = 3,
        kExit = 4,
        kCredits = 5,
        kGameName = 6
    };

    // fileName under the screens' XML folder. Every button starts disabled and hidden.
    explicit CStartMenu(const std::string& fileName);
    ~CStartMenu() override;

    // A press that no button takes closes the Join Game / Host Game pair.
    bool HandleInput(const velm::input::SInputEvent& event) override;

    void SetMainButtonsActive(bool on);
    void SetJoinHostActive(bool on);

    bool IsPlaySelected() const { return m_playSelected != 0; }
    bool IsHost() const { return m_host != 0; }
    bool IsNetworkRoad() const { return m_networkRoad != 0; }
    bool IsCreditsSelected() const { return m_creditsSelected != 0; }

private:
    friend struct CButtonPressedSinglePlayer;
    friend struct CButtonPressedMultiPlayer;
    friend struct CButtonPressedJoinGame;
    friend struct CButtonPressedHostGame;
    friend struct CButtonPressedExit;
    friend struct CButtonPressedCredits;

    void Click() const;
    void ChooseRoad(bool network, bool host);
    void ShowChild(int id, bool on);

    std::uint8_t m_playSelected = 0;
    std::uint8_t m_host = 0;
    std::uint8_t m_networkRoad = 0;
    std::uint8_t m_creditsSelected = 0;
    velm::CSound* m_clickSound = nullptr;
};

// The button actions, each holding the menu it acts on.
struct CButtonPressedSinglePlayer {
    CStartMenu* m_menu;
    void operator()() const;
};
struct CButtonPressedMultiPlayer {
    CStartMenu* m_menu;
    void operator()() const;
};
struct CButtonPressedJoinGame {
    CStartMenu* m_menu;
    void operator()() const;
};
struct CButtonPressedHostGame {
    CStartMenu* m_menu;
    void operator()() const;
};
struct CButtonPressedExit {
    CStartMenu* m_menu;
    void operator()() const;
};
struct CButtonPressedCredits {
    CStartMenu* m_menu;
    void operator()() const;
};

} // namespace kelvo
