#include "platform/d3d9/d3dx9_line.h"

#include <algorithm>
#include <vector>

namespace {

// Clip-space points nearer than this to w = 0 are cut off.
constexpr float kNearW = 1e-5f;

bool Visible(const D3DXVECTOR4& p) { return p.z >= 0.0f && p.w > kNearW; }

// The point of segment a-b where it crosses the near plane z = 0 (or w = kNearW).
D3DXVECTOR4 Cut(const D3DXVECTOR4& a, const D3DXVECTOR4& b) {
    const float da = std::min(a.z, a.w - kNearW);
    const float db = std::min(b.z, b.w - kNearW);
    const float t = da / (da - db);
    return a + (b - a) * t;
}

} // namespace

HRESULT ID3DXLine::Begin() { return D3D_OK; }
HRESULT ID3DXLine::End() { return D3D_OK; }

HRESULT ID3DXLine::SetWidth(float width) {
    m_width = width;
    return D3D_OK;
}

HRESULT ID3DXLine::Draw(const D3DXVECTOR2* vertices, DWORD count, D3DCOLOR colour) {
    if (vertices == nullptr || count < 2) {
        return D3DERR_INVALIDCALL;
    }
    std::vector<platform::d3d9::SScreenVertex> strip;
    for (DWORD i = 0; i < count; ++i) {
        strip.push_back({vertices[i].x, vertices[i].y, 0.0f, colour, 0.0f, 0.0f});
    }
    m_drawer.Draw(D3DPT_LINESTRIP, count - 1, strip, nullptr, true);
    return D3D_OK;
}

HRESULT ID3DXLine::DrawTransform(const D3DXVECTOR3* vertices, DWORD count, const D3DXMATRIX* transform,
                                 D3DCOLOR colour) {
    if (vertices == nullptr || transform == nullptr || count < 2) {
        return D3DERR_INVALIDCALL;
    }
    D3DVIEWPORT9 viewport;
    m_drawer.Device()->GetViewport(&viewport);
    auto screen = [&](const D3DXVECTOR4& p) {
        const float x = viewport.X + (p.x / p.w + 1.0f) * 0.5f * viewport.Width;
        const float y = viewport.Y + (1.0f - p.y / p.w) * 0.5f * viewport.Height;
        return platform::d3d9::SScreenVertex{x, y, 0.0f, colour, 0.0f, 0.0f};
    };
    std::vector<platform::d3d9::SScreenVertex> segments;
    for (DWORD i = 0; i + 1 < count; ++i) {
        D3DXVECTOR4 a;
        D3DXVECTOR4 b;
        D3DXVec3Transform(&a, &vertices[i], transform);
        D3DXVec3Transform(&b, &vertices[i + 1], transform);
        const bool aIn = Visible(a);
        const bool bIn = Visible(b);
        if (!aIn && !bIn) {
            continue;
        }
        if (!aIn) {
            a = Cut(a, b);
        } else if (!bIn) {
            b = Cut(a, b);
        }
        segments.push_back(screen(a));
        segments.push_back(screen(b));
    }
    if (!segments.empty()) {
        m_drawer.Draw(D3DPT_LINELIST, static_cast<UINT>(segments.size() / 2), segments, nullptr, true);
    }
    return D3D_OK;
}

HRESULT ID3DXLine::GetDevice(IDirect3DDevice9** device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_drawer.Device()->AddRef();
    *device = m_drawer.Device();
    return D3D_OK;
}

HRESULT D3DXCreateLine(IDirect3DDevice9* device, ID3DXLine** line) {
    if (device == nullptr || line == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *line = new ID3DXLine(device);
    return D3D_OK;
}
