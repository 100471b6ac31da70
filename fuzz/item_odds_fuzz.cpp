// libFuzzer target for the item odds file: read by the item manager, which then draws items for
// every place of a race and for places past it, as the jugs draw them.
#include <cstddef>
#include <cstdint>

#include "fuzz_file.h"
#include "game/world/item_manager.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvo::CItemManager manager;
    manager.LoadItemRankingsFrom(tk_fuzz::WriteInput(data, size, ".xml"));
    std::uint32_t drawn = 0;
    for (std::uint32_t place = 0; place <= 8; ++place) {
        for (int draw = 0; draw < 4; ++draw) {
            drawn += manager.PickItemForRank(place);
        }
    }
    volatile std::uint32_t kept = drawn;
    (void)kept;
    return 0;
}
