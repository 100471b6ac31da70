// kelvo::CCharacterSelection, the least of the character-selection screen: keys 1-6 pick the
// character shown (1 monkey, 2 bear, 3 alien, 4 fish, 5 hillbilly, 6 movie star), M flips
// multiplayer, Return chooses the character shown, Backspace goes back. Main thread only.
#pragma once

#include <string>

#include "game/ui/menu_screen.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

class CCharacterSelection : public CMenuScreen {
public:
    // The two values are the start menu's (or the lobby's), kept for the real screen's layout.
    CCharacterSelection(const std::string& fileName, std::uint32_t first, std::uint8_t second)
        : m_fileName(fileName), m_first(first), m_second(second) {}
    void ShowProfile(std::uint32_t character) { m_profile = character; }
    std::uint32_t GetShownProfile() const { return m_profile; }
    // Handed to the lobby when multiplayer is chosen.
    std::uint8_t GetLobbyValue() const { return m_second; }
    std::uint32_t GetCurrentCharacter() const { return m_current; }
    bool IsChosen() const { return m_chosen; }
    bool IsBackChosen() const { return m_back; }
    bool IsMultiplayer() const { return m_multiplayer; }
    void Choose(std::uint32_t character) {
        m_current = character;
        m_chosen = true;
    }

protected:
    bool OnKeyDown(std::uint32_t code) override {
        if (code >= DIK_1 && code <= DIK_6) {
            m_current = code - DIK_1 + 1;
        } else if (code == DIK_M) {
            m_multiplayer = !m_multiplayer;
        } else if (code == DIK_RETURN) {
            m_chosen = true;
        } else if (code == DIK_BACK) {
            m_back = true;
        } else {
            return false;
        }
        return true;
    }

private:
    std::string m_fileName;
    std::uint32_t m_first = 0;
    std::uint8_t m_second = 0;
    std::uint32_t m_profile = 0;
    std::uint32_t m_current = 1;
    bool m_chosen = false;
    bool m_back = false;
    bool m_multiplayer = false;
};

} // namespace kelvo
