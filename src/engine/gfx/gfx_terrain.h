// velm::gfx::CGfxTerrain: the banks' render unit, a grid lifted by a height-map image, with
// normals and tangents computed through a D3DX mesh, and a coarser cover of the grid for ground
// past the fog's end. Building it also lifts the physics height grid, so that the drawn and the
// colliding surfaces are one. Owns its arrays. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/gfx/gfx_unit.h"

namespace velm {
namespace phy {
class CGrid2D;
}
namespace gfx {

class CGfxTerrain : public CGfxUnit {
public:
    // Whether vertPerRow x vertPerCol vertices make one mesh: two or more each way, and no more
    // than 16-bit indices reach. Cheap, so that a size from a file is checked before anything
    // of that size is allocated.
    static bool IsDrawableGrid(std::uint32_t vertPerRow, std::uint32_t vertPerCol);

    bool SetAnimation(std::uint32_t, bool) override { return false; }
    // The render record, with the blend map (slot 1) for the shader.
    void Prepare() override;
    void Unload() override;

    // Unloads, then lays vertPerRow x vertPerCol vertices as a planar wave water's grid (row 0 at
    // +z) with y = amplitude x height. heightGrid (columns vertPerRow, rows vertPerCol; may be
    // null) gets amplitude x height added to the sample under each vertex: its row 0 is the -z
    // edge, so drawn row r lands in grid row vertPerCol - 1 - r. A grid that cannot be drawn with
    // 16-bit indices, or a height grid of another size, is logged: false, the unit stays empty.
    virtual bool CreateGeometry(const SGfxUnitLoadInfo& info, const std::string& heightMapFile,
                                std::uint32_t vertPerRow, std::uint32_t vertPerCol, float cellSpacing, float amplitude,
                                phy::CGrid2D* heightGrid);

    // amplitude x height per vertex, drawn order.
    const std::vector<float>& GetHeights() const { return m_heights; }
    const D3DXVECTOR3& GetCentre() const { return m_centre; }

private:
    // Normals, tangents and binormals through a D3DX mesh; left as laid when no mesh can be made.
    static void ComputeFrames(std::vector<SMeshVertex>& vertices, const std::vector<std::uint16_t>& indices);
    // The triangles of the grid's quads of step x step cells, row by row, as the terrain lays them.
    static std::vector<std::uint16_t> GridIndices(std::uint32_t vertPerRow, std::uint32_t vertPerCol,
                                                  std::uint32_t step);
    // The grid laid again over every other row and column, for ground past the fog's end: two rows
    // of the grid make a run, covered by one row of the coarse grid. Nothing when a side has an
    // odd number of cells.
    void LayFarCover(std::uint32_t vertPerRow, std::uint32_t vertPerCol);

    std::vector<float> m_heights;
    std::vector<std::uint16_t> m_farIndices;
    D3DXVECTOR3 m_centre = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
};

} // namespace gfx
} // namespace velm
