// libFuzzer target for events received from the network: a text message is checked, rebuilt
// from the bytes only when well formed, and written out again, which must give the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/events/engine_events.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!velm::CTextMessageEvt::IsWellFormed(data, size)) {
        return 0;
    }
    const velm::CTextMessageEvt event(data, size);
    std::vector<unsigned char> out(2 + 255 + 4);
    unsigned char* buffer = out.data();
    const std::size_t written = event.Serialise(buffer);
    if (written > size || std::memcmp(out.data(), data, written) != 0) {
        std::abort();
    }
    return 0;
}
