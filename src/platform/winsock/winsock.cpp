#include "platform/winsock/winsock.h"

#include <fcntl.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

constexpr WORD kHighestVersion = MAKEWORD(2, 2);
std::atomic<int> s_startups{0};

int ToWinsockError(int error) {
    switch (error) {
        case 0:
            return 0;
        case EINTR:
            return WSAEINTR;
        case EBADF:
            return WSAENOTSOCK;
        case EACCES:
            return WSAEACCES;
        case EPERM:
            return WSAEACCES;
        case EFAULT:
            return WSAEFAULT;
        case EINVAL:
            return WSAEINVAL;
        case EMFILE:
            return WSAEMFILE;
        case ENFILE:
            return WSAEMFILE;
#if EAGAIN != EWOULDBLOCK
        case EAGAIN:
            return WSAEWOULDBLOCK;
#endif
        case EWOULDBLOCK:
            return WSAEWOULDBLOCK;
        case ENOTSOCK:
            return WSAENOTSOCK;
        case EDESTADDRREQ:
            return WSAEDESTADDRREQ;
        case EMSGSIZE:
            return WSAEMSGSIZE;
        case ENOPROTOOPT:
            return WSAENOPROTOOPT;
        case EPROTONOSUPPORT:
            return WSAEPROTONOSUPPORT;
        case EOPNOTSUPP:
            return WSAEOPNOTSUPP;
        case EAFNOSUPPORT:
            return WSAEAFNOSUPPORT;
        case EADDRINUSE:
            return WSAEADDRINUSE;
        case EADDRNOTAVAIL:
            return WSAEADDRNOTAVAIL;
        case ENETDOWN:
            return WSAENETDOWN;
        case ENETUNREACH:
            return WSAENETUNREACH;
        case ENOBUFS:
            return WSAENOBUFS;
        case ENOMEM:
            return WSAENOBUFS;
        case ECONNREFUSED:
            return WSAECONNREFUSED;
        case EHOSTUNREACH:
            return WSAEHOSTUNREACH;
        default:
            return error >= 10000 ? error : WSAEINVAL;
    }
}

// The last error lives in errno, so that failures of the POSIX calls used directly (socket,
// select) read back the same way; Winsock numbers (10000 and up) never clash with errno values.
int Fail(int error) {
    errno = error;
    return SOCKET_ERROR;
}

int FailFromErrno() { return SOCKET_ERROR; }

} // namespace

int WSAStartup(WORD versionRequested, WSADATA* data) {
    if (data == nullptr) {
        return WSAEFAULT;
    }
    std::memset(data, 0, sizeof(*data));
    data->wHighVersion = kHighestVersion;
    std::strncpy(data->szDescription, "WinSock 2.0 over POSIX sockets", WSADESCRIPTION_LEN);
    std::strncpy(data->szSystemStatus, "Running", WSASYS_STATUS_LEN);
    data->iMaxUdpDg = 65467;
    const unsigned major = LOBYTE(versionRequested);
    const unsigned minor = HIBYTE(versionRequested);
    if (major < 1) {
        data->wVersion = kHighestVersion;
        return WSAVERNOTSUPPORTED;
    }
    data->wVersion = (major > 2 || (major == 2 && minor > 2)) ? kHighestVersion : versionRequested;
    ++s_startups;
    return 0;
}

int WSACleanup() {
    int count = s_startups.load();
    while (count > 0 && !s_startups.compare_exchange_weak(count, count - 1)) {
    }
    if (count <= 0) {
        return Fail(WSANOTINITIALISED);
    }
    return 0;
}

int WSAGetLastError() { return ToWinsockError(errno); }

void WSASetLastError(int error) { errno = error; }

int closesocket(SOCKET s) { return ::close(s) == 0 ? 0 : FailFromErrno(); }

int ioctlsocket(SOCKET s, long command, u_long* argument) {
    if (argument == nullptr) {
        return Fail(WSAEFAULT);
    }
    if (command == static_cast<long>(FIONBIO)) {
        const int flags = ::fcntl(s, F_GETFL, 0);
        if (flags < 0) {
            return FailFromErrno();
        }
        const int wanted = *argument != 0 ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
        return ::fcntl(s, F_SETFL, wanted) == 0 ? 0 : FailFromErrno();
    }
    if (command == static_cast<long>(FIONREAD)) {
        int available = 0;
        if (::ioctl(s, FIONREAD, &available) != 0) {
            return FailFromErrno();
        }
        *argument = static_cast<u_long>(available);
        return 0;
    }
    return Fail(WSAEINVAL);
}

int bind(SOCKET s, const sockaddr* name, int nameLength) {
    if (name == nullptr || nameLength < 0) {
        return Fail(WSAEFAULT);
    }
    const socklen_t size = static_cast<socklen_t>(nameLength);
    return ::bind(s, name, size) == 0 ? 0 : FailFromErrno();
}

int setsockopt(SOCKET s, int level, int option, const char* value, int valueLength) {
    if (value == nullptr || valueLength < 0) {
        return Fail(WSAEFAULT);
    }
    // Winsock accepts a one-byte BOOL for its flag options; POSIX wants an int.
    int flag = 0;
    const void* data = value;
    socklen_t size = static_cast<socklen_t>(valueLength);
    if (valueLength > 0 && valueLength < static_cast<int>(sizeof(int))) {
        flag = value[0] != 0 ? 1 : 0;
        data = &flag;
        size = sizeof(flag);
    }
    return ::setsockopt(s, level, option, static_cast<const void*>(data), size) == 0 ? 0 : FailFromErrno();
}

int sendto(SOCKET s, const char* buffer, int length, int flags, const sockaddr* to, int toLength) {
    if ((buffer == nullptr && length > 0) || length < 0 || toLength < 0) {
        return Fail(WSAEFAULT);
    }
    const ssize_t sent = ::sendto(s, static_cast<const void*>(buffer), static_cast<std::size_t>(length),
                                  flags | MSG_NOSIGNAL, to, static_cast<socklen_t>(toLength));
    return sent < 0 ? FailFromErrno() : static_cast<int>(sent);
}

int recvfrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* fromLength) {
    if ((buffer == nullptr && length > 0) || length < 0 || (from != nullptr && fromLength == nullptr)) {
        return Fail(WSAEFAULT);
    }
    socklen_t addressLength = fromLength != nullptr ? static_cast<socklen_t>(*fromLength) : 0;
    const ssize_t received = ::recvfrom(s, static_cast<void*>(buffer), static_cast<std::size_t>(length),
                                        flags | MSG_TRUNC, from, from != nullptr ? &addressLength : nullptr);
    if (received < 0) {
        return FailFromErrno();
    }
    if (fromLength != nullptr) {
        *fromLength = static_cast<int>(addressLength);
    }
    if (received > length) {
        return Fail(WSAEMSGSIZE);
    }
    return static_cast<int>(received);
}
