#include "engine/net/message.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

#include "libs/common/exceptions.h"

namespace velm {
namespace net {
namespace {

constexpr const char* kSourceName = "Packets";
constexpr int kAllocationLine = 46;

} // namespace

const char* DottedAddress(const SPeerAddress& address, char (&text)[16]) {
    // The address is in network order: its first byte in memory is the first quad.
    unsigned char bytes[4];
    std::memcpy(bytes, &address.address, sizeof(bytes));
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

CBinaryMessage::CBinaryMessage(const unsigned char* payload, std::uint8_t length, std::uint8_t type) {
    if (length > kMaxPayloadSize) {
        throw std::length_error("message payload above 253 bytes");
    }
    m_buffer = new (std::nothrow) unsigned char[length + kMessageHeaderSize];
    if (m_buffer == nullptr) {
        throw common::COutOfMemException(kSourceName, kAllocationLine);
    }
    m_buffer[0] = static_cast<unsigned char>(length + kMessageHeaderSize);
    m_buffer[1] = type;
    if (length > 0) {
        std::memcpy(m_buffer + kMessageHeaderSize, payload, length);
    }
}

CBinaryMessage::~CBinaryMessage() { delete[] m_buffer; }

MessagePtr MakeU16Message(std::uint8_t type, std::uint16_t value) {
    unsigned char payload[2];
    WriteU16LE(payload, value);
    return std::make_shared<CBinaryMessage>(payload, 2, type);
}

MessagePtr MakeU32Message(std::uint8_t type, std::uint32_t value) {
    unsigned char payload[4];
    WriteU32LE(payload, value);
    return std::make_shared<CBinaryMessage>(payload, 4, type);
}

MessagePtr MakeEmptyMessage(std::uint8_t type) { return std::make_shared<CBinaryMessage>(nullptr, 0, type); }

std::uint16_t ReadU16LE(const unsigned char* bytes) { return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)); }

std::uint32_t ReadU32LE(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void WriteU16LE(unsigned char* bytes, std::uint16_t value) {
    bytes[0] = static_cast<unsigned char>(value & 0xFF);
    bytes[1] = static_cast<unsigned char>(value >> 8);
}

void WriteU32LE(unsigned char* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
    }
}

} // namespace net
} // namespace velm
