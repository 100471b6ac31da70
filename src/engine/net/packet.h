// Packets: the 9-byte header and the messages packed after it, built from shared messages and
// read back from received bytes. The packet sequence counter is process-wide and atomic, so
// packets may be built on any thread. The reader trusts nothing: a datagram is taken whole or
// not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "engine/net/message.h"

namespace velm {
namespace net {

constexpr std::uint16_t kPacketMagic = 667;
constexpr std::uint16_t kReliableBit = 0x8000;
constexpr std::size_t kPacketHeaderSize = 9;
constexpr std::size_t kReceiveBufferSize = 1024;
constexpr std::size_t kMaxMessagesPerPacket = 255;

// The header as read from or written to the wire; ReadPacketHeader and WritePacketHeader are the
// only code that knows where each field lies.
struct SPacketHeader {
    std::uint16_t magic = 0;
    std::uint8_t messageCount = 0;
    std::uint16_t sequence = 0;
    std::uint16_t length = 0;
    std::uint16_t previousReliable = 0;

    bool IsReliable() const { return (magic & kReliableBit) != 0; }
};

struct SPacket {
    std::vector<unsigned char> buffer;
    std::uint32_t peerId = 0;

    std::uint16_t GetSequence() const;
    std::uint16_t GetLength() const;
    // The previous-reliable field of a reliable packet, written just before it first goes out.
    void SetPreviousReliable(std::uint16_t sequence);
};

using MessageList = std::list<MessagePtr>;

// The header at the start of `data`, which holds at least kPacketHeaderSize bytes.
SPacketHeader ReadPacketHeader(const unsigned char* data);
void WritePacketHeader(unsigned char* data, const SPacketHeader& header);

void BuildPacketHeader(SPacket& packet, const MessageList& messages, bool reliable);
std::unique_ptr<SPacket> BuildPacket(const MessagePtr& message, bool reliable, std::uint32_t peerId);

// One message found in a received packet: its type and where its payload lies in the datagram.
struct SParsedMessage {
    std::uint8_t type = 0;
    std::size_t payloadOffset = 0;
    std::uint8_t payloadLength = 0;
};

struct SParsedPacket {
    SPacketHeader header;
    std::vector<SParsedMessage> messages;
};

// Why a datagram was refused; kValid when it may be taken in.
enum class EPacketCheck {
    kValid,
    kTooShort,
    kTooLong,
    kBadMagic,
    kLengthMismatch,
    kNoMessages,
    kBadMessageSize,
    kCountMismatch,
    kBadPayloadLength,
};

// Reads and checks a whole datagram: the magic, the header length against the bytes received,
// every message inside the datagram, the message count against the messages found, and the
// payload length of every message type whose payload has a fixed form.
EPacketCheck ParsePacket(const unsigned char* data, std::size_t length, SParsedPacket& packet);

// True when a payload of this length is well formed for the message type (unknown types: any).
bool IsPayloadLengthValid(std::uint8_t type, const unsigned char* payload, std::size_t length);

} // namespace net
} // namespace velm
