// kelvo::CCredits, the credits screen: one Back button over what the credits state shows. It
// keeps the start menu's road flags for the states that follow. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CClickSound;

class CCredits : public velm::gfx::CBaseGUI {
public:
    CCredits(const std::string& fileName, std::uint8_t networkRoad, std::uint8_t host);
    ~CCredits() override;

    // Stays set once set.
    bool IsBackPressed() const { return m_backPressed != 0; }
    std::uint8_t GetNetworkRoad() const { return m_networkRoad; }
    std::uint8_t GetHost() const { return m_host; }

private:
    friend class CButtonCreditsBack;
    std::uint8_t m_backPressed = 0;
    std::uint8_t m_networkRoad = 0;
    std::uint8_t m_host = 0;
    std::unique_ptr<CClickSound> m_click;
};

class CButtonCreditsBack {
public:
    explicit CButtonCreditsBack(CCredits& screen) : m_screen(screen) {}
    void operator()() const;

private:
    CCredits& m_screen;
};

} // namespace kelvo
