#include "platform/d3d9/texture_file.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/win32/file_path.h"
#include "platform/win32/file_read.h"

namespace platform {
namespace d3d9 {
namespace {

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

std::string Said(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Said(const char* format, ...) {
    char line[320];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    return line;
}

} // namespace

bool ReadTextureBytes(const char* file, std::string* bytes, std::string* problem) {
    std::string error;
    if (!platform::ReadWholeFile(platform::ResolvePath(file), platform::kMostArtFileBytes, *bytes, error)) {
        *problem = "texture file " + error + "; no texture made";
        return false;
    }
    return true;
}

bool CheckTextureHeader(const D3DCAPS9& caps, const std::string& bytes, UINT faces, int* width, int* height,
                        std::string* problem) {
    const std::string head = bytes.substr(0, kBmpHeaderBytes);
    const std::uint64_t fileBytes = bytes.size();
    const char* format = FormatOf(head);
    if (format == nullptr) {
        *problem = "texture file is not a PNG, TGA, BMP or JPEG image";
        return false;
    }
    int channels = 0;
    if (stbi_info_from_memory(Bytes(bytes), Length(bytes), width, height, &channels) == 0 || *width <= 0 ||
        *height <= 0) {
        *problem = Said("texture file's %s header cannot be read (%s)", format, stbi_failure_reason());
        return false;
    }
    if (static_cast<UINT>(*width) > caps.MaxTextureWidth * faces ||
        static_cast<UINT>(*height) > caps.MaxTextureHeight * faces ||
        static_cast<std::uint64_t>(*width) * static_cast<std::uint64_t>(*height) >
            static_cast<std::uint64_t>(caps.MaxTextureWidth) * caps.MaxTextureHeight * faces) {
        *problem = Said("texture of %d x %d is larger than the device takes", *width, *height);
        return false;
    }
    const std::string kind = format;
    if ((kind == "TGA" && fileBytes < SmallestTga(head, *width, *height)) ||
        (kind == "BMP" && fileBytes < SmallestBmp(head, *width, *height))) {
        *problem = Said("%s of %d x %d is cut short (%llu bytes)", format, *width, *height,
                        static_cast<unsigned long long>(fileBytes));
        return false;
    }
    if (kind == "PNG" && !PngChunksFit(bytes)) {
        *problem = Said("PNG of %d x %d has a chunk running past its end (%llu bytes)", *width, *height,
                        static_cast<unsigned long long>(fileBytes));
        return false;
    }
    return true;
}

bool DecodeTexture(const std::string& bytes, int width, int height, STextureImage* image, std::string* problem) {
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(Bytes(bytes), Length(bytes), &image->width, &image->height, &channels, 4);
    if (pixels == nullptr) {
        *problem = Said("texture file cannot be read (%s)", stbi_failure_reason());
        return false;
    }
    if (image->width != width || image->height != height) {
        *problem =
            Said("texture decodes to %d x %d, its header says %d x %d", image->width, image->height, width, height);
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

} // namespace d3d9
} // namespace platform
