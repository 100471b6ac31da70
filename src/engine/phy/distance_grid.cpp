#include "engine/phy/distance_grid.h"

#include <cmath>

#include "libs/common/math_util.h"

namespace velm::phy {

using common::CVector3;

namespace {

constexpr float kBoxGrowth = 1.1f;
constexpr float kNodeOnSurface = 1e-5f;

// Node index nearest to a coordinate; a flat axis (zero spacing) has one meaningful node.
unsigned int NearestNode(float coordinate, float min, float spacing, unsigned int count) {
    if (common::IsZero(spacing)) {
        return 0;
    }
    const float t = std::floor((coordinate - min) / spacing + 0.5f);
    if (!(t > 0.0f)) {
        return 0;
    }
    const float last = static_cast<float>(count - 1);
    return t >= last ? count - 1 : static_cast<unsigned int>(t);
}

} // namespace

void BoxTestPoint::operator()(const CVector3& p, CVector3& toSurface, bool& inside) const {
    const CVector3 half(m_x * 0.5f, m_y * 0.5f, m_z * 0.5f);
    CVector3 c;
    inside = true;
    float best = common::FLOAT_INFINITY;
    int bestAxis = 0;
    for (int a = 0; a < 3; ++a) {
        if (p[a] > half[a]) {
            c[a] = half[a];
            inside = false;
        } else if (p[a] < -half[a]) {
            c[a] = -half[a];
            inside = false;
        } else {
            c[a] = p[a] <= 0.0f ? -half[a] : half[a];
        }
        const float distance = std::fabs(c[a] - p[a]);
        if (distance < best) {
            best = distance;
            bestAxis = a;
        }
    }
    for (int a = 0; a < 3; ++a) {
        if (a != bestAxis) {
            c[a] = common::Clamp(p[a], -half[a], half[a]);
        }
    }
    toSurface = c - p;
}

void CylinderTestPoint::operator()(const CVector3& p, CVector3& toSurface, bool& inside) const {
    const float halfHeight = m_height * 0.5f;
    const float rho = std::hypot(p.x, p.z);
    inside = -halfHeight <= p.y && p.y <= halfHeight && rho <= m_radius;
    CVector3 c = p;
    if (common::IsZero(rho)) {
        if (halfHeight <= m_radius) {
            c.Set(0.0f, p.y <= 0.0f ? -halfHeight : halfHeight, 0.0f);
        } else {
            c.Set(m_radius, common::Clamp(p.y, -halfHeight, halfHeight), 0.0f);
        }
    } else if (std::fabs(p.y) > (rho - m_radius) + halfHeight) {
        if (rho > m_radius) {
            c.x = p.x * m_radius / rho;
            c.z = p.z * m_radius / rho;
        }
        c.y = p.y <= 0.0f ? -halfHeight : halfHeight;
    } else {
        c.x = p.x * m_radius / rho;
        c.z = p.z * m_radius / rho;
        c.y = common::Clamp(p.y, -halfHeight, halfHeight);
    }
    toSurface = c - p;
}

CVector3 ClosestPointOnTriangle(const CVector3& p, const common::CTriangle& triangle) {
    const CVector3& a = triangle[0];
    const CVector3& b = triangle[1];
    const CVector3& c = triangle[2];
    const CVector3 ab = b - a;
    const CVector3 ac = c - a;
    const CVector3 ap = p - a;
    const float d1 = ab.Dot(ap);
    const float d2 = ac.Dot(ap);
    if (d1 <= 0.0f && d2 <= 0.0f) {
        return a;
    }
    const CVector3 bp = p - b;
    const float d3 = ab.Dot(bp);
    const float d4 = ac.Dot(bp);
    if (d3 >= 0.0f && d4 <= d3) {
        return b;
    }
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f) {
        const float denom = d1 - d3;
        return common::IsZero(denom) ? a : a + (d1 / denom) * ab;
    }
    const CVector3 cp = p - c;
    const float d5 = ab.Dot(cp);
    const float d6 = ac.Dot(cp);
    if (d6 >= 0.0f && d5 <= d6) {
        return c;
    }
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f) {
        const float denom = d2 - d6;
        return common::IsZero(denom) ? a : a + (d2 / denom) * ac;
    }
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0.0f && (d4 - d3) >= 0.0f && (d5 - d6) >= 0.0f) {
        const float denom = (d4 - d3) + (d5 - d6);
        return common::IsZero(denom) ? b : b + ((d4 - d3) / denom) * (c - b);
    }
    const float sum = va + vb + vc;
    if (common::IsZero(sum)) {
        return a;
    }
    const float v = vb / sum;
    const float w = vc / sum;
    return a + v * ab + w * ac;
}

CDistanceGrid::CDistanceGrid() = default;

