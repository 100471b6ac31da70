#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "libs/common/byte_order.h"

namespace {

std::vector<unsigned char> Bytes(const unsigned char* at, std::size_t count) {
    return std::vector<unsigned char>(at, at + count);
}

TEST(ByteOrderTest, IntegersTakeTheirByteLayoutAndReadBack) {
    const struct {
        std::uint32_t value;
        std::vector<unsigned char> little;
    } words[] = {
        {0u, {0, 0, 0, 0}},
        {0x12345678u, {0x78, 0x56, 0x34, 0x12}},
        {0x80000001u, {0x01, 0x00, 0x00, 0x80}},
        {0xFFFFFFFFu, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : words) {
        unsigned char out[4] = {};
        common::WriteU32LE(out, c.value);
        EXPECT_EQ(Bytes(out, 4), c.little) << c.value;
        EXPECT_EQ(common::ReadU32LE(c.little.data()), c.value);
    }
    const struct {
        std::uint16_t value;
        std::vector<unsigned char> little;
        std::vector<unsigned char> big;
    } halves[] = {
        {0, {0, 0}, {0, 0}},
        {0x029B, {0x9B, 0x02}, {0x02, 0x9B}},
        {0x8000, {0x00, 0x80}, {0x80, 0x00}},
        {0xFFFF, {0xFF, 0xFF}, {0xFF, 0xFF}},
    };
    for (const auto& c : halves) {
        unsigned char out[2] = {};
        common::WriteU16LE(out, c.value);
        EXPECT_EQ(Bytes(out, 2), c.little) << c.value;
        EXPECT_EQ(common::ReadU16LE(c.little.data()), c.value);
        common::WriteU16BE(out, c.value);
        EXPECT_EQ(Bytes(out, 2), c.big) << c.value;
        EXPECT_EQ(common::ReadU16BE(c.big.data()), c.value);
    }
}

} // namespace
