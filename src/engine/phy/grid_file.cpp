#include "engine/phy/grid_file.h"

#include <cstring>
#include <fstream>

#include "libs/common/byte_order.h"
#include "platform/win32/file_path.h"

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
    std::ifstream file(platform::ResolvePath(name), std::ios::binary);
    if (!file) {
        return false;
    }
    const std::uint64_t vertexBytes = static_cast<std::uint64_t>(vertexCount) * kGridVertexBytes;
    const std::uint64_t indexBytes = static_cast<std::uint64_t>(indexCount) * 2;
    const std::uint64_t cellBytes = static_cast<std::uint64_t>(cellCount) * kGridCellBytes;
    const std::uint64_t needed = vertexBytes + indexBytes + cellBytes;

    // The size is checked before anything is allocated, so counts from a bad level record
    // cannot ask for more memory than the file holds.
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) < needed) {
        return false;
    }
    file.seekg(0, std::ios::beg);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(needed));
    if (needed > 0 && !file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(needed))) {
        return false;
    }

    if (vertexBytes > 0) {
        std::memcpy(vertices, bytes.data(), static_cast<std::size_t>(vertexBytes));
    }
    const unsigned char* cursor = bytes.data() + vertexBytes;
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
