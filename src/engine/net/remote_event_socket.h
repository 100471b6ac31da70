// The handler of received event messages (type 0), implemented by the game. The socket that owns
// it calls OnPacket on the network thread, once per message from a known peer.
#pragma once

#include <cstdint>

namespace velm {
namespace net {

class CRemoteEventSocket {
public:
    // `payload` points just past the message's size and type bytes and holds `payloadLength`
    // bytes, at least 1 (byte 0 is the event's message id) and at most 253. The result is unused.
    virtual bool OnPacket(const unsigned char* payload, std::uint8_t payloadLength, std::uint32_t sender) = 0;
    virtual ~CRemoteEventSocket() = default;
};

} // namespace net
} // namespace velm
