#include "engine/phy/grid_file.h"

#include <cstring>

#include "libs/common/byte_order.h"
#include "platform/win32/file_path.h"
#include "platform/win32/file_read.h"

namespace velm::phy {

namespace {

float ReadFloat(const unsigned char* bytes) {
    const std::uint32_t bits = common::ReadU32LE(bytes);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

common::CVector3 ReadVector(const unsigned char* bytes) {
    return common::CVector3(ReadFloat(bytes), ReadFloat(bytes + 4), ReadFloat(bytes + 8));
}

} // namespace

bool ReadGridFile(const std::string& name, void* vertices, std::uint32_t vertexCount, std::uint16_t* indices,
                  std::uint32_t indexCount, std::vector<CGridCell>& cells, std::uint32_t cellCount) {
    if ((vertexCount > 0 && vertices == nullptr) || (indexCount > 0 && indices == nullptr)) {
        return false;
    }
    const std::uint64_t vertexBytes = static_cast<std::uint64_t>(vertexCount) * kGridVertexBytes;
    const std::uint64_t indexBytes = static_cast<std::uint64_t>(indexCount) * 2;
    const std::uint64_t cellBytes = static_cast<std::uint64_t>(cellCount) * kGridCellBytes;
    const std::uint64_t needed = vertexBytes + indexBytes + cellBytes;

    // The file layer measures the file before it takes memory for it, so counts from a bad level
    // record cannot ask for more memory than the file holds.
    std::string file;
    std::string error;
    if (!platform::ReadWholeFile(platform::ResolvePath(name), platform::kMostArtFileBytes, file, error) ||
        file.size() < needed) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());

    if (vertexBytes > 0) {
        std::memcpy(vertices, bytes, static_cast<std::size_t>(vertexBytes));
    }
    const unsigned char* cursor = bytes + vertexBytes;
    for (std::uint32_t i = 0; i < indexCount; ++i, cursor += 2) {
        indices[i] = common::ReadU16LE(cursor);
    }
    cells.reserve(cells.size() + cellCount);
    for (std::uint32_t i = 0; i < cellCount; ++i, cursor += kGridCellBytes) {
        cells.emplace_back(ReadVector(cursor), ReadVector(cursor + 12), ReadVector(cursor + 24),
                           ReadVector(cursor + 36), ReadVector(cursor + 48));
    }
    return true;
}

} // namespace velm::phy
