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

void CheckPayloadLength(std::uint8_t length) {
    if (length > kMaxPayloadSize) {
        throw std::length_error("message payload above 253 bytes");
    }
}

} // namespace

const char* DottedAddress(const SPeerAddress& address, char (&text)[16]) {
    // The address is in network order: its first byte in memory is the first quad.
    unsigned char bytes[4];
    std::memcpy(bytes, &address.address, sizeof(bytes));
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

CBinaryMessage::CBinaryMessage(const unsigned char* payload, std::uint8_t length, std::uint8_t type)
    : m_buffer(nullptr), m_ownsBuffer(true) {
    CheckPayloadLength(length);
    m_buffer = new (std::nothrow) unsigned char[length + kMessageHeaderSize];
    if (m_buffer == nullptr) {
        throw common::COutOfMemException(kSourceName, kAllocationLine);
    }
    Write(payload, length, type);
}

CBinaryMessage::~CBinaryMessage() {
    if (m_ownsBuffer) {
        delete[] m_buffer;
    }
}

void CBinaryMessage::Write(const unsigned char* payload, std::uint8_t length, std::uint8_t type) {
    m_buffer[0] = static_cast<unsigned char>(length + kMessageHeaderSize);
    m_buffer[1] = type;
    if (length > 0) {
        std::memcpy(m_buffer + kMessageHeaderSize, payload, length);
    }
}

CReceivedMessage::CReceivedMessage(const unsigned char* payload, std::uint8_t length, const SPeerAddress& sender,
                                   std::uint8_t type)
    : CBinaryMessage(m_storage), m_sender(sender) {
    CheckPayloadLength(length);
    Write(payload, length, type);
}

void CReceivedMessage::Refill(const unsigned char* payload, std::uint8_t length, const SPeerAddress& sender,
                              std::uint8_t type) {
    CheckPayloadLength(length);
    Write(payload, length, type);
    m_sender = sender;
    m_senderId = 0;
}

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

} // namespace net
} // namespace velm
