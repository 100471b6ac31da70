#include <gtest/gtest.h>

#include <vector>

#include "platform/d3d9/mip_levels.h"

namespace {

using platform::d3d9::BuildNextLevel;

// One grey level per pixel, the same in every channel, so that a case reads as a row of numbers.
std::vector<std::uint8_t> Grey(const std::vector<int>& values) {
    std::vector<std::uint8_t> bgra;
    for (const int value : values) {
        bgra.insert(bgra.end(), 4, static_cast<std::uint8_t>(value));
    }
    return bgra;
}

std::vector<int> Channel(const std::vector<std::uint8_t>& bgra, int channel) {
    std::vector<int> values;
    for (std::size_t i = static_cast<std::size_t>(channel); i < bgra.size(); i += 4) {
        values.push_back(bgra[i]);
    }
    return values;
}

TEST(MipLevels, EachLevelHalvesTheSizeAndAveragesWhatItCovers) {
    struct SCase {
        const char* what;
        UINT width;
        UINT height;
        std::vector<int> source;
        std::vector<int> next;
    };
    const SCase cases[] = {
        {"a 2 x 2 block averages", 2, 2, {10, 20, 30, 40}, {25}},
        {"halves round up, across then down", 2, 2, {0, 0, 0, 1}, {1}},
        {"black and white give mid grey", 2, 2, {0, 255, 255, 0}, {128}},
        {"4 x 2 gives two blocks", 4, 2, {0, 4, 100, 100, 8, 12, 200, 200}, {6, 150}},
        {"a single row stays a row", 4, 1, {0, 100, 200, 50}, {50, 125}},
        {"a single column stays a column", 1, 4, {0, 100, 200, 50}, {50, 125}},
        {"1 x 1 is its own level", 1, 1, {77}, {77}},
        {"an odd width samples at each new pixel's centre", 5, 1, {0, 100, 200, 40, 80}, {75, 50}},
        {"three across keep the middle one", 3, 1, {9, 60, 250}, {60}},
    };
    for (const SCase& test : cases) {
        std::vector<std::uint8_t> next;
        BuildNextLevel(Grey(test.source).data(), test.width, test.height, &next);
        EXPECT_EQ(Channel(next, 0), test.next) << test.what;
    }
}

TEST(MipLevels, ChannelsStayApartAndOddSizesRoundDown) {
    // Blue, green, red and alpha differ in each pixel: no channel may leak into another.
    const std::vector<std::uint8_t> bgra = {0, 10, 100, 255, 2, 20, 200, 255, 4, 30, 0, 0, 6, 40, 100, 0};
    std::vector<std::uint8_t> next;
    BuildNextLevel(bgra.data(), 2, 2, &next);
    EXPECT_EQ(next, (std::vector<std::uint8_t>{3, 25, 100, 128}));

    struct SSize {
        UINT width;
        UINT height;
        UINT nextWidth;
        UINT nextHeight;
    };
    for (const SSize size : {SSize{65, 65, 32, 32}, SSize{192, 32, 96, 16}, SSize{7, 1, 3, 1}, SSize{1, 9, 1, 4}}) {
        const std::vector<std::uint8_t> source(static_cast<std::size_t>(size.width) * size.height * 4, 200);
        BuildNextLevel(source.data(), size.width, size.height, &next);
        EXPECT_EQ(platform::d3d9::NextLevelSize(size.width), size.nextWidth);
        EXPECT_EQ(platform::d3d9::NextLevelSize(size.height), size.nextHeight);
        EXPECT_EQ(next, std::vector<std::uint8_t>(static_cast<std::size_t>(size.nextWidth) * size.nextHeight * 4, 200))
            << size.width << " x " << size.height << ": a flat image stays flat at the next size";
    }
}

} // namespace
