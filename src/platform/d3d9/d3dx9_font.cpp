#include "platform/d3d9/d3dx9_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "platform/d3d9/d3dx9_effect.h"

#if defined(__SANITIZE_ADDRESS__)
// fontconfig leaks a block while it parses its configuration files (inside FcInit, not ours);
// declared here so that every program drawing text, not only this library's tests, passes its
// leak check under the sanitizers.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace platform {
namespace d3d9 {
namespace {

constexpr UINT kAtlasSize = 512;
constexpr int kTabStops = 8;
constexpr int kGlyphPadding = 1;
const char kFallbackFamily[] = "sans-serif";

struct SFaceMatch {
    std::string file;
    std::string family;
    int index = 0;
};

bool Installed(const std::string& family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    const bool found = fonts != nullptr && fonts->nfont > 0;
    if (fonts != nullptr) {
        FcFontSetDestroy(fonts);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

bool Match(const std::string& family, bool bold, bool italic, SFaceMatch* match) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    bool ok = false;
    if (found != nullptr) {
        FcChar8* file = nullptr;
        FcChar8* name = nullptr;
        if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) {
            match->file = reinterpret_cast<const char*>(file);
            ok = true;
        }
        if (FcPatternGetString(found, FC_FAMILY, 0, &name) == FcResultMatch) {
            match->family = reinterpret_cast<const char*>(name);
        }
        FcPatternGetInteger(found, FC_INDEX, 0, &match->index);
        FcPatternDestroy(found);
    }
    FcPatternDestroy(pattern);
    return ok;
}

} // namespace

// One face at one size with the glyphs drawn so far packed into an atlas texture.
class CGlyphCache {
public:
    struct SGlyph {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        int left = 0;
        int top = 0;
        int advance = 0;
    };

    ~CGlyphCache() {
        if (m_atlas != nullptr) {
            m_atlas->Release();
        }
        if (m_face != nullptr) {
            FT_Done_Face(m_face);
        }
        if (m_library != nullptr) {
            FT_Done_FreeType(m_library);
        }
    }

    static std::unique_ptr<CGlyphCache> Open(IDirect3DDevice9* device, const D3DXFONT_DESCW& desc) {
        const std::string requested = NarrowPath(desc.FaceName);
        const bool bold = desc.Weight >= 600;
        const bool italic = desc.Italic != FALSE;
        SFaceMatch match;
        if (!FcInit() || (!Match(requested, bold, italic, &match) && !Match(kFallbackFamily, bold, italic, &match))) {
            std::fprintf(stderr, "ID3DXFont: no font face for \"%s\" and no sans face installed\n", requested.c_str());
            return nullptr;
        }
        if (!Installed(requested)) {
            std::fprintf(stderr, "ID3DXFont: face \"%s\" is not installed; drawing with \"%s\"\n", requested.c_str(),
                         match.family.c_str());
        }
        auto cache = std::unique_ptr<CGlyphCache>(new CGlyphCache());
        cache->m_family = match.family;
        cache->m_file = match.file;
        if (FT_Init_FreeType(&cache->m_library) != 0 ||
            FT_New_Face(cache->m_library, match.file.c_str(), match.index, &cache->m_face) != 0) {
            std::fprintf(stderr, "ID3DXFont: cannot open \"%s\" for \"%s\"\n", match.file.c_str(), requested.c_str());
            return nullptr;
        }
        cache->SetSize(desc);
        if (FAILED(device->CreateTexture(kAtlasSize, kAtlasSize, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                         &cache->m_atlas, nullptr))) {
            return nullptr;
        }
        cache->m_pixels.assign(static_cast<std::size_t>(kAtlasSize) * kAtlasSize * 4, 0);
        return cache;
    }

