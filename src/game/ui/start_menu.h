// kelvo::CStartMenu, the least of the start menu: Return picks the single-player game, C the
// credits. Main thread only.
#pragma once

#include "game/ui/menu_screen.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

class CStartMenu : public CMenuScreen {
public:
    bool IsSinglePlayerChosen() const { return m_singlePlayer; }
    bool IsCreditsChosen() const { return m_credits; }
    void ChooseSinglePlayer() { m_singlePlayer = true; }
    void ChooseCredits() { m_credits = true; }

protected:
    bool OnKeyDown(std::uint32_t code) override {
        if (code == DIK_RETURN) {
            ChooseSinglePlayer();
            return true;
        }
        if (code == DIK_C) {
            ChooseCredits();
            return true;
        }
        return false;
    }

private:
    bool m_singlePlayer = false;
    bool m_credits = false;
};

} // namespace kelvo
