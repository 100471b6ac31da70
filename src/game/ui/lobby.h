// kelvo::MultiPlayerMenu, the least of the multiplayer lobby: Return starts the race, Backspace
// goes back. It keeps the player list the start copies into the game and the flag a lost
// connection sets on a client. Main thread only.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "game/ui/menu_screen.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

class MultiPlayerMenu : public CMenuScreen {
public:
    MultiPlayerMenu(const std::string& fileName, std::uint8_t character)
        : m_fileName(fileName), m_character(character) {}

    bool IsStartChosen() const { return m_start; }
    bool IsBackChosen() const { return m_back; }
    // The character handed back to the selection screen.
    std::uint8_t GetCharacter() const { return m_character; }
    std::list<std::uint32_t>& GetPlayers() { return m_players; }
    void RemovePlayer(std::uint32_t connectionId) { m_players.remove(connectionId); }
    std::uint8_t m_connectionLost = 0;

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
    std::string m_fileName;
    std::uint8_t m_character = 0;
    std::list<std::uint32_t> m_players;
    bool m_start = false;
    bool m_back = false;
};

} // namespace kelvo
