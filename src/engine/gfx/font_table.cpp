#include "engine/gfx/font_table.h"

#include <cwchar>

#include "engine/gfx/gfx_core.h"

namespace velm {
namespace gfx {
namespace {

struct SFontDescription {
    const wchar_t* face;
    INT height;
    UINT width;
    UINT weight;
};

constexpr SFontDescription kFonts[CFontTable::kFontCount] = {
    {L"Arial", 16, 10, 400},           {L"Arial", 16, 10, 700}, {L"Times New Roman", 16, 10, 400},
    {L"Times New Roman", 16, 10, 700}, {L"Ravie", 30, 20, 700}, {L"Arial", 16, 8, 400},
};

} // namespace

CFontTable::~CFontTable() { Release(); }

void CFontTable::Init() {
    Release();
    if (!GFXCore::Exists() || GFXCore::Instance().GetDevice() == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < kFontCount; ++i) {
        D3DXFONT_DESCW desc = {};
        desc.Height = kFonts[i].height;
        desc.Width = kFonts[i].width;
        desc.Weight = kFonts[i].weight;
        desc.MipLevels = 1;
        desc.Italic = FALSE;
        desc.CharSet = 0;
        desc.OutputPrecision = 8;
        desc.Quality = 4;
        desc.PitchAndFamily = 0;
        std::wcsncpy(desc.FaceName, kFonts[i].face, kLfFaceSize - 1);
        GFXCore::Instance().CreateFontIndirect(desc, &m_fonts[i]);
    }
}

void CFontTable::Release() {
    for (ID3DXFont*& font : m_fonts) {
        if (font != nullptr) {
            font->Release();
            font = nullptr;
        }
    }
}

void CFontTable::OnLostDevice() {
    for (ID3DXFont* font : m_fonts) {
        if (font != nullptr) {
            font->OnLostDevice();
        }
    }
}

void CFontTable::OnResetDevice() {
    for (ID3DXFont* font : m_fonts) {
        if (font != nullptr) {
            font->OnResetDevice();
        }
    }
}

} // namespace gfx
} // namespace velm