CVector3 CDistanceGrid::NodePosition(unsigned int i, unsigned int j, unsigned int k) const {
    const CVector3& min = m_box.GetMin();
    return CVector3(min.x + i * m_spacing.x, min.y + j * m_spacing.y, min.z + k * m_spacing.z);
}

const SDistanceCell& CDistanceGrid::GetCell(unsigned int i, unsigned int j, unsigned int k) const {
    return m_cells[(m_ny * k + j) * m_nx + i];
}

void CDistanceGrid::Build(unsigned int nx, unsigned int ny, unsigned int nz,
                          const std::vector<common::CTriangle>& triangles, const TestPointFunctor* functor) {
    m_cells.clear();
    m_nx = m_ny = m_nz = 0;
    m_box = common::CAABB();
    m_sphere = common::CSphere();
    m_spacing.SetZero();
    if (triangles.empty() || nx == 0 || ny == 0 || nz == 0) {
        return;
    }
    common::CAABB bounds;
    for (const common::CTriangle& triangle : triangles) {
        for (int v = 0; v < 3; ++v) {
            bounds.Extend(triangle[v]);
        }
    }
    const CVector3 centre = 0.5f * (bounds.GetMin() + bounds.GetMax());
    const CVector3 min = centre + kBoxGrowth * (bounds.GetMin() - centre);
    const CVector3 max = centre + kBoxGrowth * (bounds.GetMax() - centre);
    m_box = common::CAABB(min, max);
    const CVector3 extent = max - min;
    m_spacing.Set(extent.x / static_cast<float>(nx > 1 ? nx - 1 : 1),
                  extent.y / static_cast<float>(ny > 1 ? ny - 1 : 1),
                  extent.z / static_cast<float>(nz > 1 ? nz - 1 : 1));
    m_sphere = common::CSphere(centre, (max - centre).Length());
    m_nx = nx;
    m_ny = ny;
    m_nz = nz;
    m_cells.resize(static_cast<std::size_t>(nx) * ny * nz);

    for (unsigned int k = 0; k < nz; ++k) {
        for (unsigned int j = 0; j < ny; ++j) {
            for (unsigned int i = 0; i < nx; ++i) {
                SDistanceCell& cell = m_cells[(ny * k + j) * nx + i];
                const CVector3 node = NodePosition(i, j, k);
                if (functor != nullptr) {
                    CVector3 q;
                    bool inside = false;
                    (*functor)(node, q, inside);
                    const float len = q.Length();
                    if (len <= kNodeOnSurface) {
                        cell.m_normal = node.GetNormalized();
                        cell.m_distance = kNodeOnSurface;
                    } else if (inside) {
                        cell.m_normal = q / len;
                        cell.m_distance = len;
                    } else {
                        cell.m_normal = -q / len;
                        cell.m_distance = -len;
                    }
                    continue;
                }
                float bestSq = common::FLOAT_INFINITY;
                CVector3 nearest;
                const common::CTriangle* closest = &triangles.front();
                for (const common::CTriangle& triangle : triangles) {
                    const CVector3 q = ClosestPointOnTriangle(node, triangle);
                    const float distSq = (q - node).LengthSquared();
                    if (distSq < bestSq) {
                        bestSq = distSq;
                        nearest = q;
                        closest = &triangle;
                    }
                }
                // Only the sign of n . v matters, so the raw cross product serves: normalising it
                // would zero the normal of a small triangle and put every node outside.
                const CVector3 v = nearest - node;
                const CVector3 n = ((*closest)[1] - (*closest)[0]).Cross((*closest)[2] - (*closest)[0]);
                const bool outside = n.Dot(v) >= 0.0f;
                const float length = v.Length();
                cell.m_distance = outside ? -length : length;
                cell.m_normal = length > 0.0f ? (outside ? -v : v) / length : CVector3();
            }
        }
    }
}

bool CDistanceGrid::TestPoint(const CVector3& p, CVector3& normal, float& depth) const {
    normal.Set(0.0f, 1.0f, 0.0f);
    depth = common::FLOAT_INFINITY;
    if (m_cells.empty() || !m_box.Contains(p)) {
        return false;
    }
    const CVector3& min = m_box.GetMin();
    const unsigned int i = NearestNode(p.x, min.x, m_spacing.x, m_nx);
    const unsigned int j = NearestNode(p.y, min.y, m_spacing.y, m_ny);
    const unsigned int k = NearestNode(p.z, min.z, m_spacing.z, m_nz);
    const SDistanceCell& cell = GetCell(i, j, k);
    normal = cell.m_normal;
    depth = cell.m_distance - normal.Dot(p - NodePosition(i, j, k));
    if (depth > 0.0f) {
        return true;
    }
    depth = -depth;
    return false;
}

} // namespace velm::phy
