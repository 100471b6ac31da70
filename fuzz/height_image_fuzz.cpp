// libFuzzer target for height maps read from images: the first two bytes give the map's columns
// and rows, the rest is the image file, averaged into heights by the graphics core on the null
// device.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/gfx/gfx_core.h"
#include "fuzz_file.h"
#include "null_graphics_core.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!tk_fuzz::StartNullDevice() || size < 2) {
        return 0;
    }
    const std::uint32_t columns = 1 + data[0] % 64;
    const std::uint32_t rows = 1 + data[1] % 64;
    const std::string path = tk_fuzz::WriteInput(data + 2, size - 2, ".png");
    std::vector<float> heights(static_cast<std::size_t>(columns) * rows, 0.0f);
    velm::gfx::GFXCore::Instance().ReadHeightMap(path, heights.data(), columns, rows);
    return 0;
}
