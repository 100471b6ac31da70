#include "engine/net/net_config.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/winsock/winsock.h"

namespace velm {
namespace net {

std::uint32_t AddressFromText(const char* text) {
    in_addr address{};
    return inet_pton(AF_INET, text, &address) == 1 ? address.s_addr : 0;
}

namespace {

void ReadAddress(const char* name, std::uint32_t* out) {
    const char* text = std::getenv(name);
    if (text == nullptr) {
        return;
    }
    const std::uint32_t address = AddressFromText(text);
    if (address == 0 && std::string(text) != "0.0.0.0") {
        std::fprintf(stderr, "%s: \"%s\" is no IPv4 address, ignored\n", name, text);
        return;
    }
    *out = address;
}

} // namespace

SNetConfig ConfigFromEnvironment() {
    SNetConfig config;
    // A peer's silence is real time: a fixed-step run's frame clock goes at that process's own
    // pace, so peers on it would drop each other after a moment or never.
    config.clock = [] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    };
    ReadAddress("TK_NET_ADDRESS", &config.bindAddress);
    ReadAddress("TK_NET_BROADCAST", &config.broadcastAddress);
    if (const char* text = std::getenv("TK_NET_PORT")) {
        char* end = nullptr;
        const long port = std::strtol(text, &end, 10);
        if (end == text || *end != '\0' || port < 1 || port > 65535) {
            std::fprintf(stderr, "TK_NET_PORT: \"%s\" is no port (1 to 65535), ignored\n", text);
        } else {
            config.port = static_cast<std::uint16_t>(port);
        }
    }
    return config;
}

} // namespace net
} // namespace velm
