// Test doubles around the sockets: a remote event socket that records what it is handed, and a
// fixture that installs an event manager recording the connection events the sockets queue.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/engine_events.h"
#include "engine/core/event_manager.h"
#include "engine/net/remote_event_socket.h"

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
