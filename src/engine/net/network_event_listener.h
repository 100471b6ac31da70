// Sends game events out: registered for the replicated event types, it serialises each event
// dispatched on this machine into a type-0 message and queues it on the current socket, to all
// peers or to the event's recipients, reliable or not as the event asks. Events that came from
// the network are never sent on. Safe on any thread (the queueing takes the Network Mutex).
#pragma once

#include <string>

#include "engine/events/event.h"

namespace velm {
namespace net {

class CNetworkEventListener : public IEventListener {
public:
    CNetworkEventListener() = default;
    ~CNetworkEventListener() override = default;

    // Never consumes the event.
    bool HandleEvent(const CEvent& event) override;
    std::string GetName() override { return m_name; }

private:
    std::string m_name = "NetworkEventListener";
};

} // namespace net
} // namespace velm
