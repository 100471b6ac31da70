#include "engine/gfx/button.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/gfx/layout_values.h"

namespace velm {
namespace gfx {

const char* const kUnpressedAnimation = "UnpressedAnimation";
const char* const kPressedAnimation = "PressedAnimation";
const char* const kCursorOverAnimation = "CursorOverAnimation";
const char* const kDisabledAnimation = "DisabledAnimation";

namespace {
constexpr std::uint32_t kLeftButton = 210;

// truncate(side x offset) less size x anchor to the nearest pixel, held where an int carries it.
int LayoutPlace(double offset, double anchor, int side, double size) {
    const double most = 2.0 * CButton::kMostSide;
    const int point = static_cast<int>(std::clamp(offset * side, -most, most));
    const int shift = static_cast<int>(std::lround(std::clamp(size * anchor, -most, most)));
    return std::clamp(point - shift, -CButton::kMostSide, side + CButton::kMostSide);
}
} // namespace

CButton::CButton(const std::string& textureFile, int x, int y, int width, int height, PointInsideFunctor inside,
                 const SSpriteAnimation& normal, const SSpriteAnimation& pressed, ButtonPressedFunct click,
                 const SSpriteAnimation* cursorOver, const SSpriteAnimation* disabled)
    : CSprite(textureFile), m_inside(std::move(inside)), m_click(std::move(click)), m_width(width), m_height(height) {
    SetPosition(x, y);
    m_pivotX = width;
    m_pivotY = height;
    AddAnimation(kUnpressedAnimation, normal);
    AddAnimation(kPressedAnimation, pressed);
    if (cursorOver != nullptr) {
        AddAnimation(kCursorOverAnimation, *cursorOver);
    }
    if (disabled != nullptr) {
        AddAnimation(kDisabledAnimation, *disabled);
    }
    SetAnimation(kUnpressedAnimation);
}

void CButton::Show(const char* name) {
    if (!HasAnimation(name)) {
        name = kUnpressedAnimation;
    }
    if (!IsCurrentAnimation(name)) {
        SetAnimation(name);
    }
}

void CButton::SetEnabled(bool enabled) {
    if ((m_enabled != 0) == enabled) {
        return;
    }
    m_enabled = enabled ? 1 : 0;
    Show(!enabled && HasAnimation(kDisabledAnimation) ? kDisabledAnimation : kUnpressedAnimation);
}

bool CButton::HandleInput(const input::SInputEvent& event) {
    const POINT point = {m_x + m_pivotX, m_y + m_pivotY};
    const bool inside = m_inside && m_inside(point);
    if (m_enabled != 0 && inside) {
        Show(m_pressed != 0 ? kPressedAnimation : kCursorOverAnimation);
    } else {
        Show(kUnpressedAnimation);
    }
    if (m_visible == 0) {
        return false;
    }
    if (event.m_code != kLeftButton) {
        return false;
    }
    if (event.m_value == 0 && inside) {
        m_pressed = 1;
        Show(kPressedAnimation);
        return true;
    }
    if (event.m_value == 1) {
        if (m_pressed != 0 && inside) {
            if (m_click) {
                m_click();
            }
            return false;
        }
        m_pressed = 0;
        Show(kUnpressedAnimation);
    }
    return false;
}

SSpriteAnimation CButton::LayoutRow(int row, int width, int height) {
    SSpriteAnimation record;
    record.frameWidth = width;
    record.frameHeight = height;
    record.frameCount = 1;
    record.firstTop = row * height;
    return record;
}

namespace {

// The element's values in the reader's current scope.
SButtonLayout ReadLayoutHere(const common::CXmlReader& reader, int screenWidth, int screenHeight) {
    SButtonLayout layout;
    layout.fileName = reader.GetValue("FileName");
    layout.width = ReadLayoutSide(reader, "BBWidth");
    layout.height = ReadLayoutSide(reader, "BBHeight");
    const POINT corner = ReadLayoutCorner(reader, screenWidth, screenHeight, static_cast<float>(layout.width),
                                          static_cast<float>(layout.height));
    layout.x = corner.x;
    layout.y = corner.y;
    return layout;
}

// Whether the player can reach the box: its centre lies on the screen.
bool CentreOnScreen(const SButtonLayout& layout, int screenWidth, int screenHeight) {
    const long long x = static_cast<long long>(layout.x) + layout.width / 2;
    const long long y = static_cast<long long>(layout.y) + layout.height / 2;
    return x >= 0 && x < screenWidth && y >= 0 && y < screenHeight;
}

} // namespace

SButtonLayout CButton::ReadLayout(common::CXmlReader& reader, const std::string& element, int screenWidth,
                                  int screenHeight) {
    reader.Enter(element);
    SButtonLayout layout = ReadLayoutHere(reader, screenWidth, screenHeight);
    // Values each within bounds may still together put a box out of reach (an anchor of many
    // widths); a layout that ships with the game is laid out as it ships instead.
    if (reader.HasShipped() && !reader.IsShippedOnly() && screenWidth > 0 && screenHeight > 0 &&
        !CentreOnScreen(layout, screenWidth, screenHeight)) {
        reader.ReadShippedOnly(true);
        const SButtonLayout shipped = ReadLayoutHere(reader, screenWidth, screenHeight);
        reader.ReadShippedOnly(false);
        std::fprintf(stderr,
                     "%s: %s stands at (%d, %d), %d x %d, out of reach of the %d x %d screen; using (%d, %d), "
                     "%d x %d as shipped\n",
                     reader.GetFileName().c_str(), element.c_str(), layout.x, layout.y, layout.width, layout.height,
                     screenWidth, screenHeight, shipped.x, shipped.y, shipped.width, shipped.height);
        layout = shipped;
    }
    return layout;
}

CButton* CButton::FromLayout(const SButtonLayout& layout, PointInsideFunctor inside, ButtonPressedFunct click) {
    const SSpriteAnimation over = LayoutRow(1, layout.width, layout.height);
    return new CButton(layout.fileName, layout.x, layout.y, layout.width, layout.height, std::move(inside),
                       LayoutRow(0, layout.width, layout.height), LayoutRow(2, layout.width, layout.height),
                       std::move(click), &over);
}

POINT ReadLayoutCorner(const common::CXmlReader& reader, int screenWidth, int screenHeight, float drawnWidth,
                       float drawnHeight) {
    return {LayoutPlace(ReadLayoutFraction(reader, "OffsetX"), ReadLayoutAnchor(reader, "AnchorX"), screenWidth,
                        drawnWidth),
            LayoutPlace(ReadLayoutFraction(reader, "OffsetY"), ReadLayoutAnchor(reader, "AnchorY"), screenHeight,
                        drawnHeight)};
}

bool IsPointInBox(const POINT& cursor, const POINT& corner, int width, int height) {
    const long long dx = static_cast<long long>(cursor.x) - corner.x;
    const long long dy = static_cast<long long>(cursor.y) - corner.y;
    return dx >= 0 && dx <= width && dy >= 0 && dy <= height;
}

} // namespace gfx
} // namespace velm
