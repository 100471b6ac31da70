#include <gtest/gtest.h>

#include <vector>

#include "engine/net/message.h"
#include "engine/net/packet.h"

namespace velm {
namespace net {
namespace {

std::vector<unsigned char> Bytes(const SPacket& packet) { return packet.buffer; }

TEST(PacketTest, ReliablePingIsElevenBytesWithPreviousLittleEndian) {
    auto packet = BuildPacket(MakeEmptyMessage(kPing), true, 3);
    packet->SetPreviousReliable(0x1234);
    const std::uint16_t sequence = packet->GetSequence();
    const std::vector<unsigned char> expected = {0x82,
                                                 0x9B,
                                                 0x01,
                                                 static_cast<unsigned char>(sequence >> 8),
                                                 static_cast<unsigned char>(sequence & 0xFF),
                                                 0x00,
                                                 0x0B,
                                                 0x34,
                                                 0x12,
                                                 0x02,
                                                 0x06};
    EXPECT_EQ(Bytes(*packet), expected);
    EXPECT_EQ(packet->peerId, 3u);
}

TEST(PacketTest, ServerSearchIsElevenBytesWithZeroPrevious) {
    auto packet = BuildPacket(MakeEmptyMessage(kServerSearch), false, 0);
    const std::vector<unsigned char>& b = packet->buffer;
    ASSERT_EQ(b.size(), 11u);
    EXPECT_EQ(b[0], 0x02);
    EXPECT_EQ(b[1], 0x9B);
    EXPECT_EQ(b[2], 0x01);
    EXPECT_EQ(b[5], 0x00);
    EXPECT_EQ(b[6], 0x0B);
    EXPECT_EQ(b[7], 0x00);
    EXPECT_EQ(b[8], 0x00);
    EXPECT_EQ(b[9], 0x02);
    EXPECT_EQ(b[10], 0x01);
}

TEST(PacketTest, HeaderFieldsLieAtTheirOffsetsAndReadBack) {
    SPacketHeader header;
    header.magic = kPacketMagic | kReliableBit;
    header.messageCount = 0xC3;
    header.sequence = 0xA1B2;
    header.length = 0x0304;
    header.previousReliable = 0x5566;
    unsigned char bytes[kPacketHeaderSize] = {};
    WritePacketHeader(bytes, header);
    const std::vector<unsigned char> expected = {0x82, 0x9B, 0xC3, 0xA1, 0xB2, 0x03, 0x04, 0x66, 0x55};
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + kPacketHeaderSize), expected);
    const SPacketHeader back = ReadPacketHeader(bytes);
    EXPECT_EQ(back.magic, header.magic);
    EXPECT_EQ(back.messageCount, header.messageCount);
    EXPECT_EQ(back.sequence, header.sequence);
    EXPECT_EQ(back.length, header.length);
    EXPECT_EQ(back.previousReliable, header.previousReliable);
}

TEST(PacketTest, SequenceCounterAdvancesByOnePerPacket) {
    auto first = BuildPacket(MakeEmptyMessage(kPing), false, 0);
    auto second = BuildPacket(MakeEmptyMessage(kPing), true, 0);
    EXPECT_EQ(static_cast<std::uint16_t>(first->GetSequence() + 1), second->GetSequence());
}

TEST(PacketTest, AcknowledgementPayloadIsLittleEndian) {
    MessagePtr ack = MakeU16Message(kAcknowledgement, 0x1234);
    ASSERT_EQ(ack->GetSize(), 4);
    EXPECT_EQ(ack->GetData()[1], kAcknowledgement);
    EXPECT_EQ(ack->GetData()[2], 0x34);
    EXPECT_EQ(ack->GetData()[3], 0x12);
}

TEST(PacketTest, MessagesFollowEachOtherAndParseBack) {
    std::vector<unsigned char> payload(200, 0xAB);
    payload[0] = 7;
    MessageList messages{std::make_shared<CBinaryMessage>(payload.data(), 200, kEventMessage),
                         MakeU32Message(kConnect, 0x01020304)};
    SPacket packet;
    BuildPacketHeader(packet, messages, false);
    ASSERT_EQ(packet.buffer.size(), 9u + 202u + 6u);
    EXPECT_EQ(packet.buffer[9], 202);
    EXPECT_EQ(packet.buffer[9 + 202], 6);
    EXPECT_EQ(packet.buffer[9 + 203], kConnect);

    SParsedPacket parsed;
    ASSERT_EQ(ParsePacket(packet.buffer.data(), packet.buffer.size(), parsed), EPacketCheck::kValid);
    ASSERT_EQ(parsed.messages.size(), 2u);
    EXPECT_EQ(parsed.messages[0].payloadLength, 200);
    EXPECT_EQ(parsed.messages[1].payloadOffset, 9u + 202u + 2u);
    EXPECT_EQ(ReadU32LE(&packet.buffer[parsed.messages[1].payloadOffset]), 0x01020304u);
}

TEST(PacketTest, PayloadAboveTheSizeByteIsRefused) {
    unsigned char payload[255] = {};
    EXPECT_THROW(CBinaryMessage(payload, 254, kEventMessage), std::length_error);
    EXPECT_NO_THROW(CBinaryMessage(payload, 253, kEventMessage));
}

// A valid unreliable packet holding one ack, edited by each case.
std::vector<unsigned char> AckPacket() {
    return {0x02, 0x9B, 0x01, 0x00, 0x05, 0x00, 0x0D, 0x00, 0x00, 0x04, 0x0B, 0x34, 0x12};
}

void SetLength(std::vector<unsigned char>& b) {
    b[5] = static_cast<unsigned char>(b.size() >> 8);
    b[6] = static_cast<unsigned char>(b.size() & 0xFF);
}

TEST(PacketTest, WellFormedEdgesAreTaken) {
    SParsedPacket parsed;
    const auto ack = AckPacket();
    EXPECT_EQ(ParsePacket(ack.data(), ack.size(), parsed), EPacketCheck::kValid);

    // 255 messages of two bytes, the most a count byte can say.
    std::vector<unsigned char> many = {0x02, 0x9B, 0xFF, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 255; ++i) {
        many.insert(many.end(), {0x02, 0x06});
    }
    SetLength(many);
    EXPECT_EQ(ParsePacket(many.data(), many.size(), parsed), EPacketCheck::kValid);
    EXPECT_EQ(parsed.messages.size(), 255u);

    std::vector<unsigned char> list = {0x02, 0x9B, 0x01, 0, 0, 0, 0, 0, 0, 0x03, 0x08, 0x00};
    SetLength(list);
    EXPECT_EQ(ParsePacket(list.data(), list.size(), parsed), EPacketCheck::kValid);
}

} // namespace
} // namespace net
} // namespace velm
