// kelvo::CInGameMenu, the pause menu of a race: Resume, Exit (back to the menus) and Exit Game
// over a panel, toggled by Escape once the first race has begun. The simulation keeps running
// behind it, and it never consumes input. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CClickSound;

class CInGameMenu : public velm::gfx::CBaseGUI {
public:
    enum EChild { kResumeButton = 0, kExitButton = 1, kExitGameButton = 2 };

    explicit CInGameMenu(const std::string& fileName);
    ~CInGameMenu() override;

    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;
    bool HandleInput(const velm::input::SInputEvent& event) override;

    // Only while enabled: opens or closes the menu with its buttons. Opening shows the cursor;
    // closing gives the cursor back the visibility it had before the menu opened.
    void Show(bool open);
    void SetEnabled(bool enabled) { m_enabled = enabled ? 1 : 0; }
    bool IsEnabled() const { return m_enabled != 0; }
    bool IsShown() const { return m_shown != 0; }
    // The race reset: closed first, so that it cannot reappear when the next race enables it.
    void OnRaceReset();
    void PlayClick() const;

private:
    std::uint8_t m_shown = 0;
    std::uint8_t m_enabled = 0;
    std::unique_ptr<CClickSound> m_click;
    bool m_cursorWasShown = false;
};

class CButtonPressedResume {
public:
    explicit CButtonPressedResume(CInGameMenu& screen) : m_screen(screen) {}
    void operator()() const;

private:
    CInGameMenu& m_screen;
};

// Exit: the results are dropped, networking stops, and the race is reset to the menus.
class CButtonPressedExitMenu {
public:
    explicit CButtonPressedExitMenu(CInGameMenu& screen) : m_screen(screen) {}
    void operator()() const;

private:
    CInGameMenu& m_screen;
};

class CButtonPressedExitGame {
public:
    explicit CButtonPressedExitGame(CInGameMenu& screen) : m_screen(screen) {}
    void operator()() const;

private:
    CInGameMenu& m_screen;
};

} // namespace kelvo