    // Null when FreeType has no glyph to give.
    const SGlyph* Glyph(char32_t code) {
        auto found = m_glyphs.find(code);
        if (found != m_glyphs.end()) {
            return &found->second;
        }
        if (FT_Load_Char(m_face, code, FT_LOAD_RENDER) != 0) {
            return nullptr;
        }
        const FT_GlyphSlot slot = m_face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        SGlyph glyph;
        glyph.width = static_cast<int>(bitmap.width);
        glyph.height = static_cast<int>(bitmap.rows);
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (glyph.width > 0 && glyph.height > 0) {
            if (!Place(glyph.width, glyph.height, &glyph.x, &glyph.y)) {
                // A full atlas starts over; glyphs are drawn again as they are asked for.
                m_glyphs.clear();
                std::fill(m_pixels.begin(), m_pixels.end(), 0);
                m_shelfX = m_shelfY = m_shelfHeight = 0;
                if (!Place(glyph.width, glyph.height, &glyph.x, &glyph.y)) {
                    return nullptr;
                }
            }
            for (int row = 0; row < glyph.height; ++row) {
                for (int column = 0; column < glyph.width; ++column) {
                    const std::uint8_t coverage = bitmap.buffer[row * bitmap.pitch + column];
                    std::uint8_t* pixel =
                        &m_pixels[(static_cast<std::size_t>(glyph.y + row) * kAtlasSize + glyph.x + column) * 4];
                    pixel[0] = pixel[1] = pixel[2] = 0xFF;
                    pixel[3] = coverage;
                }
            }
            m_dirty = true;
        }
        return &m_glyphs.emplace(code, glyph).first->second;
    }

    IDirect3DTexture9* Atlas() {
        if (m_dirty) {
            D3DLOCKED_RECT locked;
            if (SUCCEEDED(m_atlas->LockRect(0, &locked, nullptr, 0))) {
                for (UINT row = 0; row < kAtlasSize; ++row) {
                    std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + row * static_cast<UINT>(locked.Pitch),
                                &m_pixels[static_cast<std::size_t>(row) * kAtlasSize * 4], kAtlasSize * 4);
                }
                m_atlas->UnlockRect(0);
            }
            m_dirty = false;
        }
        return m_atlas;
    }

    int Ascent() const { return m_ascent; }
    int LineHeight() const { return m_lineHeight; }
    int TabWidth() const { return m_tabWidth; }
    const std::string& Family() const { return m_family; }
    const std::string& File() const { return m_file; }

private:
    CGlyphCache() = default;

    void SetSize(const D3DXFONT_DESCW& desc) {
        const double units = m_face->units_per_EM > 0 ? m_face->units_per_EM : 2048;
        double ascent = m_face->ascender;
        double descent = -m_face->descender;
        double averageWidth = units / 2.0;
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(m_face, FT_SFNT_OS2))) {
            if (os2->usWinAscent + os2->usWinDescent > 0) {
                ascent = os2->usWinAscent;
                descent = os2->usWinDescent;
            }
            if (os2->xAvgCharWidth > 0) {
                averageWidth = os2->xAvgCharWidth;
            }
        }
        // A positive height is the cell, a negative one the em.
        const int cell = desc.Height != 0 ? std::abs(desc.Height) : 16;
        const double em = desc.Height > 0 ? cell * units / (ascent + descent) : cell;
        const double emWidth = desc.Width > 0 ? desc.Width * units / averageWidth : em;
        FT_Set_Pixel_Sizes(m_face, static_cast<FT_UInt>(std::lround(emWidth)), static_cast<FT_UInt>(std::lround(em)));
        m_ascent = static_cast<int>(std::lround(ascent * em / units));
        m_lineHeight = desc.Height > 0 ? cell : static_cast<int>(std::lround((ascent + descent) * em / units));
        const double average = desc.Width > 0 ? desc.Width : averageWidth * em / units;
        m_tabWidth = std::max(1, static_cast<int>(std::lround(average * kTabStops)));
    }

    bool Place(int width, int height, int* x, int* y) {
        const int size = static_cast<int>(kAtlasSize);
        if (width + kGlyphPadding > size || height + kGlyphPadding > size) {
            return false;
        }
        if (m_shelfX + width + kGlyphPadding > size) {
            m_shelfX = 0;
            m_shelfY += m_shelfHeight;
            m_shelfHeight = 0;
        }
        if (m_shelfY + height + kGlyphPadding > size) {
            return false;
        }
        *x = m_shelfX;
        *y = m_shelfY;
        m_shelfX += width + kGlyphPadding;
        m_shelfHeight = std::max(m_shelfHeight, height + kGlyphPadding);
        return true;
    }

    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
    std::string m_family;
    std::string m_file;
    int m_ascent = 0;
    int m_lineHeight = 0;
    int m_tabWidth = 1;
    IDirect3DTexture9* m_atlas = nullptr;
    std::vector<std::uint8_t> m_pixels;
    bool m_dirty = false;
    int m_shelfX = 0;
    int m_shelfY = 0;
    int m_shelfHeight = 0;
    std::map<char32_t, SGlyph> m_glyphs;
};

