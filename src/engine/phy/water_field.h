// velm::phy::CGridCell, one quad of the river surface with its flow vector, and
// velm::phy::CWaterField, the list of cells that buoyancy and the AI query for the water height and
// the current under a point. Built on the loading path, then only read, on the main thread.
#pragma once

#include <cstddef>
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
    std::vector<CGridCell> m_cells;
};

} // namespace velm::phy
