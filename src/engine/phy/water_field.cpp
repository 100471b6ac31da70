#include "engine/phy/water_field.h"

#include <algorithm>
#include <cmath>

#include "libs/common/math_util.h"

namespace velm::phy {

using common::CTriangle;
using common::CVector3;

namespace {

// Beyond this the arithmetic of the containment test may overflow, and a cell or a point there
// is left to the plain search.
constexpr double kExactRange = 1e15;
// A triangle thinner than this (twice its area over its longest side squared, seen from above)
// may, through rounding, hold points far outside its bounds.
constexpr double kMinAspect = 1e-2;
// Bounds are widened by this share of their extent and of their distance from the origin, far
// more than the containment test's rounding can reach.
constexpr double kWiden = 1e-2;
constexpr double kWidenFar = 1e-5;
// The grid has about this many buckets per cell at most, and a cell list this many entries per
// cell at most; a field of very unequal cells gets a coarser grid.
constexpr std::size_t kBucketsPerCell = 2;
constexpr std::size_t kEntriesPerCell = 16;

bool HoldsSurface(const CTriangle& triangle, float x, float z) {
    return !common::IsZero(triangle.GetNormal().y) && triangle.ContainsPointXZ(CVector3(x, 0.0f, z));
}

bool CanHoldSurface(const CTriangle& triangle) { return !common::IsZero(triangle.GetNormal().y); }

bool IsSliver(const CTriangle& triangle) {
    const double ax = triangle[1].x - static_cast<double>(triangle[0].x);
    const double az = triangle[1].z - static_cast<double>(triangle[0].z);
    const double bx = triangle[2].x - static_cast<double>(triangle[0].x);
    const double bz = triangle[2].z - static_cast<double>(triangle[0].z);
    const double cx = bx - ax;
    const double cz = bz - az;
    const double longest = std::max({ax * ax + az * az, bx * bx + bz * bz, cx * cx + cz * cz});
    const double twiceArea = std::fabs(ax * bz - az * bx);
    // Written so that a NaN corner counts as a sliver.
    return !(twiceArea >= kMinAspect * longest);
}

struct SBounds {
    double minX = 0.0;
    double maxX = 0.0;
    double minZ = 0.0;
    double maxZ = 0.0;
};

// False when the cell's bounds cannot be trusted to hold every point it answers for.
bool WidenedBounds(const CGridCell& cell, SBounds& out) {
    const CTriangle* const triangles[2] = {&cell.GetFirst(), &cell.GetSecond()};
    bool any = false;
    for (const CTriangle* triangle : triangles) {
        if (!CanHoldSurface(*triangle)) {
            continue;
        }
        if (IsSliver(*triangle)) {
            return false;
        }
        for (int v = 0; v < 3; ++v) {
            const double x = (*triangle)[v].x;
            const double z = (*triangle)[v].z;
            if (!(std::fabs(x) <= kExactRange && std::fabs(z) <= kExactRange)) {
                return false;
            }
            if (!any) {
                out = SBounds{x, x, z, z};
                any = true;
            }
            out.minX = std::min(out.minX, x);
            out.maxX = std::max(out.maxX, x);
            out.minZ = std::min(out.minZ, z);
            out.maxZ = std::max(out.maxZ, z);
        }
    }
    if (!any) {
        // Neither triangle holds a surface: the cell answers for no point and is not indexed.
        out = SBounds{1.0, -1.0, 1.0, -1.0};
        return true;
    }
    const double far = std::max({std::fabs(out.minX), std::fabs(out.maxX), std::fabs(out.minZ), std::fabs(out.maxZ)});
    const double margin = kWiden * ((out.maxX - out.minX) + (out.maxZ - out.minZ)) + kWidenFar * far + 1e-30;
    out.minX -= margin;
    out.maxX += margin;
    out.minZ -= margin;
    out.maxZ += margin;
    return true;
}

bool IsIndexed(const SBounds& b) { return b.minX <= b.maxX; }

} // namespace

CGridCell::CGridCell(const CVector3& p0, const CVector3& p1, const CVector3& p2, const CVector3& p3,
                     const CVector3& flow)
    : m_first(p0, p1, p2), m_second(p0, p2, p3), m_flow(flow) {}

CWaterField::CWaterField(const std::vector<CGridCell>& cells) : m_cells(cells) { BuildIndex(); }

void CWaterField::BuildIndex() {
    std::vector<SBounds> bounds(m_cells.size());
    std::vector<std::uint32_t> indexed;
    SBounds all;
    double widthSum = 0.0;
    double depthSum = 0.0;
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (!WidenedBounds(m_cells[i], bounds[i])) {
            m_everywhere.push_back(static_cast<std::uint32_t>(i));
            continue;
        }
        const SBounds& b = bounds[i];
        if (!IsIndexed(b)) {
            continue;
        }
        all = indexed.empty() ? b
                              : SBounds{std::min(all.minX, b.minX), std::max(all.maxX, b.maxX),
                                        std::min(all.minZ, b.minZ), std::max(all.maxZ, b.maxZ)};
        widthSum += b.maxX - b.minX;
        depthSum += b.maxZ - b.minZ;
        indexed.push_back(static_cast<std::uint32_t>(i));
    }

