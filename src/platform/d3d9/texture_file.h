// Reading a texture file into B G R A pixels, the part of the D3DX texture loaders that needs
// no device: the file's bytes, the checks its header must pass before any pixel memory is taken,
// and the decoding. Each step gives the line to say when it fails (after "file: ") instead of
// saying it, so that it may run on any thread and the caller says it where the load was asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace platform {
namespace d3d9 {

struct STextureImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra; // top row first
};

// The whole file, or false with the problem.
bool ReadTextureBytes(const char* file, std::string* bytes, std::string* problem);
// The size the header gives, or false with the problem: not one of the game's formats, larger
// than textures of `faces` faces may be on a device with these caps, or shorter than it claims.
bool CheckTextureHeader(const D3DCAPS9& caps, const std::string& bytes, UINT faces, int* width, int* height,
                        std::string* problem);
// The pixels, which must be of the size the header gave, or false with the problem.
bool DecodeTexture(const std::string& bytes, int width, int height, STextureImage* image, std::string* problem);

} // namespace d3d9
} // namespace platform
