#include "engine/phy/water_field.h"

#include "libs/common/math_util.h"

namespace velm::phy {

using common::CTriangle;
using common::CVector3;

namespace {

bool HoldsSurface(const CTriangle& triangle, float x, float z) {
    return !common::IsZero(triangle.GetNormal().y) && triangle.ContainsPointXZ(CVector3(x, 0.0f, z));
}

} // namespace

CGridCell::CGridCell(const CVector3& p0, const CVector3& p1, const CVector3& p2, const CVector3& p3,
                     const CVector3& flow)
    : m_first(p0, p1, p2), m_second(p0, p2, p3), m_flow(flow) {}

CWaterField::CWaterField(const std::vector<CGridCell>& cells) : m_cells(cells) {}

bool CWaterField::FindCell(float x, float z, std::size_t& index, CTriangle& triangle) const {
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (HoldsSurface(m_cells[i].GetFirst(), x, z)) {
            index = i;
            triangle = m_cells[i].GetFirst();
            return true;
        }
        if (HoldsSurface(m_cells[i].GetSecond(), x, z)) {
            index = i;
            triangle = m_cells[i].GetSecond();
            return true;
        }
    }
    return false;
}

bool CWaterField::Contains(float x, float z) const {
    std::size_t index = 0;
    CTriangle triangle;
    return FindCell(x, z, index, triangle);
}

bool CWaterField::GetSurface(float x, float z, float& height, CVector3& normal, CVector3& flow) const {
    std::size_t index = 0;
    CTriangle triangle;
    if (!FindCell(x, z, index, triangle)) {
        return false;
    }
    const CVector3& n = triangle.GetNormal();
    height = -(n.x * x + n.z * z - n.Dot(triangle[0])) / n.y;
    normal = n;
    flow = m_cells[index].GetFlow();
    return true;
}

} // namespace velm::phy
