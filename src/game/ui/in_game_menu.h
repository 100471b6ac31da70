// kelvo::CInGameMenu, the least of the in-game menu: shown and hidden by the escape key through
// the game's frame, and while shown Return takes the player out of the race (the race reset).
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/gfx/base_gui.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

class CInGameMenu : public velm::gfx::CBaseGUI {
public:
    explicit CInGameMenu(const std::string& fileName) : m_fileName(fileName) { SetVisible(false); }

    void Show(std::uint8_t show) {
        m_shown = show != 0;
        SetVisible(m_shown);
    }
    bool IsShown() const { return m_shown; }
    // What the exit choice does; the game gives its race reset.
    void SetOnExit(std::function<void()> onExit) { m_onExit = std::move(onExit); }

    // Any other key passes on, so that escape reaches the game to hide the menu again.
    bool HandleInput(const velm::input::SInputEvent& event) override {
        if (!m_shown || event.m_value != 0 || event.m_code != DIK_RETURN) {
            return false;
        }
        Show(0);
        if (m_onExit) {
            m_onExit();
        }
        return true;
    }

    bool m_enabled = false;
    std::uint8_t m_secondFlag = 0;

private:
    std::string m_fileName;
    bool m_shown = false;
    std::function<void()> m_onExit;
};

} // namespace kelvo
