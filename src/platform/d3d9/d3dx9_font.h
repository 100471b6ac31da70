// D3DX fonts: faces matched through fontconfig (a face not installed falls back to a sans face,
// logged at creation), FreeType glyphs cached in an atlas texture and drawn as sprite quads;
// DrawTextW measures what it draws. Reference-counted objects; main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/d3d9/d3dx9_sprite.h"

constexpr DWORD DT_TOP = 0x0;
constexpr DWORD DT_LEFT = 0x0;
constexpr DWORD DT_CENTER = 0x1;
constexpr DWORD DT_RIGHT = 0x2;
constexpr DWORD DT_VCENTER = 0x4;
constexpr DWORD DT_BOTTOM = 0x8;
constexpr DWORD DT_WORDBREAK = 0x10;
constexpr DWORD DT_SINGLELINE = 0x20;
constexpr DWORD DT_EXPANDTABS = 0x40;
constexpr DWORD DT_NOCLIP = 0x100;
constexpr DWORD DT_CALCRECT = 0x400;

constexpr UINT FW_NORMAL = 400;
constexpr UINT FW_BOLD = 700;
constexpr UINT kLfFaceSize = 32;

struct D3DXFONT_DESCW {
    INT Height;
    UINT Width;
    UINT Weight;
    UINT MipLevels;
    BOOL Italic;
    BYTE CharSet;
    BYTE OutputPrecision;
    BYTE Quality;
    BYTE PitchAndFamily;
    WCHAR FaceName[kLfFaceSize];
};

namespace platform {
namespace d3d9 {
class CGlyphCache;
} // namespace d3d9
} // namespace platform

class ID3DXFont : public platform::d3d9::CRefCounted {
public:
    // Null with a log line when no face at all can be found or opened.
    static ID3DXFont* Create(IDirect3DDevice9* device, const D3DXFONT_DESCW& desc);

    // With DT_CALCRECT only measures: right and bottom of the rectangle become those of the
    // text. Returns the height of the text (from the rectangle's top to the text's bottom when
    // aligned to the bottom or centre). A null sprite draws through the font's own sprite.
    INT DrawTextW(ID3DXSprite* sprite, const WCHAR* text, INT count, RECT* rect, DWORD format, D3DCOLOR colour);
    INT DrawTextA(ID3DXSprite* sprite, const char* text, INT count, RECT* rect, DWORD format, D3DCOLOR colour);
    HRESULT GetDescW(D3DXFONT_DESCW* desc) const;
    HRESULT OnLostDevice();
    HRESULT OnResetDevice();
    HRESULT GetDevice(IDirect3DDevice9** device);

    // The stand-in's own: the family and file fontconfig gave.
    const std::string& GetFamily() const;
    const std::string& GetFile() const;

private:
    ID3DXFont(IDirect3DDevice9* device, const D3DXFONT_DESCW& desc,
              std::unique_ptr<platform::d3d9::CGlyphCache> glyphs);
    ~ID3DXFont() override;

    IDirect3DDevice9* m_device; // one reference
    D3DXFONT_DESCW m_desc;
    std::unique_ptr<platform::d3d9::CGlyphCache> m_glyphs;
    ID3DXSprite* m_sprite = nullptr;
};

HRESULT D3DXCreateFontIndirectW(IDirect3DDevice9* device, const D3DXFONT_DESCW* desc, ID3DXFont** font);
