// D3DX lines: one-pixel strips in screen coordinates, or of 3D points through a transform
// (clipped at the near plane), drawn at once. Reference-counted objects; main thread only.
#pragma once

#include "platform/d3d9/d3dx9_sprite.h"

class ID3DXLine : public platform::d3d9::CRefCounted {
public:
    explicit ID3DXLine(IDirect3DDevice9* device) : m_drawer(device) {}

    HRESULT Begin();
    HRESULT Draw(const D3DXVECTOR2* vertices, DWORD count, D3DCOLOR colour);
    // Each point p goes to clip space as (p, 1) x transform.
    HRESULT DrawTransform(const D3DXVECTOR3* vertices, DWORD count, const D3DXMATRIX* transform, D3DCOLOR colour);
    HRESULT End();
    // Kept for callers; lines are drawn one pixel wide.
    HRESULT SetWidth(float width);
    float GetWidth() const { return m_width; }
    HRESULT OnLostDevice() { return D3D_OK; }
    HRESULT OnResetDevice() { return D3D_OK; }
    HRESULT GetDevice(IDirect3DDevice9** device);

private:
    ~ID3DXLine() override = default;

    platform::d3d9::CScreenDrawer m_drawer;
    float m_width = 1.0f;
};

HRESULT D3DXCreateLine(IDirect3DDevice9* device, ID3DXLine** line);
