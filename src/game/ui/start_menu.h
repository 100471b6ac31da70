// kelvo::CStartMenu, the least of the start menu: Return picks the single-player game, C the
// credits. Main thread only.
#pragma once

#include <string>

#include "game/ui/menu_screen.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

class CStartMenu : public CMenuScreen {
public:
    explicit CStartMenu(const std::string& fileName) : m_fileName(fileName) {}
    // The main buttons take clicks only while active.
    void SetMainButtonsActive(bool active) { SetActive(active); }
    bool IsSinglePlayerChosen() const { return m_singlePlayer; }
    bool IsCreditsChosen() const { return m_credits; }
    void ChooseSinglePlayer() { m_singlePlayer = true; }
    void ChooseCredits() { m_credits = true; }
    // Handed on to the character-selection and credits screens.
    std::uint32_t GetFirstValue() const { return m_firstValue; }
    std::uint8_t GetSecondValue() const { return m_secondValue; }

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
    std::string m_fileName;
    std::uint32_t m_firstValue = 0;
    std::uint8_t m_secondValue = 0;
    bool m_singlePlayer = false;
    bool m_credits = false;
};

} // namespace kelvo
