#include "platform/d3d9/d3dx9_tex.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/d3d9/d3dx9_effect.h"
#include "platform/win32/file_path.h"

namespace {

struct SImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;
};

// A header claiming more than the device can hold is refused before any pixel memory is taken.
bool Load(IDirect3DDevice9* device, const char* file, UINT faces, SImage* image) {
    const std::string path = platform::ResolvePath(file);
    int channels = 0;
    int width = 0;
    int height = 0;
    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    if (stbi_info(path.c_str(), &width, &height, &channels) != 0 &&
        (static_cast<UINT>(width) > caps.MaxTextureWidth * faces ||
         static_cast<UINT>(height) > caps.MaxTextureHeight * faces ||
         static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) >
             static_cast<std::uint64_t>(caps.MaxTextureWidth) * caps.MaxTextureHeight * faces)) {
        std::fprintf(stderr, "%s: texture of %d x %d is larger than the device takes\n", file, width, height);
        return false;
    }
    stbi_uc* pixels = stbi_load(path.c_str(), &image->width, &image->height, &channels, 4);
    if (pixels == nullptr) {
        std::fprintf(stderr, "%s: texture file cannot be read (%s)\n", file, stbi_failure_reason());
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(image->width) * image->height;
    image->bgra.resize(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        image->bgra[i * 4 + 0] = pixels[i * 4 + 2];
        image->bgra[i * 4 + 1] = pixels[i * 4 + 1];
        image->bgra[i * 4 + 2] = pixels[i * 4 + 0];
        image->bgra[i * 4 + 3] = pixels[i * 4 + 3];
    }
    stbi_image_free(pixels);
    return true;
}

} // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* file, IDirect3DTexture9** texture) {
    if (device == nullptr || file == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    SImage image;
    if (!Load(device, file, 1, &image)) {
        return D3DXERR_INVALIDDATA;
    }
    IDirect3DTexture9* created = nullptr;
    const HRESULT result = device->CreateTexture(static_cast<UINT>(image.width), static_cast<UINT>(image.height), 0, 0,
                                                 D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &created, nullptr);
    if (FAILED(result)) {
        return result;
    }
    created->SetPixels(image.bgra.data());
    *texture = created;
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileW(IDirect3DDevice9* device, const WCHAR* file, IDirect3DTexture9** texture) {
    if (file == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return D3DXCreateTextureFromFileA(device, platform::d3d9::NarrowPath(file).c_str(), texture);
}

HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* device, const char* file, IDirect3DCubeTexture9** texture) {
    if (device == nullptr || file == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    SImage image;
    if (!Load(device, file, 6, &image)) {
        return D3DXERR_INVALIDDATA;
    }
    int edge = 0;
    int stepX = 0;
    int stepY = 0;
    if (image.width == 6 * image.height) {
        edge = image.height;
        stepX = edge;
    } else if (image.height == 6 * image.width) {
        edge = image.width;
        stepY = edge;
    } else if (image.width == image.height) {
        edge = image.width;
    } else {
        std::fprintf(stderr, "%s: a cube file must be a 6:1 or 1:6 strip or a square image\n", file);
        return D3DXERR_INVALIDDATA;
    }
    IDirect3DCubeTexture9* created = nullptr;
    const HRESULT result =
        device->CreateCubeTexture(static_cast<UINT>(edge), 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &created, nullptr);
    if (FAILED(result)) {
        return result;
    }
    std::vector<std::uint8_t> face(static_cast<std::size_t>(edge) * edge * 4);
    for (int f = 0; f < 6; ++f) {
        for (int row = 0; row < edge; ++row) {
            const std::size_t source =
                (static_cast<std::size_t>(f * stepY + row) * image.width + static_cast<std::size_t>(f * stepX)) * 4;
            std::copy_n(image.bgra.begin() + static_cast<std::ptrdiff_t>(source), static_cast<std::size_t>(edge) * 4,
                        face.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(row) * edge * 4));
        }
        created->SetFace(static_cast<UINT>(f), face.data());
    }
    *texture = created;
    return D3D_OK;
}

HRESULT D3DXCreateCubeTextureFromFileW(IDirect3DDevice9* device, const WCHAR* file, IDirect3DCubeTexture9** texture) {
    if (file == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return D3DXCreateCubeTextureFromFileA(device, platform::d3d9::NarrowPath(file).c_str(), texture);
}

HRESULT D3DXSaveSurfaceToFileA(const char* file, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const void* palette, const RECT* rect) {
    if (file == nullptr || surface == nullptr || palette != nullptr || rect != nullptr ||
        (format != D3DXIFF_PNG && format != D3DXIFF_BMP) || surface->DeviceOf() == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::vector<std::uint8_t> bgra;
    UINT width = 0;
    UINT height = 0;
    if (!surface->DeviceOf()->ReadSurface(surface, &bgra, &width, &height)) {
        return D3DERR_INVALIDCALL;
    }
    std::vector<std::uint8_t> rgba(bgra.size());
    const bool opaque = surface->IsBackBuffer() || surface->GetContainer() == nullptr ||
                        surface->GetContainer()->GetFormat() == D3DFMT_X8R8G8B8;
    for (std::size_t i = 0; i + 3 < bgra.size(); i += 4) {
        rgba[i + 0] = bgra[i + 2];
        rgba[i + 1] = bgra[i + 1];
        rgba[i + 2] = bgra[i + 0];
        rgba[i + 3] = opaque ? 255 : bgra[i + 3];
    }
    const auto w = static_cast<int>(width);
    const auto h = static_cast<int>(height);
    const int written = format == D3DXIFF_PNG ? stbi_write_png(file, w, h, 4, rgba.data(), w * 4)
                                              : stbi_write_bmp(file, w, h, 4, rgba.data());
    if (written == 0) {
        std::fprintf(stderr, "%s: image cannot be written\n", file);
        return E_FAIL;
    }
    return D3D_OK;
}

HRESULT D3DXSaveSurfaceToFileW(const WCHAR* file, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const void* palette, const RECT* rect) {
    if (file == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return D3DXSaveSurfaceToFileA(platform::d3d9::NarrowPath(file).c_str(), format, surface, palette, rect);
}

namespace platform {
namespace d3d9 {

bool SaveBackBufferPng(IDirect3DDevice9* device, const char* file) {
    if (device == nullptr) {
        return false;
    }
    IDirect3DSurface9* backBuffer = nullptr;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
        return false;
    }
    const HRESULT result = D3DXSaveSurfaceToFileA(file, D3DXIFF_PNG, backBuffer, nullptr, nullptr);
    backBuffer->Release();
    return SUCCEEDED(result);
}

} // namespace d3d9
} // namespace platform
