// The lower levels of a texture's mip chain, built on the processor. A software renderer builds
// them by drawing, which compiles shaders and wakes its threads for every texture; these are
// the same filter (a box average for even sizes) done in plain loops on the caller's thread.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/win32.h"

namespace platform {
namespace d3d9 {

// The size of the level below one of this size: halved, never below 1.
UINT NextLevelSize(UINT size);

// Fills next with the level below bgra (width x height, B G R A bytes, top row first): each
// pixel is the source sampled bilinearly at the pixel's centre, which for an even size is the
// average of the two (or, in both directions, four) pixels it covers, halves rounded up. next
// is resized.
void BuildNextLevel(const std::uint8_t* bgra, UINT width, UINT height, std::vector<std::uint8_t>* next);

} // namespace d3d9
} // namespace platform
