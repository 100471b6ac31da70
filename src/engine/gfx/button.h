// velm::gfx::CButton: a sprite that shows one of its animations by the cursor and the left
// mouse button ("UnpressedAnimation", "CursorOverAnimation", "PressedAnimation",
// "DisabledAnimation") and calls its click functor on a release inside its box after a press
// inside it. The button owns both functors. Main thread only.
#pragma once

#include <functional>
#include <string>

#include "engine/gfx/sprite.h"
#include "libs/common/xml_reader.h"
#include "platform/win32/win32.h"

namespace velm {
namespace gfx {

extern const char* const kUnpressedAnimation;
extern const char* const kPressedAnimation;
extern const char* const kCursorOverAnimation;
extern const char* const kDisabledAnimation;

// A button of a screen's layout file: texture, position in pixels, frame and hit box size.
struct SButtonLayout {
    std::string fileName;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class CButton : public CSprite {
public:
    // Given the button's top-left corner; true when the cursor is inside.
    using PointInsideFunctor = std::function<bool(const POINT&)>;
    using ButtonPressedFunct = std::function<void()>;

    CButton(const std::string& textureFile, int x, int y, int width, int height, PointInsideFunctor inside,
            const SSpriteAnimation& normal, const SSpriteAnimation& pressed, ButtonPressedFunct click,
            const SSpriteAnimation* cursorOver = nullptr, const SSpriteAnimation* disabled = nullptr);

    bool HandleInput(const input::SInputEvent& event) override;
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled != 0; }
    bool IsPressed() const { return m_pressed != 0; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

    // A layout button's frame: row 0 normal, 1 cursor over, 2 pressed, one under another.
    static SSpriteAnimation LayoutRow(int row, int width, int height);
    // Reads "FileName", "OffsetX", "OffsetY" (fractions of the screen, truncated to pixels),
    // "BBWidth" and "BBHeight" inside the element, and the anchor of ReadLayoutCorner; size and
    // hit box from 0 to kMostSide pixels.
    static SButtonLayout ReadLayout(common::CXmlReader& reader, const std::string& element, int screenWidth,
                                    int screenHeight);
    static constexpr int kMostSide = 16384;
    // A button of a layout with its three frame rows.
    static CButton* FromLayout(const SButtonLayout& layout, PointInsideFunctor inside, ButtonPressedFunct click);

private:
    // Nothing when the name is current already or unknown (then "UnpressedAnimation").
    void Show(const char* name);

    std::uint8_t m_enabled = 1;
    std::uint8_t m_pressed = 0;
    PointInsideFunctor m_inside;
    ButtonPressedFunct m_click;
    int m_width = 0;
    int m_height = 0;
};

// Where a laid-out item stands, read from the current element of a layout file: "OffsetX" and
// "OffsetY" are fractions of the back buffer, truncated to pixels; the optional "AnchorX" and
// "AnchorY" (0 when absent: the item's top-left corner) name the point of the item, as a
// fraction of its drawn size and rounded to a pixel, that stands there. An anchor of 0.5 keeps
// an item centred on its offset and 1 its far edge there, at any back-buffer size; one beyond
// 0 to 1 keeps the item that far beside the point, so that items of a group keep their places
// to each other. Offsets and anchors are checked as layout values are (layout_values.h), and a
// place is held within kMostSide pixels of the screen.
POINT ReadLayoutCorner(const common::CXmlReader& reader, int screenWidth, int screenHeight, float drawnWidth,
                       float drawnHeight);

// The hit test of the game's screens: inside when 0 <= cursor - corner <= size on both axes.
bool IsPointInBox(const POINT& cursor, const POINT& corner, int width, int height);

} // namespace gfx
} // namespace velm
