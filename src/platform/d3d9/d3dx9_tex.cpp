#include "platform/d3d9/d3dx9_tex.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d9/d3dx9_effect.h"
#include "platform/win32/file_path.h"
#include "platform/win32/file_read.h"
#include "platform/win32/file_write.h"

namespace {

struct SImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;
};

constexpr std::size_t kTgaHeaderBytes = 18;
constexpr std::size_t kBmpHeaderBytes = 30; // to the bits per pixel

bool StartsWith(const std::string& head, const char* magic, std::size_t length) {
    return head.size() >= length && head.compare(0, length, magic, length) == 0;
}

// The formats the game's art comes in, told by their first bytes (TGA has no signature: a
// header whose colour-map and image types make sense). Other formats stb reads are refused.
const char* FormatOf(const std::string& head) {
    if (StartsWith(head, "\x89PNG\r\n\x1a\n", 8)) {
        return "PNG";
    }
    if (StartsWith(head, "\xFF\xD8\xFF", 3)) {
        return "JPEG";
    }
    if (StartsWith(head, "BM", 2)) {
        return "BMP";
    }
    if (head.size() >= kTgaHeaderBytes) {
        const auto colourMap = static_cast<unsigned char>(head[1]);
        const auto type = static_cast<unsigned char>(head[2]);
        const bool knownType = (type >= 1 && type <= 3) || (type >= 9 && type <= 11);
        if (colourMap <= 1 && knownType) {
            return "TGA";
        }
    }
    return nullptr;
}

const stbi_uc* Bytes(const std::string& bytes) { return reinterpret_cast<const stbi_uc*>(bytes.data()); }

// Art files are far below 2 GB (the file layer refuses larger ones), so the length fits stb's int.
int Length(const std::string& bytes) { return static_cast<int>(bytes.size()); }

// The texture file's bytes, or false with a line saying why there are none.
bool ReadTextureFile(const char* file, std::string& bytes) {
    std::string error;
    if (!platform::ReadWholeFile(platform::ResolvePath(file), platform::kMostArtFileBytes, bytes, error)) {
        std::fprintf(stderr, "%s: texture file %s; no texture made\n", file, error.c_str());
        return false;
    }
    return true;
}

// The fewest bytes a TGA of this size can have: stb reads a short one as if it went on in
// zeros, so a few bytes could otherwise claim many megapixels.
std::uint64_t SmallestTga(const std::string& head, int width, int height) {
    const auto u8 = [&head](std::size_t at) {
        return static_cast<std::uint64_t>(static_cast<unsigned char>(head[at]));
    };
    const std::uint64_t mapEntries = u8(5) | (u8(6) << 8);
    const std::uint64_t mapBytes = u8(1) == 1 ? mapEntries * ((u8(7) + 7) / 8) : 0;
    const std::uint64_t pixelBytes = std::max<std::uint64_t>(1, (u8(16) + 7) / 8);
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    // Run-length packets hold up to 128 pixels in a count byte and one pixel value.
    const std::uint64_t data = u8(2) >= 9 ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes;
    return kTgaHeaderBytes + u8(0) + mapBytes + data;
}

// stb takes memory for a PNG chunk by its declared length before reading it, so every chunk
// must lie inside the file; a few bytes could otherwise ask for gigabytes.
bool PngChunksFit(const std::string& bytes) {
    const std::uint64_t fileBytes = bytes.size();
    std::uint64_t at = 8;
    while (at + 12 <= fileBytes) {
        unsigned char chunk[8];
        std::memcpy(chunk, bytes.data() + at, sizeof chunk);
        const std::uint64_t length =
            (static_cast<std::uint64_t>(chunk[0]) << 24) | (chunk[1] << 16) | (chunk[2] << 8) | chunk[3];
        if (length > fileBytes - at - 12) {
            return false;
        }
        if (std::memcmp(chunk + 4, "IEND", 4) == 0) {
            return true;
        }
        at += 12 + length;
    }
    return at == fileBytes;
}

