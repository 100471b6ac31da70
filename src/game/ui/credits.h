// kelvo::CCredits, the least of the credits screen: Backspace or Return goes back to the menu.
// Main thread only.
#pragma once

#include <string>

#include "game/ui/menu_screen.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

class CCredits : public CMenuScreen {
public:
    CCredits(const std::string& fileName, std::uint32_t first, std::uint8_t second)
        : m_fileName(fileName), m_first(first), m_second(second) {}
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
    std::string m_fileName;
    std::uint32_t m_first = 0;
    std::uint8_t m_second = 0;
    bool m_back = false;
};

} // namespace kelvo
