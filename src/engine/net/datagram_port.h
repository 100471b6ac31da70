// The datagram endpoint under a socket: send to an address, receive one whole datagram, wait
// until readable, switch broadcast. CUdpPort is the real one over Winsock; tests put an
// in-memory link in its place. A port is used by the network thread only, except WaitReadable
// and the failure text, which need no lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/net/message.h"
#include "platform/winsock/winsock.h"

namespace velm {
namespace net {

class IDatagramPort {
public:
    virtual ~IDatagramPort() = default;
    // False when the endpoint could not be created (or bound); every other call then fails.
    virtual bool IsOpen() const = 0;
    // Bytes sent, or -1.
    virtual int Send(const SPeerAddress& to, const unsigned char* data, int length) = 0;
    // The whole datagram's length, 0 for an empty one, -1 for an error, nothing waiting, or a
    // datagram longer than `capacity` (consumed and refused, never cut short).
    virtual int Receive(unsigned char* buffer, int capacity, SPeerAddress& from) = 0;
    virtual bool WaitReadable(long microseconds) = 0;
    virtual bool SetBroadcast(bool on) = 0;
};

class CUdpPort;

// The port a socket was given (tests pass an in-memory one), or else a UDP port of its own.
std::unique_ptr<IDatagramPort> PortOrUdp(std::unique_ptr<IDatagramPort> given, bool bindPort, std::uint32_t address,
                                         std::uint16_t port);

class CUdpPort : public IDatagramPort {
public:
    // A non-blocking IPv4 datagram socket. With bindPort it is bound to address:port; without,
    // it is bound to address with a system port when address is not 0.0.0.0.
    CUdpPort(bool bindPort, std::uint32_t address, std::uint16_t port);
    ~CUdpPort() override;
    CUdpPort(const CUdpPort&) = delete;
    CUdpPort& operator=(const CUdpPort&) = delete;

    bool IsOpen() const override { return m_socket != INVALID_SOCKET; }
    int Send(const SPeerAddress& to, const unsigned char* data, int length) override;
    int Receive(unsigned char* buffer, int capacity, SPeerAddress& from) override;
    bool WaitReadable(long microseconds) override;
    bool SetBroadcast(bool on) override;

    // The text of the last failed set-up step ("Failure to create socket: Error # 10047"), empty
    // when set-up succeeded.
    const std::string& GetFailureText() const { return m_failureText; }

private:
    void Fail(const char* text);

    SOCKET m_socket = INVALID_SOCKET;
    std::string m_failureText;
};

} // namespace net
} // namespace velm
