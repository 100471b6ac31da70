// velm::ReadVBIBFile: reads a spline water's grid file, whose counts come from the level's water
// record, into the caller's buffers and cell list. The file must hold exactly what the counts
// describe; anything else is refused with a log line and nothing is written. Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/phy/water_field.h"

namespace velm {

// vertices holds vertexCount 60-byte vertices, indices indexCount entries; cellCount cells are
// appended. False (buffers and list untouched) for a zero count, a missing file, or a file whose
// length is not vertexCount x 60 + indexCount x 2 + cellCount x 60 bytes.
bool ReadVBIBFile(void* vertices, std::uint32_t vertexCount, std::uint16_t* indices, std::uint32_t indexCount,
                  std::vector<phy::CGridCell>& cells, std::uint32_t cellCount, const std::string& fileName);

} // namespace velm
