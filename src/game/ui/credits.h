// kelvo::CCredits, the least of the credits screen: Backspace or Return goes back to the menu.
// Main thread only.
#pragma once

#include "game/ui/menu_screen.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

class CCredits : public CMenuScreen {
public:
    bool IsBackChosen() const { return m_back; }

protected:
    bool OnKeyDown(std::uint32_t code) override {
        if (code == DIK_BACK || code == DIK_RETURN) {
            m_back = true;
            return true;
        }
        return false;
    }

private:
    bool m_back = false;
};

} // namespace kelvo