namespace {

struct SLine {
    std::u32string text;
    int width = 0;
};

int Advance(CGlyphCache& glyphs, char32_t c, int x, DWORD format) {
    if (c == U'\t') {
        if ((format & DT_EXPANDTABS) == 0) {
            return x;
        }
        const int tab = glyphs.TabWidth();
        return (x / tab + 1) * tab;
    }
    const CGlyphCache::SGlyph* glyph = glyphs.Glyph(c);
    return x + (glyph != nullptr ? glyph->advance : 0);
}

int Width(CGlyphCache& glyphs, const std::u32string& text, DWORD format) {
    int x = 0;
    for (const char32_t c : text) {
        x = Advance(glyphs, c, x, format);
    }
    return x;
}

// Paragraphs split at line breaks; with word breaks a line ends before the word that would pass
// the right edge (a word wider than the box keeps a line of its own).
std::vector<SLine> Layout(CGlyphCache& glyphs, const std::u32string& text, int boxWidth, DWORD format) {
    std::vector<std::u32string> paragraphs(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if ((c == U'\r' || c == U'\n') && (format & DT_SINGLELINE) == 0) {
            if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') {
                ++i;
            }
            paragraphs.emplace_back();
        } else if (c != U'\r' && c != U'\n') {
            paragraphs.back() += c;
        }
    }
    const bool wrap = (format & DT_WORDBREAK) != 0 && (format & DT_SINGLELINE) == 0 && boxWidth > 0;
    std::vector<SLine> lines;
    for (const std::u32string& paragraph : paragraphs) {
        if (!wrap) {
            lines.push_back({paragraph, Width(glyphs, paragraph, format)});
            continue;
        }
        std::u32string line;
        std::size_t at = 0;
        while (at <= paragraph.size()) {
            std::size_t end = paragraph.find(U' ', at);
            if (end == std::u32string::npos) {
                end = paragraph.size();
            }
            const std::u32string word = paragraph.substr(at, end - at);
            const std::u32string candidate = line.empty() ? word : line + U' ' + word;
            if (!line.empty() && Width(glyphs, candidate, format) > boxWidth) {
                lines.push_back({line, Width(glyphs, line, format)});
                line = word;
            } else {
                line = candidate;
            }
            at = end + 1;
        }
        lines.push_back({line, Width(glyphs, line, format)});
    }
    return lines;
}

std::u32string Widen(const WCHAR* text, INT count) {
    std::u32string out;
    for (INT i = 0; text != nullptr && (count < 0 ? text[i] != 0 : i < count); ++i) {
        out += static_cast<char32_t>(text[i]);
    }
    return out;
}

} // namespace
} // namespace d3d9
} // namespace platform

using platform::d3d9::CGlyphCache;

ID3DXFont* ID3DXFont::Create(IDirect3DDevice9* device, const D3DXFONT_DESCW& desc) {
    std::unique_ptr<CGlyphCache> glyphs = CGlyphCache::Open(device, desc);
    return glyphs != nullptr ? new ID3DXFont(device, desc, std::move(glyphs)) : nullptr;
}

ID3DXFont::ID3DXFont(IDirect3DDevice9* device, const D3DXFONT_DESCW& desc, std::unique_ptr<CGlyphCache> glyphs)
    : m_device(device), m_desc(desc), m_glyphs(std::move(glyphs)) {
    m_device->AddRef();
}

ID3DXFont::~ID3DXFont() {
    if (m_sprite != nullptr) {
        m_sprite->Release();
    }
    m_glyphs.reset();
    m_device->Release();
}

const std::string& ID3DXFont::GetFamily() const { return m_glyphs->Family(); }
const std::string& ID3DXFont::GetFile() const { return m_glyphs->File(); }

