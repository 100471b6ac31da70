// Fixed-width integers in and out of byte buffers, little- or big-endian whatever the host's own
// order. The one reader and writer for every wire and file form; the caller checks that the
// bytes are there. Pure functions, safe from any thread.
#pragma once

#include <cstdint>

namespace common {

inline std::uint16_t ReadU16LE(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline std::uint32_t ReadU32LE(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

inline std::uint16_t ReadU16BE(const unsigned char* bytes) {
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline void WriteU16LE(unsigned char* bytes, std::uint16_t value) {
    bytes[0] = static_cast<unsigned char>(value & 0xFFu);
    bytes[1] = static_cast<unsigned char>(value >> 8);
}

inline void WriteU32LE(unsigned char* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFFu);
    }
}

inline void WriteU16BE(unsigned char* bytes, std::uint16_t value) {
    bytes[0] = static_cast<unsigned char>(value >> 8);
    bytes[1] = static_cast<unsigned char>(value & 0xFFu);
}

} // namespace common
