// kelvo::CLobby, the least of the multiplayer lobby: Return starts the race, Backspace goes back.
// Main thread only.
#pragma once

#include "game/ui/menu_screen.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

class CLobby : public CMenuScreen {
public:
    bool IsStartChosen() const { return m_start; }
    bool IsBackChosen() const { return m_back; }

protected:
    bool OnKeyDown(std::uint32_t code) override {
        if (code == DIK_RETURN) {
            m_start = true;
        } else if (code == DIK_BACK) {
            m_back = true;
        } else {
            return false;
        }
        return true;
    }

private:
    bool m_start = false;
    bool m_back = false;
};

} // namespace kelvo