INT ID3DXFont::DrawTextW(ID3DXSprite* sprite, const WCHAR* text, INT count, RECT* rect, DWORD format, D3DCOLOR colour) {
    if (text == nullptr || rect == nullptr) {
        return 0;
    }
    CGlyphCache& glyphs = *m_glyphs;
    const std::vector<platform::d3d9::SLine> lines =
        platform::d3d9::Layout(glyphs, platform::d3d9::Widen(text, count), rect->right - rect->left, format);
    const int lineHeight = glyphs.LineHeight();
    const int height = static_cast<int>(lines.size()) * lineHeight;
    int widest = 0;
    for (const auto& line : lines) {
        widest = std::max(widest, line.width);
    }
    if (format & DT_CALCRECT) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
        return height;
    }
    int top = rect->top;
    if (format & DT_BOTTOM) {
        top = rect->bottom - height;
    } else if (format & DT_VCENTER) {
        top = rect->top + (rect->bottom - rect->top - height) / 2;
    }
    ID3DXSprite* drawing = sprite;
    if (drawing == nullptr) {
        if (m_sprite == nullptr) {
            D3DXCreateSprite(m_device, &m_sprite);
        }
        drawing = m_sprite;
        drawing->Begin(D3DXSPRITE_ALPHABLEND);
    }
    const bool clip = (format & DT_NOCLIP) == 0;
    // Centre (0.5, 0.5) puts each atlas texel on one pixel.
    const D3DXVECTOR3 centre(0.5f, 0.5f, 0.0f);
    for (std::size_t l = 0; l < lines.size(); ++l) {
        int x = rect->left;
        if (format & DT_RIGHT) {
            x = rect->right - lines[l].width;
        } else if (format & DT_CENTER) {
            x = rect->left + (rect->right - rect->left - lines[l].width) / 2;
        }
        const int baseline = top + static_cast<int>(l) * lineHeight + glyphs.Ascent();
        for (const char32_t c : lines[l].text) {
            const CGlyphCache::SGlyph* glyph = c == U'\t' ? nullptr : glyphs.Glyph(c);
            if (glyph != nullptr && glyph->width > 0) {
                RECT source = {glyph->x, glyph->y, glyph->x + glyph->width, glyph->y + glyph->height};
                LONG gx = x + glyph->left;
                LONG gy = baseline - glyph->top;
                if (clip) {
                    const LONG cutLeft = std::max<LONG>(0, rect->left - gx);
                    const LONG cutTop = std::max<LONG>(0, rect->top - gy);
                    source.left += cutLeft;
                    source.top += cutTop;
                    source.right -= std::max<LONG>(0, gx + glyph->width - rect->right);
                    source.bottom -= std::max<LONG>(0, gy + glyph->height - rect->bottom);
                    gx += cutLeft;
                    gy += cutTop;
                }
                if (source.right > source.left && source.bottom > source.top) {
                    const D3DXVECTOR3 position(static_cast<float>(gx), static_cast<float>(gy), 0.0f);
                    drawing->Draw(glyphs.Atlas(), &source, &centre, &position, colour);
                }
            }
            x = platform::d3d9::Advance(glyphs, c, x - rect->left, format) + rect->left;
        }
    }
    if (drawing == m_sprite) {
        drawing->End();
    }
    return (format & (DT_BOTTOM | DT_VCENTER)) ? top - rect->top + height : height;
}

INT ID3DXFont::DrawTextA(ID3DXSprite* sprite, const char* text, INT count, RECT* rect, DWORD format, D3DCOLOR colour) {
    std::wstring wide;
    for (INT i = 0; text != nullptr && (count < 0 ? text[i] != 0 : i < count); ++i) {
        wide += static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
    }
    return DrawTextW(sprite, wide.c_str(), -1, rect, format, colour);
}

HRESULT ID3DXFont::GetDescW(D3DXFONT_DESCW* desc) const {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = m_desc;
    return D3D_OK;
}

HRESULT ID3DXFont::OnLostDevice() { return m_sprite != nullptr ? m_sprite->OnLostDevice() : D3D_OK; }
HRESULT ID3DXFont::OnResetDevice() { return m_sprite != nullptr ? m_sprite->OnResetDevice() : D3D_OK; }

HRESULT ID3DXFont::GetDevice(IDirect3DDevice9** device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_device->AddRef();
    *device = m_device;
    return D3D_OK;
}

HRESULT D3DXCreateFontIndirectW(IDirect3DDevice9* device, const D3DXFONT_DESCW* desc, ID3DXFont** font) {
    if (device == nullptr || desc == nullptr || font == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *font = ID3DXFont::Create(device, *desc);
    return *font != nullptr ? D3D_OK : D3DERR_NOTAVAILABLE;
}