    m_minX = all.minX;
    m_minZ = all.minZ;
    const double width = all.maxX - all.minX;
    const double depth = all.maxZ - all.minZ;
    // Buckets about the size of an average cell, within the bucket budget.
    double columns = 1.0;
    double rows = 1.0;
    if (!indexed.empty()) {
        const double count = static_cast<double>(indexed.size());
        columns = std::clamp(width / (widthSum / count), 1.0, 1e6);
        rows = std::clamp(depth / (depthSum / count), 1.0, 1e6);
        const double budget = static_cast<double>(kBucketsPerCell * indexed.size() + 1);
        if (columns * rows > budget) {
            const double shrink = std::sqrt(budget / (columns * rows));
            columns = std::max(1.0, columns * shrink);
            rows = std::max(1.0, rows * shrink);
        }
    }
    m_columns = static_cast<std::uint32_t>(columns);
    m_rows = static_cast<std::uint32_t>(rows);
    for (;;) {
        m_columnsPerUnit = width > 0.0 ? m_columns / width : 0.0;
        m_rowsPerUnit = depth > 0.0 ? m_rows / depth : 0.0;
        std::size_t entries = 0;
        for (const std::uint32_t i : indexed) {
            const SBounds& b = bounds[i];
            entries +=
                static_cast<std::size_t>(ColumnOf(b.maxX) - ColumnOf(b.minX) + 1) * (RowOf(b.maxZ) - RowOf(b.minZ) + 1);
        }
        if (entries <= kEntriesPerCell * indexed.size() || (m_columns == 1 && m_rows == 1)) {
            break;
        }
        m_columns = std::max(1u, m_columns / 2);
        m_rows = std::max(1u, m_rows / 2);
    }

    // Counted, then filled in list order, so each bucket's cells stay ascending.
    m_bucketStart.assign(static_cast<std::size_t>(m_columns) * m_rows + 1, 0);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<std::uint32_t> fill;
        if (pass == 1) {
            for (std::size_t b = 1; b < m_bucketStart.size(); ++b) {
                m_bucketStart[b] += m_bucketStart[b - 1];
            }
            m_bucketCells.resize(m_bucketStart.back());
            fill.assign(m_bucketStart.begin(), m_bucketStart.end() - 1);
        }
        for (const std::uint32_t i : indexed) {
            const SBounds& b = bounds[i];
            for (std::uint32_t row = RowOf(b.minZ); row <= RowOf(b.maxZ); ++row) {
                for (std::uint32_t column = ColumnOf(b.minX); column <= ColumnOf(b.maxX); ++column) {
                    const std::size_t bucket = static_cast<std::size_t>(row) * m_columns + column;
                    if (pass == 0) {
                        ++m_bucketStart[bucket + 1];
                    } else {
                        m_bucketCells[fill[bucket]++] = i;
                    }
                }
            }
        }
    }
}

// The same rounding for a cell's bounds and for a point, so a point within the bounds always
// lands in one of the cell's buckets; points beyond the grid land on its edge.
std::uint32_t CWaterField::ColumnOf(double x) const {
    const double t = std::floor((x - m_minX) * m_columnsPerUnit);
    if (!(t > 0.0)) {
        return 0;
    }
    return t >= m_columns - 1 ? m_columns - 1 : static_cast<std::uint32_t>(t);
}

std::uint32_t CWaterField::RowOf(double z) const {
    const double t = std::floor((z - m_minZ) * m_rowsPerUnit);
    if (!(t > 0.0)) {
        return 0;
    }
    return t >= m_rows - 1 ? m_rows - 1 : static_cast<std::uint32_t>(t);
}

bool CWaterField::CellHolds(std::size_t i, float x, float z, std::size_t& index, CTriangle& triangle) const {
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
    return false;
}

bool CWaterField::FindCellInList(float x, float z, std::size_t& index, CTriangle& triangle) const {
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (CellHolds(i, x, z, index, triangle)) {
            return true;
        }
    }
    return false;
}

bool CWaterField::FindCell(float x, float z, std::size_t& index, CTriangle& triangle) const {
    if (!(std::fabs(x) <= kExactRange && std::fabs(z) <= kExactRange)) {
        return FindCellInList(x, z, index, triangle);
    }
    const std::size_t bucket = static_cast<std::size_t>(RowOf(z)) * m_columns + ColumnOf(x);
    const std::uint32_t* near = m_bucketCells.data() + m_bucketStart[bucket];
    const std::uint32_t* const nearEnd = m_bucketCells.data() + m_bucketStart[bucket + 1];
    const std::uint32_t* other = m_everywhere.data();
    const std::uint32_t* const otherEnd = other + m_everywhere.size();
    // Both lists ascend: merged, they give the candidates in list order.
    while (near != nearEnd || other != otherEnd) {
        const bool takeNear = other == otherEnd || (near != nearEnd && *near < *other);
        const std::uint32_t i = takeNear ? *near++ : *other++;
        if (CellHolds(i, x, z, index, triangle)) {
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
