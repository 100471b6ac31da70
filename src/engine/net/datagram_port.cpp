#include "engine/net/datagram_port.h"

#include <cstdio>

namespace velm {
namespace net {
namespace {

sockaddr_in ToSockAddr(const SPeerAddress& address) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = address.port;
    out.sin_addr.s_addr = address.address;
    return out;
}

} // namespace

CUdpPort::CUdpPort(bool bindPort, std::uint32_t address, std::uint16_t port) {
    m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (m_socket == INVALID_SOCKET) {
        Fail("Failure to create socket: Error # ");
        return;
    }
    if (bindPort || address != 0) {
        SPeerAddress local;
        local.family = AF_INET;
        local.address = address;
        local.port = bindPort ? htons(port) : 0;
        const sockaddr_in name = ToSockAddr(local);
        if (bind(m_socket, reinterpret_cast<const sockaddr*>(&name), static_cast<int>(sizeof(name))) == SOCKET_ERROR) {
            Fail("Failure to bind socket: Error # ");
            return;
        }
    }
    u_long nonBlocking = 1;
    if (ioctlsocket(m_socket, FIONBIO, &nonBlocking) == SOCKET_ERROR) {
        Fail("Failure to set socket to non-blocking: Error # ");
    }
}

CUdpPort::~CUdpPort() {
    if (m_socket != INVALID_SOCKET) {
        closesocket(m_socket);
    }
}

void CUdpPort::Fail(const char* text) {
    // A socket that cannot be set up is not used at all: the owner sees IsOpen() false.
    m_failureText = text + std::to_string(WSAGetLastError());
    std::fprintf(stderr, "%s\n", m_failureText.c_str());
    if (m_socket != INVALID_SOCKET) {
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
}

int CUdpPort::Send(const SPeerAddress& to, const unsigned char* data, int length) {
    if (m_socket == INVALID_SOCKET) {
        return -1;
    }
    const sockaddr_in name = ToSockAddr(to);
    const int sent = sendto(m_socket, reinterpret_cast<const char*>(data), length, 0,
                            reinterpret_cast<const sockaddr*>(&name), static_cast<int>(sizeof(name)));
    return sent == SOCKET_ERROR ? -1 : sent;
}

int CUdpPort::Receive(unsigned char* buffer, int capacity, SPeerAddress& from) {
    if (m_socket == INVALID_SOCKET) {
        return -1;
    }
    sockaddr_in name{};
    int nameLength = static_cast<int>(sizeof(name));
    const int received = recvfrom(m_socket, reinterpret_cast<char*>(buffer), capacity, 0,
                                  reinterpret_cast<sockaddr*>(&name), &nameLength);
    if (received == SOCKET_ERROR) {
        return -1;
    }
    from.family = static_cast<std::uint16_t>(name.sin_family);
    from.port = name.sin_port;
    from.address = name.sin_addr.s_addr;
    return received;
}

bool CUdpPort::WaitReadable(long microseconds) {
    if (m_socket == INVALID_SOCKET) {
        return false;
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_socket, &readable);
    timeval timeout{};
    timeout.tv_sec = microseconds / 1000000;
    timeout.tv_usec = microseconds % 1000000;
    return select(m_socket + 1, &readable, nullptr, nullptr, &timeout) > 0;
}

bool CUdpPort::SetBroadcast(bool on) {
    if (m_socket == INVALID_SOCKET) {
        return false;
    }
    const BOOL flag = on ? TRUE : FALSE;
    if (setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&flag),
                   static_cast<int>(sizeof(flag))) == SOCKET_ERROR) {
        std::fprintf(stderr, "Failure to set broadcast: Error # %d\n", WSAGetLastError());
        return false;
    }
    return true;
}

std::unique_ptr<IDatagramPort> PortOrUdp(std::unique_ptr<IDatagramPort> given, bool bindPort, std::uint32_t address,
                                         std::uint16_t port) {
    if (given) {
        return given;
    }
    return std::make_unique<CUdpPort>(bindPort, address, port);
}

} // namespace net
} // namespace velm
