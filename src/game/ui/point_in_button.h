// kelvo::CPointInButton, the click box of every game-screen button, and the one way the screens
// build a button from its layout element. The box reads the game's cursor through the screen
// host; without a cursor nothing is inside. Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/gfx/button.h"

namespace common {
class CXmlReader;
}

namespace kelvo {

class CPointInButton {
public:
    CPointInButton(std::uint32_t width, std::uint32_t height) : m_height(height), m_width(width) {}
    // corner: the button's top-left corner. Both far edges are inside.
    bool operator()(const POINT& corner) const;

private:
    std::uint32_t m_height;
    std::uint32_t m_width;
};

// The screen size the layouts' fractions are taken of: the back buffer's.
struct SBackBufferSize {
    int width = 0;
    int height = 0;
};
SBackBufferSize BackBufferSize();

// Enters `element` ("FileName", "OffsetX", "OffsetY", "BBWidth", "BBHeight") and builds its
// button: rows 0, 1 and 2 of the texture are the normal, cursor-over and pressed looks, the click
// box is BBWidth x BBHeight. The caller owns the button.
velm::gfx::CButton* MakeLayoutButton(common::CXmlReader& reader, const std::string& element,
                                     const SBackBufferSize& screen, velm::gfx::CButton::ButtonPressedFunct click);
// The same element with row 0 as every look (titles and frames that only show).
velm::gfx::CButton* MakeLayoutPicture(common::CXmlReader& reader, const std::string& element,
                                      const SBackBufferSize& screen);

} // namespace kelvo
