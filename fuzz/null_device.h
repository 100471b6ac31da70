// The null graphics device the fuzz targets build on: made once, kept for the process.
#pragma once

#include "platform/d3d9/d3d9.h"

namespace tk_fuzz {

inline IDirect3DDevice9* NullDevice() {
    static IDirect3DDevice9* device = [] {
        IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = 64;
        parameters.BackBufferHeight = 32;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        IDirect3DDevice9* created = nullptr;
        direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_NULLREF, nullptr, 0, &parameters, &created);
        return created;
    }();
    return device;
}

} // namespace tk_fuzz
