#include "platform/d3d9/d3dx9_tex.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d9/d3dx9_effect.h"
#include "platform/d3d9/texture_file.h"
#include "platform/d3d9/texture_prefetch.h"
#include "platform/win32/file_write.h"

namespace {

using platform::d3d9::STextureImage;

void Say(const char* file, const std::string& problem) { std::fprintf(stderr, "%s: %s\n", file, problem.c_str()); }

// The texture file's bytes, or false with a line saying why there are none.
bool ReadTextureFile(const char* file, std::string& bytes) {
    std::string problem;
    if (!platform::d3d9::ReadTextureBytes(file, &bytes, &problem)) {
        Say(file, problem);
        return false;
    }
    return true;
}

// Everything known before decoding: the format from the first bytes, the size from the header;
// a file that is not one of the game's formats, or larger than the device (or, for a TGA, its
// own length) allows, is refused before any pixel memory is taken.
bool ReadHeader(IDirect3DDevice9* device, const char* file, const std::string& bytes, UINT faces, int* width,
                int* height) {
    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    std::string problem;
    if (!platform::d3d9::CheckTextureHeader(caps, bytes, faces, width, height, &problem)) {
        Say(file, problem);
        return false;
    }
    return true;
}

bool Decode(const char* file, const std::string& bytes, int width, int height, STextureImage* image) {
    std::string problem;
    if (!platform::d3d9::DecodeTexture(bytes, width, height, image, &problem)) {
        Say(file, problem);
        return false;
    }
    return true;
}

// The file's image, from a worker's prefetch of it when there was one: the same checks run here
// in the same order, so a file that fails says here what it would have said unprefetched.
bool LoadImage(IDirect3DDevice9* device, const char* file, STextureImage* image) {
    std::unique_ptr<platform::d3d9::SPrefetchedTexture> prefetched =
        device != nullptr ? device->Prefetcher().Take(file) : nullptr;
    std::string bytes;
    if (prefetched == nullptr) {
        if (!ReadTextureFile(file, bytes)) {
            return false;
        }
    } else if (!prefetched->read) {
        Say(file, prefetched->readProblem);
        return false;
    } else {
        bytes = std::move(prefetched->bytes);
    }
    int width = 0;
    int height = 0;
    if (!ReadHeader(device, file, bytes, 1, &width, &height)) {
        return false;
    }
    if (prefetched != nullptr && prefetched->decoded && prefetched->image.width == width &&
        prefetched->image.height == height) {
        *image = std::move(prefetched->image);
        return true;
    }
    return Decode(file, bytes, width, height, image);
}

} // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* file, IDirect3DTexture9** texture) {
    if (device == nullptr || file == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    STextureImage image;
    if (!LoadImage(device, file, &image)) {
        return D3DXERR_INVALIDDATA;
    }
    IDirect3DTexture9* created = nullptr;
    const HRESULT result = device->CreateTexture(static_cast<UINT>(image.width), static_cast<UINT>(image.height), 0, 0,
                                                 D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &created, nullptr);
    if (FAILED(result)) {
        return result;
    }
    created->SetPixels(std::move(image.bgra));
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
    std::string bytes;
    int width = 0;
    int height = 0;
    if (!ReadTextureFile(file, bytes) || !ReadHeader(device, file, bytes, 6, &width, &height)) {
        return D3DXERR_INVALIDDATA;
    }
    int edge = 0;
    int stepX = 0;
    int stepY = 0;
    if (width == 6 * height) {
        edge = height;
        stepX = edge;
    } else if (height == 6 * width) {
        edge = width;
        stepY = edge;
    } else if (width == height) {
        edge = width;
    } else {
        std::fprintf(stderr, "%s: a cube file must be a 6:1 or 1:6 strip or a square image, not %d x %d\n", file, width,
                     height);
        return D3DXERR_INVALIDDATA;
    }
    STextureImage image;
    if (!Decode(file, bytes, width, height, &image)) {
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
    // Encoded in memory, then written by the file layer: stb's own file writing does not check
    // its writes, and a full disk would leave an empty image reported as saved.
    std::string encoded;
    const auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
    };
    const int made = format == D3DXIFF_PNG ? stbi_write_png_to_func(append, &encoded, w, h, 4, rgba.data(), w * 4)
                                           : stbi_write_bmp_to_func(append, &encoded, w, h, 4, rgba.data());
    std::string error = "cannot be encoded";
    if (made == 0 || !platform::ReplaceFile(file, encoded, error)) {
        std::fprintf(stderr, "%s: image %s; not saved\n", file, error.c_str());
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
