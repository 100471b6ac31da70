#include "engine/gfx/cursor.h"

#include <algorithm>
#include <climits>

#include "engine/gfx/button.h"
#include "engine/gfx/gfx_core.h"
#include "libs/common/checked_number.h"
#include "libs/common/xml_reader.h"
#include "platform/dxut/dxut.h"

namespace velm {
namespace gfx {

const char* const kPointerAnimation = "Pointer_Animation";

namespace {

// The start lies on a screen the device can make.
constexpr common::SNumberBounds kStartBounds = {0.0, CButton::kMostSide, 0.0};

} // namespace

CCursor::CCursor(const std::string& fileName, bool shown, const char* shipped) {
    common::CXmlReader reader;
    if (shipped != nullptr) {
        reader.SetShipped(shipped);
    }
    reader.LoadContent(fileName, shipped != nullptr ? "the cursor is as shipped" : "the cursor has no picture");
    reader.Enter("Cursor");
    LoadTexture(reader.GetValue("FileName"));
    const int x = common::ReadWholeClamped(reader, "PosX", kStartBounds);
    const int y = common::ReadWholeClamped(reader, "PosY", kStartBounds);
    SetPosition(x, y);
    const int hotX = common::ReadWholeClamped(reader, "HotspotX", {0.0, kFrameSide, 0.0});
    const int hotY = common::ReadWholeClamped(reader, "HotspotY", {0.0, kFrameSide, 0.0});
    AddAnimation(kPointerAnimation, kFrameSide, kFrameSide, 1, 0, 0, 50, hotX, hotY, false);
    SetAnimation(kPointerAnimation);
    SetZOrder(10);
    Show(shown);
}

void CCursor::Show(bool shown) {
    m_shown = shown ? 1 : 0;
    SetVisible(shown);
}

bool CCursor::HandleInput(const input::SInputEvent& event) {
    // Hidden, the pointer still follows the mouse, as it follows the system pointer in a window:
    // a click (the picker's) and the pointer shown again land where the mouse is. Axis values
    // are signed movements stored in the unsigned word; they saturate at the edges of int
    // rather than wrap.
    const long long delta = static_cast<std::int32_t>(event.m_value);
    if (event.m_code == input::MOUSE_AXIS_X) {
        m_x = static_cast<int>(std::clamp<long long>(m_x + delta, INT_MIN, INT_MAX));
    } else if (event.m_code == input::MOUSE_AXIS_Y) {
        m_y = static_cast<int>(std::clamp<long long>(m_y + delta, INT_MIN, INT_MAX));
    }
    return false;
}

void CCursor::Update(unsigned elapsedMs) {
    if (GFXCore::Exists() && GFXCore::Instance().IsFullScreen()) {
        const CGFXCore& core = GFXCore::Instance();
        m_x = std::clamp(m_x, 0, std::max(0, core.GetScreenWidth() - 1));
        m_y = std::clamp(m_y, 0, std::max(0, core.GetScreenHeight() - 1));
    } else {
        POINT point = {0, 0};
        if (GetCursorPos(&point) != FALSE && ScreenToClient(DXUTGetHWND(), &point) != FALSE) {
            m_x = point.x;
            m_y = point.y;
        }
    }
    CBaseGUI::Update(elapsedMs);
}

void CCursor::Render(double time, float elapsed) {
    if (m_shown != 0) {
        CSprite::Render(time, elapsed);
    }
}

} // namespace gfx
} // namespace velm
