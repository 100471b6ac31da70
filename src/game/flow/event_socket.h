// The handler of received event messages: turns each type-0 payload back into the game event its
// message id names, marks it as from the network (so it is never sent on) and with its sender's
// client id, and queues it with the event manager for the main thread's next tick. A payload that
// does not hold its event's wire form exactly, or a creation record of a model this machine does
// not have, is dropped with a log line (the first few, then one per thousand). Runs on the network
// thread; shares nothing but the event manager's queue.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/events/event.h"
#include "engine/net/remote_event_socket.h"

namespace kelvo {

class CTumboKelvoEventSocket : public velm::net::CRemoteEventSocket {
public:
    CTumboKelvoEventSocket() = default;
    ~CTumboKelvoEventSocket() override = default;

    // `payloadLength` is the number of payload bytes, the message id first. Returns whether an
    // event was queued.
    bool OnPacket(const unsigned char* payload, std::uint8_t payloadLength, std::uint32_t sender) override;

    // The event of one payload, or null for an id without an event or a payload that is not its
    // event's wire form. The from-network flag and the sender are not set here.
    static velm::EventPtr BuildEvent(const unsigned char* payload, std::size_t length);
};

} // namespace kelvo
