// Transport messages: a size byte (payload length + 2), a type byte and a payload of at most 253
// bytes. A message built to be sent holds them in one heap buffer, is immutable once built and is
// shared between send queues by std::shared_ptr, so several threads may hold the same one. A
// received message holds them inline; its socket owns it and refills it once it is dispatched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "libs/common/byte_order.h"

namespace velm {
namespace net {

enum EMessageType : std::uint8_t {
    kEventMessage = 0,
    kServerSearch = 1,
    kClientIdOffer = 2,
    kConnect = 3,
    kTextMessage = 4,
    kPing = 6,
    kPong = 7,
    kPeerList = 8,
    kHostChange = 9,
    kSuccessor = 10,
    kAcknowledgement = 11,
    kClientIdUpdate = 12,
};

constexpr std::size_t kMessageHeaderSize = 2;
constexpr std::size_t kMaxPayloadSize = 253;
constexpr std::size_t kMaxMessageSize = kMessageHeaderSize + kMaxPayloadSize;
// A peer-list entry: port (2), address (4), client id (4).
constexpr std::size_t kPeerListEntrySize = 10;
// The server is always peer 1; clients are numbered from 2.
constexpr std::uint32_t kServerId = 1;
constexpr std::uint32_t kFirstClientId = 2;

// An IPv4 socket address with port and address in network order.
struct SPeerAddress {
    std::uint16_t family = 0;
    std::uint16_t port = 0;
    std::uint32_t address = 0;

    // Both on one machine, whatever their ports (a peer itself is known by address and port).
    bool SameHost(const SPeerAddress& other) const { return address == other.address; }
    bool operator==(const SPeerAddress& other) const {
        return family == other.family && port == other.port && address == other.address;
    }
};

// Dotted-quad text of an address, as the log lines print it.
const char* DottedAddress(const SPeerAddress& address, char (&text)[16]);

class IMessage {
public:
    virtual std::uint8_t GetType() const = 0;
    virtual const unsigned char* GetData() const = 0;
    virtual std::uint8_t GetSize() const = 0;
    virtual ~IMessage() = default;
};

using MessagePtr = std::shared_ptr<IMessage>;

class CBinaryMessage : public IMessage {
public:
    // Throws common::COutOfMemException when the buffer cannot be allocated, and
    // std::length_error for a payload above kMaxPayloadSize (the size byte could not hold it).
    CBinaryMessage(const unsigned char* payload, std::uint8_t length, std::uint8_t type);
    ~CBinaryMessage() override;
    CBinaryMessage(const CBinaryMessage&) = delete;
    CBinaryMessage& operator=(const CBinaryMessage&) = delete;

    std::uint8_t GetType() const override { return m_buffer[1]; }
    const unsigned char* GetData() const override { return m_buffer; }
    std::uint8_t GetSize() const override { return m_buffer[0]; }

    const unsigned char* GetPayload() const { return m_buffer + kMessageHeaderSize; }
    std::uint8_t GetPayloadLength() const { return static_cast<std::uint8_t>(m_buffer[0] - kMessageHeaderSize); }

protected:
    // For a derived message that brings storage of kMaxMessageSize bytes, borrowed for the
    // message's life; it fills it with Write.
    explicit CBinaryMessage(unsigned char* storage) : m_buffer(storage), m_ownsBuffer(false) {}
    // Lays the message out in the buffer; the caller has checked the length.
    void Write(const unsigned char* payload, std::uint8_t length, std::uint8_t type);

private:
    unsigned char* m_buffer;
    bool m_ownsBuffer;
};

class CReceivedMessage : public CBinaryMessage {
public:
    // Throws std::length_error for a payload above kMaxPayloadSize.
    CReceivedMessage(const unsigned char* payload, std::uint8_t length, const SPeerAddress& sender, std::uint8_t type);

    // Makes this the message given, sender id 0: the receiving socket reuses its dispatched
    // messages instead of allocating one per message.
    void Refill(const unsigned char* payload, std::uint8_t length, const SPeerAddress& sender, std::uint8_t type);

    const SPeerAddress& GetSenderAddress() const { return m_sender; }
    std::uint32_t GetSenderId() const { return m_senderId; }
    void SetSenderId(std::uint32_t id) { m_senderId = id; }

private:
    unsigned char m_storage[kMaxMessageSize];
    SPeerAddress m_sender;
    std::uint32_t m_senderId = 0;
};

// A message of `type` whose payload is one little-endian integer.
MessagePtr MakeU16Message(std::uint8_t type, std::uint16_t value);
MessagePtr MakeU32Message(std::uint8_t type, std::uint32_t value);
MessagePtr MakeEmptyMessage(std::uint8_t type);

using common::ReadU16BE;
using common::ReadU16LE;
using common::ReadU32LE;
using common::WriteU16BE;
using common::WriteU16LE;
using common::WriteU32LE;

} // namespace net
} // namespace velm
