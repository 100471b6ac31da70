// velm::phy::CGridCell, one quad of the river surface with its flow vector, and
// velm::phy::CWaterField, the list of cells that buoyancy and the AI query for the water height and
// the current under a point, found through a uniform grid over the cells built with the field.
// Built on the loading path, then only read, on the main thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "libs/common/triangle.h"
#include "libs/common/vector3.h"

namespace velm::phy {

class CGridCell {
public:
    // Two triangles (p0, p1, p2) and (p0, p2, p3).
    CGridCell(const common::CVector3& p0, const common::CVector3& p1, const common::CVector3& p2,
              const common::CVector3& p3, const common::CVector3& flow);

    const common::CTriangle& GetFirst() const { return m_first; }
    const common::CTriangle& GetSecond() const { return m_second; }
    const common::CVector3& GetFlow() const { return m_flow; }

private:
    common::CTriangle m_first;
    common::CTriangle m_second;
    common::CVector3 m_flow;
};

class CWaterField {
public:
    explicit CWaterField(const std::vector<CGridCell>& cells);

    // The first cell, in list order, whose first or (then) second triangle holds (x, z) seen from
    // above. Triangles standing on edge (no vertical normal component) hold no surface and are
    // passed over.
    bool FindCell(float x, float z, std::size_t& index, common::CTriangle& triangle) const;
    bool Contains(float x, float z) const;
    // False, outputs untouched, when no cell holds (x, z); otherwise the height of the containing
    // triangle's plane, its normal and the cell's flow vector.
    bool GetSurface(float x, float z, float& height, common::CVector3& normal, common::CVector3& flow) const;

    const std::vector<CGridCell>& GetCells() const { return m_cells; }

private:
    void BuildIndex();
    std::uint32_t ColumnOf(double x) const;
    std::uint32_t RowOf(double z) const;
    bool FindCellInList(float x, float z, std::size_t& index, common::CTriangle& triangle) const;
    bool CellHolds(std::size_t i, float x, float z, std::size_t& index, common::CTriangle& triangle) const;

    std::vector<CGridCell> m_cells;
    // Bucket b of the grid (row-major) lists, in ascending order, the cells whose widened bounds
    // reach it: m_bucketCells[m_bucketStart[b] .. m_bucketStart[b + 1]).
    double m_minX = 0.0;
    double m_minZ = 0.0;
    double m_columnsPerUnit = 0.0;
    double m_rowsPerUnit = 0.0;
    std::uint32_t m_columns = 1;
    std::uint32_t m_rows = 1;
    std::vector<std::uint32_t> m_bucketStart;
    std::vector<std::uint32_t> m_bucketCells;
    // Cells whose answer bounds cannot promise (slivers, huge or non-finite corners): tried for
    // every point, in list order with the bucket's cells.
    std::vector<std::uint32_t> m_everywhere;
};

} // namespace velm::phy
