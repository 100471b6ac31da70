#include "engine/phy/height_map.h"

#include <algorithm>
#include <cmath>

#include "libs/common/math_util.h"

namespace velm::phy {

using common::CVector3;

CGrid2D::CGrid2D(std::uint32_t columns, std::uint32_t rows, float fill)
    : m_columns(columns), m_rows(rows), m_samples(static_cast<std::size_t>(columns) * rows, fill) {}

namespace {

constexpr double kStepsPerCell = 16.0;
// Eight units in the last place of a float: every step moves the point.
constexpr double kSmallestRelativeStep = 1.0 / 1048576.0;

bool IsPositive(float value) { return std::isfinite(value) && value > 0.0f; }

// The cell index along one axis. A point on the far edge belongs to the last sample even when
// rounding puts the quotient just below it, so the edge always reads as the last column or row.
std::uint32_t CellIndex(float coordinate, float origin, float spacing, std::uint32_t count) {
    const std::uint32_t last = count - 1;
    if (coordinate >= origin + static_cast<float>(last) * spacing) {
        return last;
    }
    const float index = std::floor((coordinate - origin) / spacing);
    return std::min(static_cast<std::uint32_t>(std::max(index, 0.0f)), last);
}

// e1 x e2 always points up (its y is the product of the spacings); it is scaled to unit length
// directly, because the kit's normalisation zeroes vectors as short as a fine grid's cross product.
CVector3 UnitUp(const CVector3& v) {
    const float length = v.Length();
    if (!(length > 0.0f) || !std::isfinite(length)) {
        return CVector3(0.0f, 1.0f, 0.0f);
    }
    return v / length;
}

} // namespace

CHeightMap::CHeightMap(std::uint32_t columns, std::uint32_t rows, float spacingX, float spacingZ,
                       const CGrid2D& heights, const CVector3& centre)
    : m_heights(heights),
      m_columns(columns),
      m_rows(rows),
      m_spacingX(spacingX),
      m_spacingZ(spacingZ),
      m_originX(centre.x - static_cast<float>(columns == 0 ? 0 : columns - 1) * spacingX * 0.5f),
      m_originZ(centre.z - static_cast<float>(rows == 0 ? 0 : rows - 1) * spacingZ * 0.5f),
      m_valid(columns > 0 && rows > 0 && IsPositive(spacingX) && IsPositive(spacingZ) &&
              heights.GetSize() >= static_cast<std::size_t>(columns) * rows && std::isfinite(m_originX) &&
              std::isfinite(m_originZ)) {}

float CHeightMap::Sample(std::uint32_t i, std::uint32_t j) const {
    return m_heights.GetData()[static_cast<std::size_t>(m_columns) * j + i];
}

bool CHeightMap::Contains(float x, float z) const {
    if (!m_valid) {
        return false;
    }
    const float maxX = m_originX + static_cast<float>(m_columns - 1) * m_spacingX;
    const float maxZ = m_originZ + static_cast<float>(m_rows - 1) * m_spacingZ;
    return m_originX <= x && x <= maxX && m_originZ <= z && z <= maxZ;
}

void CHeightMap::Interpolate(float x, float z, float& height, CVector3& normal) const {
    const std::uint32_t i = CellIndex(x, m_originX, m_spacingX, m_columns);
    const std::uint32_t j = CellIndex(z, m_originZ, m_spacingZ, m_rows);
    const std::uint32_t i1 = std::min(i + 1, m_columns - 1);
    const std::uint32_t j1 = std::min(j + 1, m_rows - 1);

    const float cellX = static_cast<float>(i) * m_spacingX + m_originX;
    const float cellZ = static_cast<float>(j) * m_spacingZ + m_originZ;
    const float u = common::Clamp((x - cellX) / m_spacingX, 0.0f, 1.0f);
    const float w = common::Clamp((z - cellZ) / m_spacingZ, 0.0f, 1.0f);
    const float h00 = Sample(i, j);
    const float h11 = Sample(i1, j1);
    if (i == i1 || j == j1) {
        normal.Set(0.0f, 1.0f, 0.0f);
    } else if (u <= w) {
        const CVector3 e1(0.0f, Sample(i, j1) - h00, m_spacingZ);
        const CVector3 e2(m_spacingX, h11 - h00, m_spacingZ);
        normal = UnitUp(e1.Cross(e2));
    } else {
        const CVector3 e1(m_spacingX, h11 - h00, m_spacingZ);
        const CVector3 e2(m_spacingX, Sample(i1, j) - h00, 0.0f);
        normal = UnitUp(e1.Cross(e2));
    }
    const CVector3 p00(cellX, h00, cellZ);
    height = -(z * normal.z + x * normal.x - normal.Dot(p00)) / normal.y;
}

bool CHeightMap::GetHeight(float x, float z, float& height, CVector3& normal) const {
    if (!Contains(x, z)) {
        return false;
    }
    Interpolate(x, z, height, normal);
    return true;
}

bool CHeightMap::RayCast(const CVector3& origin, const CVector3& direction, CVector3& hit) const {
    const float step = std::min(m_spacingX, m_spacingZ);
    CVector3 advance = CVector3(direction.x, 0.0f, direction.z) * step;
    const float horizontalSq = direction.x * direction.x + direction.z * direction.z;
    if (!std::isfinite(horizontalSq)) {
        return false;
    }
    // A march without horizontal progress would never leave the map nor reach the terrain, so
    // such a ray is answered from the start column alone; the step bound is the longest straight
    // march that can stay inside the map.
    std::uint64_t maxSteps = 1;
    if (!common::IsZero(horizontalSq) && m_valid) {
        const double width = static_cast<double>(m_columns - 1) * m_spacingX;
        const double depth = static_cast<double>(m_rows - 1) * m_spacingZ;
        const double span = std::sqrt(width * width + depth * depth);
        // A straight line crosses at most columns + rows cells, and a few samples in each are as
        // fine as the march gets on a map of like spacings. With spacings far apart the smaller
        // one would take up to a billion steps over the larger cells, and far from the world's
        // origin a step below the coordinates' precision would not move at all: such a step is
        // lengthened to what the map's cells and the coordinates' size call for.
        const double reach = std::max(std::fabs(origin.x), std::fabs(origin.z)) + span;
        const double shortest =
            std::max(span / (kStepsPerCell * (static_cast<double>(m_columns) + m_rows)), reach * kSmallestRelativeStep);
        if (!(static_cast<double>(advance.Length()) >= shortest)) {
            const auto scale = static_cast<float>(shortest / std::sqrt(static_cast<double>(horizontalSq)));
            advance = CVector3(direction.x * scale, 0.0f, direction.z * scale);
        }
        const double steps = span / static_cast<double>(advance.Length()) + 2.0;
        // Not finite only for a map of one sample and a step too short to have a length.
        maxSteps = std::isfinite(steps) ? static_cast<std::uint64_t>(std::min(steps, 1e9)) : 2;
    }
    CVector3 p = origin;
    float h = 0.0f;
    CVector3 normal;
    for (std::uint64_t n = 0; n < maxSteps; ++n) {
        if (!Contains(p.x, p.z)) {
            return false;
        }
        Interpolate(p.x, p.z, h, normal);
        if (h >= p.y) {
            hit.Set(p.x, h, p.z);
            return true;
        }
        p += advance;
    }
    return false;
}

} // namespace velm::phy
