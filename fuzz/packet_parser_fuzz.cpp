// libFuzzer target for everything a received datagram reaches: the packet reader, the
// reliability step and both roles' message handlers. The datagram arrives from a known peer and
// from a stranger, reliable or not as its bytes say; nothing may crash, leak or read past it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/net/client_socket.h"
#include "engine/net/packet.h"
#include "engine/net/server_socket.h"

namespace {

using velm::net::SPeerAddress;

SPeerAddress Address(std::uint32_t host, std::uint16_t port) {
    SPeerAddress address;
    address.family = AF_INET;
    address.address = htonl(host);
    address.port = htons(port);
    return address;
}

// Hands out the fuzz input once, then the datagrams queued by the socket itself stay unread.
class CInputPort : public velm::net::IDatagramPort {
public:
    CInputPort(const std::uint8_t* data, std::size_t size, const SPeerAddress& from)
        : m_data(data, data + size), m_from(from) {}

    bool IsOpen() const override { return true; }
    int Send(const SPeerAddress&, const unsigned char*, int length) override { return length; }
    int Receive(unsigned char* buffer, int capacity, SPeerAddress& from) override {
        if (m_taken) {
            return -1;
        }
        m_taken = true;
        from = m_from;
        if (m_data.size() > static_cast<std::size_t>(capacity)) {
            return -1;
        }
        std::copy(m_data.begin(), m_data.end(), buffer);
        return static_cast<int>(m_data.size());
    }
    bool WaitReadable(long) override { return !m_taken; }
    bool SetBroadcast(bool) override { return true; }

private:
    std::vector<unsigned char> m_data;
    SPeerAddress m_from;
    bool m_taken = false;
};

class CNullEventSocket : public velm::net::CRemoteEventSocket {
public:
    bool OnPacket(const unsigned char* payload, std::uint8_t length, std::uint32_t) override {
        // Touch every byte handed over, so reading past the message shows up.
        unsigned sum = 0;
        for (std::uint8_t i = 0; i < length; ++i) {
            sum += payload[i];
        }
        return sum != 1;
    }
};

void Drive(velm::net::CBaseSocket& socket) {
    socket.SetRemoteEventSocket(new CNullEventSocket());
    while (socket.WaitReadable(0)) {
        socket.ReceivePacket();
    }
    socket.DispatchReceived();
    socket.Flush();
    socket.ResendPending();
    socket.KeepAlive();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velm::net::SParsedPacket parsed;
    velm::net::ParsePacket(data, size, parsed);

    velm::net::SNetConfig config;
    config.log = false;
    config.clock = [] { return 10.0; };
    const SPeerAddress peer = Address(0x7F000002, 5002);
    const SPeerAddress stranger = Address(0x7F000063, 5099);
    for (const SPeerAddress& from : {peer, stranger}) {
        velm::net::CServerSocket server(velm::net::PeerAddressMap{{2, peer}, {3, Address(0x7F000003, 5003)}}, config,
                                        std::make_unique<CInputPort>(data, size, from));
        Drive(server);
        velm::net::CClientSocket client(config, std::make_unique<CInputPort>(data, size, from));
        client.AddPeer(Address(0x7F000002, 8000), 1);
        Drive(client);
    }
    return 0;
}
