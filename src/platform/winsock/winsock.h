// The Winsock 2 surface the network calls, over POSIX sockets: start-up and clean-up, datagram
// sockets, bind, send and receive, select, non-blocking mode, the broadcast option and the
// Winsock error numbers. The last error is per thread (it lives in errno), as on Winsock.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/types.h>

#include "platform/win32/win32.h"

// The address and select types (sockaddr_in, in_addr, fd_set, timeval, htons, inet_addr,
// inet_ntoa, FD_SET) are the POSIX ones, whose names and fields Winsock shares. socket() and
// select() are the POSIX calls: select honours its first argument, so callers pass the highest
// socket plus one, which Winsock ignores. The calls declared below take Winsock's argument types
// (char buffers, int lengths) beside the POSIX forms, so callers pass int lengths as Winsock
// code does.
using SOCKET = int;
constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

#ifndef MAKEWORD
#define MAKEWORD(low, high) \
    (static_cast<WORD>((static_cast<unsigned>(low) & 0xFFu) | ((static_cast<unsigned>(high) & 0xFFu) << 8)))
#endif
#ifndef LOBYTE
#define LOBYTE(w) (static_cast<BYTE>(static_cast<unsigned>(w) & 0xFFu))
#endif
#ifndef HIBYTE
#define HIBYTE(w) (static_cast<BYTE>((static_cast<unsigned>(w) >> 8) & 0xFFu))
#endif

constexpr int WSADESCRIPTION_LEN = 256;
constexpr int WSASYS_STATUS_LEN = 128;

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
};

// Error numbers as Winsock reports them.
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEDESTADDRREQ = 10039;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;

// Grants the requested version when it lies between 1.0 and 2.2, else 2.2 with
// WSAVERNOTSUPPORTED for a request below 1.0. Returns 0 or an error number.
int WSAStartup(WORD versionRequested, WSADATA* data);
// SOCKET_ERROR with WSANOTINITIALISED when no start-up is outstanding.
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

int closesocket(SOCKET s);
// FIONBIO (argument non-zero: non-blocking) and FIONREAD (bytes of the next datagram).
int ioctlsocket(SOCKET s, long command, u_long* argument);
int bind(SOCKET s, const sockaddr* name, int nameLength);
int setsockopt(SOCKET s, int level, int option, const char* value, int valueLength);
// Returns the bytes sent or SOCKET_ERROR.
int sendto(SOCKET s, const char* buffer, int length, int flags, const sockaddr* to, int toLength);
// Returns the datagram's length or SOCKET_ERROR. A datagram longer than `length` is an error
// (WSAEMSGSIZE) and is consumed, never handed over shortened.
int recvfrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* fromLength);
