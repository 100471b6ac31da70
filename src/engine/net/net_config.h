// The network's settings: port, addresses, keep-alive and resend times, the socket clock and
// the log switch. The defaults are the game's; tests override them to run several peers on one
// machine (each on its own 127.0.0.k) with short times or a clock of their own. A config is
// copied into each socket at construction and never changes afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace velm {
namespace net {

struct SNetConfig {
    std::uint16_t port = 8000;
    // Network order. A server binds bindAddress:port; a client binds bindAddress with a system
    // port when bindAddress is not 0.0.0.0, and does not bind otherwise.
    std::uint32_t bindAddress = 0;
    // Network order; 255.255.255.255 in the game.
    std::uint32_t broadcastAddress = 0xFFFFFFFFu;
    double resendAfterSeconds = 2.0;
    double pingAfterSeconds = 2.0;
    double dropAfterSeconds = 4.0;
    double searchIntervalSeconds = 1.0;
    // The clients a server takes at most: a race holds six racers, the host's and five players'.
    std::size_t maxClients = 5;
    // Seconds since an arbitrary start; empty means the socket's own stopwatch.
    std::function<double()> clock;
    // The log lines on standard output ("Sent msg to: " and the others).
    bool log = true;
};

// IPv4 text ("127.0.0.2") to a network-order address; 0 for text that is no address.
std::uint32_t AddressFromText(const char* text);

// The game's settings, on the real clock, with the run's own address, port and broadcast address when the
// environment gives them (TK_NET_ADDRESS, TK_NET_PORT, TK_NET_BROADCAST), so several games can
// share one machine. A value that does not read is reported on standard error and ignored.
SNetConfig ConfigFromEnvironment();

} // namespace net
} // namespace velm
