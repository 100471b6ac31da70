#include "engine/net/network_event_listener.h"

#include <cstdio>

#include "engine/net/message.h"
#include "engine/net/network_manager.h"
#include "libs/common/mutex_lock.h"

namespace velm {
namespace net {
namespace {

constexpr std::size_t kSerialiseBufferSize = 255;

} // namespace

bool CNetworkEventListener::HandleEvent(const CEvent& event) {
    if (event.IsFromNetwork()) {
        return false;
    }
    common::CMutexLock lock(NetworkMutex());
    CBaseSocket* socket = GetCurrentSocket();
    if (socket == nullptr) {
        return false;
    }
    unsigned char buffer[kSerialiseBufferSize] = {};
    unsigned char* cursor = buffer;
    const std::size_t length = event.Serialise(cursor);
    if (length == 0) {
        return false;
    }
    if (length > kMaxPayloadSize) {
        // The size byte cannot describe it; sending it would corrupt the packet.
        std::fprintf(stderr, "Event %s not sent: %zu bytes exceed a message\n", event.GetEventType().GetName().c_str(),
                     length);
        return false;
    }
    auto message = std::make_shared<CBinaryMessage>(buffer, static_cast<std::uint8_t>(length), kEventMessage);
    const auto& recipients = event.GetRecipients();
    if (recipients.empty()) {
        if (event.IsReliable()) {
            socket->QueueReliableToAll(message);
        } else {
            socket->QueueUnreliableToAll(message);
        }
        return false;
    }
    for (std::uint32_t id : recipients) {
        if (event.IsReliable()) {
            socket->QueueReliableTo(message, id);
        } else {
            socket->QueueUnreliableTo(message, id);
        }
    }
    return false;
}

} // namespace net
} // namespace velm
