#include "engine/gfx/text_sprite.h"

#include "engine/gfx/font_table.h"

namespace velm {
namespace gfx {
namespace {

constexpr DWORD kMeasure = 0x550; // DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK
constexpr DWORD kDraw = 0x150;    // DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK
constexpr LONG kRightMargin = 12;

} // namespace

std::uint32_t ChannelToByte(float c) {
    if (c >= 1.0f) {
        return 255;
    }
    if (c <= 0.0f) {
        return 0;
    }
    return static_cast<std::uint32_t>(static_cast<int>(c * 255.0f + 0.5f));
}

D3DCOLOR PackColour(float r, float g, float b, float a) {
    return ChannelToByte(a) << 24 | ChannelToByte(r) << 16 | ChannelToByte(g) << 8 | ChannelToByte(b);
}

CTextSprite::CTextSprite(const std::wstring& text, const STextStyle& style, int x, int y, int boxWidth)
    : m_text(text), m_style(style), m_boxWidth(boxWidth) {
    SetPosition(x, y);
}

void CTextSprite::Render(double, float) {
    if (m_sprite == nullptr || m_visible == 0 || !FontTable::Exists()) {
        return;
    }
    ID3DXFont* font = FontTable::Instance().GetFont(m_style.fontIndex);
    if (font == nullptr) {
        return;
    }
    m_sprite->Begin(D3DXSPRITE_ALPHABLEND);
    RECT rect = {m_x, m_y, m_x + m_boxWidth, m_y + m_boxHeight};
    const D3DCOLOR colour = PackColour(m_style.r, m_style.g, m_style.b, m_style.a);
    const INT height = font->DrawTextW(m_sprite, m_text.c_str(), -1, &rect, m_style.format | kMeasure, colour);
    rect.bottom = m_y + height;
    rect.right += kRightMargin;
    if (m_style.hasShadow != 0) {
        RECT shadow = {rect.left + m_style.shadowOffsetX, rect.top + m_style.shadowOffsetY,
                       rect.right + m_style.shadowOffsetX, rect.bottom + m_style.shadowOffsetY};
        font->DrawTextW(m_sprite, m_text.c_str(), -1, &shadow, m_style.format | kDraw,
                        PackColour(m_style.shadowR, m_style.shadowG, m_style.shadowB, m_style.shadowA));
    }
    font->DrawTextW(m_sprite, m_text.c_str(), -1, &rect, m_style.format | kDraw, colour);
    m_sprite->End();
}

} // namespace gfx
} // namespace velm
