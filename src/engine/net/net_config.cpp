#include "engine/net/net_config.h"

#include "platform/winsock/winsock.h"

namespace velm {
namespace net {

std::uint32_t AddressFromText(const char* text) {
    in_addr address{};
    return inet_pton(AF_INET, text, &address) == 1 ? address.s_addr : 0;
}

} // namespace net
} // namespace velm
