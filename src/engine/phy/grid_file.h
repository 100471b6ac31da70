// The reader of the spline water's binary grid file: V 60-byte vertices, I 16-bit indices, then N
// 60-byte cell records (four corners and the flow vector, 15 little-endian floats) that become the
// water field's cells. The counts come from the level, not the file. Stateless, any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/phy/water_field.h"

namespace velm::phy {

// Size in bytes of one vertex and of one cell record in the file.
inline constexpr std::size_t kGridVertexBytes = 60;
inline constexpr std::size_t kGridCellBytes = 60;

// Fills vertices (vertexCount * kGridVertexBytes bytes) and indices, and appends cellCount cells.
// A file that is missing or shorter than the counts ask for is refused whole: false, and the
// buffers and the cell list are left untouched.
bool ReadGridFile(const std::string& name, void* vertices, std::uint32_t vertexCount, std::uint16_t* indices,
                  std::uint32_t indexCount, std::vector<CGridCell>& cells, std::uint32_t cellCount);

} // namespace velm::phy
