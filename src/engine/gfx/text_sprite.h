// velm::gfx::CTextSprite and STextStyle: a line or box of wide text drawn with a font of the
// font table, in a colour and with an optional shadow, through the sprite's own D3DX sprite.
// The box grows to what the text measures each time it is drawn. Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/gfx/sprite.h"

namespace velm {
namespace gfx {

struct STextStyle {
    unsigned fontIndex = 0;
    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    float a = 1.0f;
    unsigned format = 0;
    std::uint8_t hasShadow = 0;
    float shadowR = 0.0f;
    float shadowG = 0.0f;
    float shadowB = 0.0f;
    float shadowA = 0.0f;
    int shadowOffsetX = 0;
    int shadowOffsetY = 0;
};

// A colour channel in 0..1 as a byte: 255 from 1 up, 0 from 0 down, else rounded.
std::uint32_t ChannelToByte(float c);
// ARGB from four channels in 0..1.
D3DCOLOR PackColour(float r, float g, float b, float a);

class CTextSprite : public CSprite {
public:
    CTextSprite(const std::wstring& text, const STextStyle& style, int x, int y, int boxWidth);

    void Render(double time, float elapsed) override;

    void SetText(const std::wstring& text) { m_text = text; }
    const std::wstring& GetText() const { return m_text; }
    void SetTextStyle(const STextStyle& style) { m_style = style; }
    const STextStyle& GetTextStyle() const { return m_style; }
    void SetTextWidth(int width) {
        m_boxWidth = width;
        m_boxHeight = 0;
    }
    int GetBoxWidth() const { return m_boxWidth; }
    int GetBoxHeight() const { return m_boxHeight; }

private:
    std::wstring m_text;
    STextStyle m_style;
    int m_boxWidth = 0;
    int m_boxHeight = 0;
};

} // namespace gfx
} // namespace velm