// The fewest bytes an uncompressed BMP of this size can have (stb reads no compressed ones): stb
// takes the pixel memory first and reads a short file as if it went on in zeros.
std::uint64_t SmallestBmp(const std::string& head, int width, int height) {
    if (head.size() < 30) {
        return 0;
    }
    const auto u8 = [&head](std::size_t at) {
        return static_cast<std::uint64_t>(static_cast<unsigned char>(head[at]));
    };
    const std::uint64_t offset = u8(10) | (u8(11) << 8) | (u8(12) << 16) | (u8(13) << 24);
    const std::uint64_t bits = u8(28) | (u8(29) << 8);
    const std::uint64_t row = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    return offset + row * static_cast<std::uint64_t>(height);
}

// Everything known before decoding: the format from the first bytes, the size from the header;
// a file that is not one of the game's formats, or larger than the device (or, for a TGA, its
// own length) allows, is refused before any pixel memory is taken.
bool ReadHeader(IDirect3DDevice9* device, const char* file, const std::string& bytes, UINT faces, int* width,
                int* height) {
    const std::string head = bytes.substr(0, kBmpHeaderBytes);
    const std::uint64_t fileBytes = bytes.size();
    const char* format = FormatOf(head);
    if (format == nullptr) {
        std::fprintf(stderr, "%s: texture file is not a PNG, TGA, BMP or JPEG image\n", file);
        return false;
    }
    int channels = 0;
    if (stbi_info_from_memory(Bytes(bytes), Length(bytes), width, height, &channels) == 0 || *width <= 0 ||
        *height <= 0) {
        std::fprintf(stderr, "%s: texture file's %s header cannot be read (%s)\n", file, format, stbi_failure_reason());
        return false;
    }
    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    if (static_cast<UINT>(*width) > caps.MaxTextureWidth * faces ||
        static_cast<UINT>(*height) > caps.MaxTextureHeight * faces ||
        static_cast<std::uint64_t>(*width) * static_cast<std::uint64_t>(*height) >
            static_cast<std::uint64_t>(caps.MaxTextureWidth) * caps.MaxTextureHeight * faces) {
        std::fprintf(stderr, "%s: texture of %d x %d is larger than the device takes\n", file, *width, *height);
        return false;
    }
    const std::string kind = format;
    if ((kind == "TGA" && fileBytes < SmallestTga(head, *width, *height)) ||
        (kind == "BMP" && fileBytes < SmallestBmp(head, *width, *height))) {
        std::fprintf(stderr, "%s: %s of %d x %d is cut short (%llu bytes)\n", file, format, *width, *height,
                     static_cast<unsigned long long>(fileBytes));
        return false;
    }
    if (kind == "PNG" && !PngChunksFit(bytes)) {
        std::fprintf(stderr, "%s: PNG of %d x %d has a chunk running past its end (%llu bytes)\n", file, *width,
                     *height, static_cast<unsigned long long>(fileBytes));
        return false;
    }
    return true;
}

bool Decode(const char* file, const std::string& bytes, int width, int height, SImage* image) {
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(Bytes(bytes), Length(bytes), &image->width, &image->height, &channels, 4);
    if (pixels == nullptr) {
        std::fprintf(stderr, "%s: texture file cannot be read (%s)\n", file, stbi_failure_reason());
        return false;
    }
    if (image->width != width || image->height != height) {
        std::fprintf(stderr, "%s: texture decodes to %d x %d, its header says %d x %d\n", file, image->width,
                     image->height, width, height);
        stbi_image_free(pixels);
        return false;
    }
    // Swapped in place and copied once: the copy is the texture's own from then on.
    const std::size_t length = static_cast<std::size_t>(image->width) * image->height * 4;
    for (std::size_t i = 0; i < length; i += 4) {
        std::swap(pixels[i], pixels[i + 2]);
    }
    image->bgra.assign(pixels, pixels + length);
    stbi_image_free(pixels);
    return true;
}

} // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* file, IDirect3DTexture9** texture) {
    if (device == nullptr || file == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    std::string bytes;
    int width = 0;
    int height = 0;
    SImage image;
    if (!ReadTextureFile(file, bytes) || !ReadHeader(device, file, bytes, 1, &width, &height) ||
        !Decode(file, bytes, width, height, &image)) {
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
    SImage image;
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
