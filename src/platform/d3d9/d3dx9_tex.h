// D3DX texture files on the device stand-in: 2D and cube textures read with stb_image (PNG, BMP,
// TGA, JPEG) into A8R8G8B8 textures with a full mip chain, and surfaces written as PNG or BMP.
// A cube file holds its six faces side by side (+X, -X, +Y, -Y, +Z, -Z) in a 6:1 strip, one
// above the other in a 1:6 strip, or one square image used for every face. Files that are
// missing or unreadable give no texture and a message on stderr. Main thread only.
#pragma once

#include "platform/d3d9/d3d9.h"

using D3DXIMAGE_FILEFORMAT = DWORD;
constexpr D3DXIMAGE_FILEFORMAT D3DXIFF_BMP = 0;
constexpr D3DXIMAGE_FILEFORMAT D3DXIFF_JPG = 1;
constexpr D3DXIMAGE_FILEFORMAT D3DXIFF_TGA = 2;
constexpr D3DXIMAGE_FILEFORMAT D3DXIFF_PNG = 3;

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* file, IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromFileW(IDirect3DDevice9* device, const WCHAR* file, IDirect3DTexture9** texture);
HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* device, const char* file, IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateCubeTextureFromFileW(IDirect3DDevice9* device, const WCHAR* file, IDirect3DCubeTexture9** texture);
// PNG and BMP only; the palette and rectangle must be null.
HRESULT D3DXSaveSurfaceToFileA(const char* file, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const void* palette, const RECT* rect);
HRESULT D3DXSaveSurfaceToFileW(const WCHAR* file, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const void* palette, const RECT* rect);

namespace platform {
namespace d3d9 {

// Saves the back buffer of a device as PNG (the framework's screenshot writer).
bool SaveBackBufferPng(IDirect3DDevice9* device, const char* file);

} // namespace d3d9
} // namespace platform
