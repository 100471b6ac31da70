// A server and a client socket on an in-memory link, with their received events recorded and a
// manual clock, for the socket tests.
#pragma once

#include <initializer_list>

#include "engine/net/client_socket.h"
#include "engine/net/server_socket.h"
#include "memory_link.h"
#include "recorder.h"

namespace nettest {

inline const velm::net::SPeerAddress kPairServerAddress = Address("127.0.0.1", 8000);
inline const velm::net::SPeerAddress kPairClientAddress = Address("127.0.0.2", 5002);

// One round on the link: every socket takes what arrived, dispatches it and flushes.
inline void Pump(CMemoryNetwork& network, std::initializer_list<velm::net::CBaseSocket*> sockets) {
    for (velm::net::CBaseSocket* socket : sockets) {
        while (socket->WaitReadable(0)) {
            socket->ReceivePacket();
        }
        socket->DispatchReceived();
        socket->Flush();
    }
    network.Step();
}

class CSocketPair : public CWithEventManager {
protected:
    CSocketPair()
        : m_config(TestConfig(m_clock)),
          m_server(m_config, MakePort(m_network, kPairServerAddress)),
          m_client(ClientConfig(), MakePort(m_network, kPairClientAddress)) {
        m_server.SetRemoteEventSocket(new CRecordingEventSocket(m_serverEvents));
        m_client.SetRemoteEventSocket(new CRecordingEventSocket(m_clientEvents));
    }

    velm::net::SNetConfig ClientConfig() {
        velm::net::SNetConfig config = m_config;
        config.broadcastAddress = kPairServerAddress.address;
        return config;
    }

    void Pump(int steps = 1) {
        for (int i = 0; i < steps; ++i) {
            nettest::Pump(m_network, {&m_server, &m_client});
        }
    }

    SManualClock m_clock;
    velm::net::SNetConfig m_config;
    CMemoryNetwork m_network;
    velm::net::CServerSocket m_server;
    velm::net::CClientSocket m_client;
    SEventLog m_serverEvents;
    SEventLog m_clientEvents;
};

} // namespace nettest
