#include "engine/gfx/vbib_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/phy/grid_file.h"
#include "platform/win32/file_path.h"
#include "platform/win32/file_read.h"

namespace velm {

bool ReadVBIBFile(void* vertices, std::uint32_t vertexCount, std::uint16_t* indices, std::uint32_t indexCount,
                  std::vector<phy::CGridCell>& cells, std::uint32_t cellCount, const std::string& fileName) {
    if (vertexCount == 0 || indexCount == 0 || cellCount == 0) {
        std::fprintf(stderr, "Grid file %s refused: %u vertices, %u indices and %u cells make no grid\n",
                     fileName.c_str(), vertexCount, indexCount, cellCount);
        return false;
    }
    const std::uint64_t expected = static_cast<std::uint64_t>(vertexCount) * phy::kGridVertexBytes +
                                   static_cast<std::uint64_t>(indexCount) * 2 +
                                   static_cast<std::uint64_t>(cellCount) * phy::kGridCellBytes;
    const std::string path = platform::ResolvePath(fileName);
    std::string why;
    std::error_code error;
    if (!platform::CheckReadableFile(path, platform::kMostArtFileBytes, why)) {
        std::fprintf(stderr, "Grid file %s refused: it %s\n", fileName.c_str(), why.c_str());
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        std::fprintf(stderr, "Grid file %s refused: it cannot be read\n", fileName.c_str());
        return false;
    }
    if (size != expected) {
        std::fprintf(stderr, "Grid file %s refused: %ju bytes where the counts describe %ju\n", fileName.c_str(),
                     static_cast<std::uintmax_t>(size), static_cast<std::uintmax_t>(expected));
        return false;
    }
    if (!phy::ReadGridFile(fileName, vertices, vertexCount, indices, indexCount, cells, cellCount)) {
        std::fprintf(stderr, "Grid file %s refused: reading it failed\n", fileName.c_str());
        return false;
    }
    return true;
}

} // namespace velm
