// D3DX sprites: textured screen quads queued between Begin and End, drawn in order through the
// sprite's transform with the device state restored afterwards; and the screen drawer that
// sprites, fonts and lines share. Reference-counted objects; main thread only.
#pragma once

#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dx9_math.h"

constexpr DWORD D3DXSPRITE_DONOTSAVESTATE = 0x1;
constexpr DWORD D3DXSPRITE_DONOTMODIFY_RENDERSTATE = 0x2;
constexpr DWORD D3DXSPRITE_OBJECTSPACE = 0x4;
constexpr DWORD D3DXSPRITE_BILLBOARD = 0x8;
constexpr DWORD D3DXSPRITE_ALPHABLEND = 0x10;
constexpr DWORD D3DXSPRITE_SORT_TEXTURE = 0x20;

namespace platform {
namespace d3d9 {

struct SScreenVertex {
    float x;
    float y;
    float z;
    D3DCOLOR colour;
    float u;
    float v;
};

// Triangles or lines in screen coordinates with a colour and an optional texture, drawn with a
// program of its own. The device must be inside BeginScene, as for any draw.
class CScreenDrawer {
public:
    explicit CScreenDrawer(IDirect3DDevice9* device);
    ~CScreenDrawer();
    CScreenDrawer(const CScreenDrawer&) = delete;
    CScreenDrawer& operator=(const CScreenDrawer&) = delete;

    void Draw(D3DPRIMITIVETYPE type, UINT primitives, const std::vector<SScreenVertex>& vertices,
              IDirect3DBaseTexture9* texture, bool alphaBlend);
    IDirect3DDevice9* Device() const { return m_device; }

private:
    bool Prepare(std::size_t bytes);

    IDirect3DDevice9* m_device; // one reference
    IDirect3DVertexDeclaration9* m_declaration = nullptr;
    IDirect3DVertexBuffer9* m_buffer = nullptr;
    UINT m_bufferBytes = 0;
    BackendHandle m_program = 0;
    bool m_programFailed = false;
    std::string m_names[4];
    float m_viewport[4] = {};
    std::int32_t m_textured = 0;
    std::vector<SUniformBinding> m_uniforms;
};

} // namespace d3d9
} // namespace platform

class ID3DXSprite : public platform::d3d9::CRefCounted {
public:
    explicit ID3DXSprite(IDirect3DDevice9* device);

    HRESULT Begin(DWORD flags);
    // The source rectangle (null: the whole texture) lands at position - centre, then the
    // sprite's transform applies. Positions are Direct3D screen coordinates, whose pixel centres
    // are whole numbers, so centre (0.5, 0.5) puts each texel on one pixel. An empty or
    // inverted rectangle draws nothing and is logged once per sprite.
    HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* centre, const D3DXVECTOR3* position,
                 D3DCOLOR colour);
    HRESULT Flush();
    HRESULT End();
    HRESULT SetTransform(const D3DXMATRIX* transform);
    HRESULT GetTransform(D3DXMATRIX* transform) const;
    HRESULT OnLostDevice();
    HRESULT OnResetDevice();
    HRESULT GetDevice(IDirect3DDevice9** device);

    bool IsBegun() const { return m_begun; }

private:
    ~ID3DXSprite() override = default;

    struct SQuad {
        IDirect3DTexture9* texture;
        platform::d3d9::SScreenVertex corners[4];
    };
    platform::d3d9::CScreenDrawer m_drawer;
    D3DXMATRIX m_transform;
    DWORD m_flags = 0;
    bool m_begun = false;
    bool m_warnedEmpty = false;
    std::vector<SQuad> m_queue;
};

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);
