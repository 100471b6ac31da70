#include "platform/d3d9/mip_levels.h"

#include <algorithm>

namespace platform {
namespace d3d9 {
namespace {

constexpr std::uint32_t kWeightOne = 256;

// The two source pixels a destination pixel samples along one direction and the weight of the
// second, in 256ths.
struct STap {
    UINT first = 0;
    UINT second = 0;
    std::uint32_t weight = 0;
};

std::vector<STap> Taps(UINT source, UINT destination) {
    std::vector<STap> taps(destination);
    const std::uint64_t span = 2ull * destination;
    for (UINT x = 0; x < destination; ++x) {
        // The centre (x + 1/2) * source / destination - 1/2, in units of 1 / (2 destination).
        const std::uint64_t at = (2ull * x + 1) * source - destination;
        STap& tap = taps[x];
        tap.first = static_cast<UINT>(at / span);
        tap.second = std::min(tap.first + 1, source - 1);
        tap.weight = static_cast<std::uint32_t>(((at % span) * kWeightOne + destination) / span);
    }
    return taps;
}

// One step of the filter, rounded as llvmpipe's sampler rounds: across, then down, each to a
// whole byte, so that the levels are the ones its own mipmap drawing gave.
std::uint32_t Blend(std::uint32_t first, std::uint32_t second, std::uint32_t secondWeight) {
    return (first * (kWeightOne - secondWeight) + second * secondWeight + kWeightOne / 2) / kWeightOne;
}

} // namespace

UINT NextLevelSize(UINT size) { return std::max(1u, size / 2); }

void BuildNextLevel(const std::uint8_t* bgra, UINT width, UINT height, std::vector<std::uint8_t>* next) {
    const UINT nextWidth = NextLevelSize(width);
    const UINT nextHeight = NextLevelSize(height);
    next->resize(static_cast<std::size_t>(nextWidth) * nextHeight * 4);
    const std::vector<STap> columns = Taps(width, nextWidth);
    const std::vector<STap> rows = Taps(height, nextHeight);
    const std::size_t pitch = static_cast<std::size_t>(width) * 4;
    std::uint8_t* out = next->data();
    for (const STap& row : rows) {
        const std::uint8_t* top = bgra + row.first * pitch;
        const std::uint8_t* bottom = bgra + row.second * pitch;
        const std::uint32_t lowerWeight = row.weight;
        for (const STap& column : columns) {
            const std::size_t left = static_cast<std::size_t>(column.first) * 4;
            const std::size_t right = static_cast<std::size_t>(column.second) * 4;
            const std::uint32_t rightWeight = column.weight;
            for (int channel = 0; channel < 4; ++channel) {
                const std::uint32_t upper = Blend(top[left + channel], top[right + channel], rightWeight);
                const std::uint32_t lower = Blend(bottom[left + channel], bottom[right + channel], rightWeight);
                *out++ = static_cast<std::uint8_t>(Blend(upper, lower, lowerWeight));
            }
        }
    }
}

} // namespace d3d9
} // namespace platform
