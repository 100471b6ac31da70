#include "game/ui/credits.h"

#include "game/ui/screen_parts.h"
#include "game/ui/shipped_layouts.h"

namespace kelvo {

CCredits::CCredits(const std::string& fileName, std::uint8_t networkRoad, std::uint8_t host)
    : m_networkRoad(networkRoad), m_host(host) {
    common::CXmlReader reader;
    LoadLayout(reader, fileName, kShippedCredits);
    m_click = std::make_unique<CClickSound>(reader.GetValue("MouseClickSound"));
    AddChild(0, LayoutButton(reader, "BackButton", GetScreenSize(), [this] { CButtonCreditsBack (*this)(); }));
}

CCredits::~CCredits() = default;

void CButtonCreditsBack::operator()() const {
    m_screen.m_click->Play();
    m_screen.m_backPressed = 1;
}

} // namespace kelvo
