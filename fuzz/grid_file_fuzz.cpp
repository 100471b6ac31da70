// libFuzzer target for the water's grid file and the water field built from its cells: the
// first three bytes give the level's vertex, index and cell counts, the rest is the file; the
// surface is then asked for at each cell's corners and centre.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/phy/grid_file.h"
#include "engine/phy/water_field.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::uint32_t vertexCount = data[0];
    const std::uint32_t indexCount = data[1];
    const std::uint32_t cellCount = data[2];
    const std::string path = tk_fuzz::WriteInput(data + 3, size - 3, ".bin");
    std::vector<unsigned char> vertices(vertexCount * velm::phy::kGridVertexBytes);
    std::vector<std::uint16_t> indices(indexCount);
    std::vector<velm::phy::CGridCell> cells;
    if (!velm::phy::ReadGridFile(path, vertices.data(), vertexCount, indices.data(), indexCount, cells, cellCount)) {
        return 0;
    }
    const velm::phy::CWaterField field(cells);
    for (const velm::phy::CGridCell& cell : field.GetCells()) {
        const common::CTriangle& triangle = cell.GetFirst();
        for (const common::CVector3& p : {triangle[0], triangle[1], triangle[2], triangle.GetPoint(0.25f, 0.25f)}) {
            float height = 0.0f;
            common::CVector3 normal;
            common::CVector3 flow;
            field.Contains(p.x, p.z);
            field.GetSurface(p.x, p.z, height, normal, flow);
        }
    }
    return 0;
}
