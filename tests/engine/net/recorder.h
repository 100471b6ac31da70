// Test doubles around the sockets: a remote event socket that records what it is handed, a
// fixture that installs an event manager recording the connection events the sockets queue, and
// numbered event messages to check delivery order with.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "engine/net/message.h"
#include "engine/net/remote_event_socket.h"
#include "platform/winsock/winsock.h"

namespace nettest {

struct SReceivedEvent {
    std::vector<unsigned char> payload;
    std::uint32_t sender = 0;
};

// Shared log that outlives the socket owning the recorder.
struct SEventLog {
    std::mutex lock;
    std::vector<SReceivedEvent> events;

    std::size_t Size() {
        std::lock_guard<std::mutex> guard(lock);
        return events.size();
    }
    std::vector<SReceivedEvent> Copy() {
        std::lock_guard<std::mutex> guard(lock);
        return events;
    }
};

// A type-0 message whose payload is a message id and a little-endian counter.
inline velm::net::MessagePtr Counted(unsigned char id, std::uint32_t value) {
    unsigned char payload[5] = {id};
    velm::net::WriteU32LE(payload + 1, value);
    return std::make_shared<velm::net::CBinaryMessage>(payload, 5, velm::net::kEventMessage);
}

// The counters of the messages with `id` in the order received, from any sender or from one.
inline std::vector<std::uint32_t> Counters(SEventLog& log, unsigned char id, std::uint32_t sender = 0) {
    std::vector<std::uint32_t> values;
    for (const auto& e : log.Copy()) {
        if ((sender == 0 || e.sender == sender) && e.payload.size() == 5 && e.payload[0] == id) {
            values.push_back(velm::net::ReadU32LE(&e.payload[1]));
        }
    }
    return values;
}

inline std::vector<std::uint32_t> Sequence(std::uint32_t from, std::uint32_t count) {
    std::vector<std::uint32_t> values;
    for (std::uint32_t i = 0; i < count; ++i) {
        values.push_back(from + i);
    }
    return values;
}

// A UDP port that no socket holds right now, picked by the system.
inline std::uint16_t FreePort() {
    const SOCKET probe = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    bind(probe, reinterpret_cast<const sockaddr*>(&address), static_cast<int>(sizeof(address)));
    socklen_t length = sizeof(address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(probe);
    return ntohs(address.sin_port);
}

class CRecordingEventSocket : public velm::net::CRemoteEventSocket {
public:
    explicit CRecordingEventSocket(SEventLog& log) : m_log(log) {}
    bool OnPacket(const unsigned char* payload, std::uint8_t payloadLength, std::uint32_t sender) override {
        std::lock_guard<std::mutex> guard(m_log.lock);
        m_log.events.push_back(SReceivedEvent{std::vector<unsigned char>(payload, payload + payloadLength), sender});
        return true;
    }

private:
    SEventLog& m_log;
};

// Installs a fresh event manager for each test; connection events are read back with Tick.
class CWithEventManager : public ::testing::Test {
protected:
    struct CConnectionListener : velm::IEventListener {
        std::mutex lock;
        std::vector<std::string> seen;
        bool HandleEvent(const velm::CEvent& event) override {
            std::string text = event.GetEventType().GetName();
            if (auto* started = dynamic_cast<velm::CStartedConnectionEvtData*>(event.GetData())) {
                text += " " + std::to_string(started->m_clientId);
            }
            if (auto* lost = dynamic_cast<velm::CLostConnectionEvtData*>(event.GetData())) {
                text += " " + std::to_string(lost->m_clientId);
            }
            std::lock_guard<std::mutex> guard(lock);
            seen.push_back(text);
            return false;
        }
        std::string GetName() override { return "ConnectionListener"; }
    };

    void SetUp() override {
        m_manager = new velm::CEventManager();
        velm::SetEventManager(m_manager);
        m_listener = std::make_shared<CConnectionListener>();
        m_manager->AddListener(m_listener, velm::CEventType(velm::kStartedConnectionEventName));
        m_manager->AddListener(m_listener, velm::CEventType(velm::kLostConnectionEventName));
        m_manager->AddListener(m_listener, velm::CEventType(velm::kChangeToServerEventName));
    }
    void TearDown() override {
        velm::SetEventManager(nullptr);
        delete m_manager;
    }

    // Delivers the queued events and returns every connection event seen so far.
    std::vector<std::string> ConnectionEvents() {
        m_manager->Tick(-1);
        std::lock_guard<std::mutex> guard(m_listener->lock);
        return m_listener->seen;
    }

    velm::CEventManager* m_manager = nullptr;
    std::shared_ptr<CConnectionListener> m_listener;
};

} // namespace nettest
