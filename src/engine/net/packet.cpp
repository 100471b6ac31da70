#include "engine/net/packet.h"

#include <atomic>
#include <cstring>

namespace velm {
namespace net {
namespace {

std::atomic<std::uint16_t> s_packetSequence{0};

// Where each header field lies. The previous-reliable field alone is little-endian.
constexpr std::size_t kMagicAt = 0;
constexpr std::size_t kCountAt = 2;
constexpr std::size_t kSequenceAt = 3;
constexpr std::size_t kLengthAt = 5;
constexpr std::size_t kPreviousAt = 7;

} // namespace

SPacketHeader ReadPacketHeader(const unsigned char* data) {
    SPacketHeader header;
    header.magic = ReadU16BE(data + kMagicAt);
    header.messageCount = data[kCountAt];
    header.sequence = ReadU16BE(data + kSequenceAt);
    header.length = ReadU16BE(data + kLengthAt);
    header.previousReliable = ReadU16LE(data + kPreviousAt);
    return header;
}

void WritePacketHeader(unsigned char* data, const SPacketHeader& header) {
    WriteU16BE(data + kMagicAt, header.magic);
    data[kCountAt] = header.messageCount;
    WriteU16BE(data + kSequenceAt, header.sequence);
    WriteU16BE(data + kLengthAt, header.length);
    WriteU16LE(data + kPreviousAt, header.previousReliable);
}

std::uint16_t SPacket::GetSequence() const {
    return buffer.size() >= kPacketHeaderSize ? ReadPacketHeader(buffer.data()).sequence : 0;
}

std::uint16_t SPacket::GetLength() const {
    return buffer.size() >= kPacketHeaderSize ? ReadPacketHeader(buffer.data()).length : 0;
}

void SPacket::SetPreviousReliable(std::uint16_t sequence) {
    if (buffer.size() >= kPacketHeaderSize) {
        SPacketHeader header = ReadPacketHeader(buffer.data());
        header.previousReliable = sequence;
        WritePacketHeader(buffer.data(), header);
    }
}

void BuildPacketHeader(SPacket& packet, const MessageList& messages, bool reliable) {
    std::size_t total = kPacketHeaderSize;
    for (const MessagePtr& message : messages) {
        total += message->GetSize();
    }
    packet.buffer.assign(total, 0);
    unsigned char* out = packet.buffer.data();
    SPacketHeader header;
    header.magic = reliable ? static_cast<std::uint16_t>(kPacketMagic | kReliableBit) : kPacketMagic;
    header.messageCount = static_cast<std::uint8_t>(messages.size());
    header.sequence = s_packetSequence.fetch_add(1);
    header.length = static_cast<std::uint16_t>(total);
    WritePacketHeader(out, header);
    std::size_t offset = kPacketHeaderSize;
    for (const MessagePtr& message : messages) {
        std::memcpy(out + offset, message->GetData(), message->GetSize());
        offset += message->GetSize();
    }
}

std::unique_ptr<SPacket> BuildPacket(const MessagePtr& message, bool reliable, std::uint32_t peerId) {
    auto packet = std::make_unique<SPacket>();
    packet->peerId = peerId;
    BuildPacketHeader(*packet, MessageList{message}, reliable);
    return packet;
}

bool IsPayloadLengthValid(std::uint8_t type, const unsigned char* payload, std::size_t length) {
    switch (type) {
        case kEventMessage:
            // The first payload byte is the event's message id; the game reads it unconditionally.
            return length >= 1;
        case kServerSearch:
        case kPing:
        case kPong:
        case kHostChange:
        case kSuccessor:
            return length == 0;
        case kClientIdOffer:
        case kConnect:
        case kClientIdUpdate:
            return length == 4;
        case kAcknowledgement:
            return length == 2;
        case kPeerList:
            return length >= 1 && length == 1 + kPeerListEntrySize * payload[0];
        default:
            return true;
    }
}

EPacketCheck ParsePacket(const unsigned char* data, std::size_t length, SParsedPacket& packet) {
    packet.messages.clear();
    if (data == nullptr || length < kPacketHeaderSize) {
        return EPacketCheck::kTooShort;
    }
    if (length > kReceiveBufferSize) {
        return EPacketCheck::kTooLong;
    }
    packet.header = ReadPacketHeader(data);
    const SPacketHeader& header = packet.header;
    if ((header.magic & static_cast<std::uint16_t>(~kReliableBit)) != kPacketMagic) {
        return EPacketCheck::kBadMagic;
    }
    if (header.length != length) {
        return EPacketCheck::kLengthMismatch;
    }
    if (header.messageCount == 0) {
        return EPacketCheck::kNoMessages;
    }
    std::size_t offset = kPacketHeaderSize;
    while (offset < length) {
        const std::size_t size = data[offset];
        if (size < kMessageHeaderSize || offset + size > length) {
            packet.messages.clear();
            return EPacketCheck::kBadMessageSize;
        }
        if (packet.messages.size() == header.messageCount) {
            packet.messages.clear();
            return EPacketCheck::kCountMismatch;
        }
        SParsedMessage message;
        message.type = data[offset + 1];
        message.payloadOffset = offset + kMessageHeaderSize;
        message.payloadLength = static_cast<std::uint8_t>(size - kMessageHeaderSize);
        if (!IsPayloadLengthValid(message.type, data + message.payloadOffset, message.payloadLength)) {
            packet.messages.clear();
            return EPacketCheck::kBadPayloadLength;
        }
        packet.messages.push_back(message);
        offset += size;
    }
    if (packet.messages.size() != header.messageCount) {
        packet.messages.clear();
        return EPacketCheck::kCountMismatch;
    }
    return EPacketCheck::kValid;
}

} // namespace net
} // namespace velm
