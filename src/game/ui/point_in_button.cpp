#include "game/ui/point_in_button.h"

#include "engine/gfx/cursor.h"
#include "engine/gfx/velm_gfx.h"
#include "game/ui/screen_host.h"
#include "libs/common/xml_reader.h"

namespace kelvo {

bool CPointInButton::operator()(const POINT& corner) const {
    IScreenHost* host = GetScreenHost();
    const velm::gfx::CCursor* cursor = host != nullptr ? host->GetCursor() : nullptr;
    if (cursor == nullptr) {
        return false;
    }
    const POINT at = {cursor->GetX(), cursor->GetY()};
    return velm::gfx::IsPointInBox(at, corner, static_cast<int>(m_width), static_cast<int>(m_height));
}

SBackBufferSize BackBufferSize() {
    return {static_cast<int>(velm::gfx::GetScreenWidth()), static_cast<int>(velm::gfx::GetScreenHeight())};
}

velm::gfx::CButton* MakeLayoutButton(common::CXmlReader& reader, const std::string& element,
                                     const SBackBufferSize& screen, velm::gfx::CButton::ButtonPressedFunct click) {
    const velm::gfx::SButtonLayout layout =
        velm::gfx::CButton::ReadLayout(reader, element, screen.width, screen.height);
    return velm::gfx::CButton::FromLayout(
        layout, CPointInButton(static_cast<std::uint32_t>(layout.width), static_cast<std::uint32_t>(layout.height)),
        std::move(click));
}

velm::gfx::CButton* MakeLayoutPicture(common::CXmlReader& reader, const std::string& element,
                                      const SBackBufferSize& screen) {
    const velm::gfx::SButtonLayout layout =
        velm::gfx::CButton::ReadLayout(reader, element, screen.width, screen.height);
    const velm::gfx::SSpriteAnimation look = velm::gfx::CButton::LayoutRow(0, layout.width, layout.height);
    return new velm::gfx::CButton(
        layout.fileName, layout.x, layout.y, layout.width, layout.height,
        CPointInButton(static_cast<std::uint32_t>(layout.width), static_cast<std::uint32_t>(layout.height)), look, look,
        nullptr);
}

} // namespace kelvo
