#include "engine/phy/collision_hull.h"

#include <algorithm>
#include <cmath>

#include "libs/common/math_util.h"

namespace velm::phy {

using common::CTriangle;
using common::CVector3;

namespace {

constexpr unsigned int kBoxGridCells = 5;
constexpr unsigned int kCurvedGridCells = 10;
constexpr float kTwoPi = 6.2831855f;

float SnapToZero(float value) { return common::IsZero(value) ? 0.0f : value; }

// Whether (b - a) x (c - a) points away from `inside`. The raw cross product is used: the
// triangle's unit normal is zero for a very small shape, which would leave the winding unchecked.
bool FacesAway(const CVector3& a, const CVector3& b, const CVector3& c, const CVector3& inside) {
    return (b - a).Cross(c - a).Dot(inside - a) < 0.0f;
}

// Two triangles per quad a-b-c-d, wound so that the cross product points to `inside`.
void AddQuad(std::vector<CTriangle>& out, const CVector3& a, const CVector3& b, const CVector3& c, const CVector3& d,
             const CVector3& inside) {
    if (FacesAway(a, b, c, inside)) {
        out.emplace_back(a, c, b);
        out.emplace_back(a, d, c);
    } else {
        out.emplace_back(a, b, c);
        out.emplace_back(a, c, d);
    }
}

void AddTriangleFacing(std::vector<CTriangle>& out, const CVector3& a, const CVector3& b, const CVector3& c,
                       const CVector3& inside) {
    if (FacesAway(a, b, c, inside)) {
        out.emplace_back(a, c, b);
    } else {
        out.emplace_back(a, b, c);
    }
}

} // namespace

CCollisionHull::CCollisionHull(CRigidBody* owner) : m_owner(owner) {}

void CCollisionHull::SetOrientation(const common::CQuaternion& orientation) {
    m_orientation = orientation;
    m_inverseOrientation = orientation.GetConjugate();
}

common::CAABB CCollisionHull::GetWorldBox() const {
    const common::CAABB& local = m_grid.GetBox();
    return common::CAABB(local.GetMin() + m_position, local.GetMax() + m_position);
}

void CCollisionHull::UpdateWorldTestPoints() {
    m_worldTestPoints.resize(m_localTestPoints.size());
    for (std::size_t i = 0; i < m_localTestPoints.size(); ++i) {
        m_worldTestPoints[i] = m_position + m_orientation.Rotate(m_localTestPoints[i]);
    }
}

bool CCollisionHull::TestPoint(const CVector3& local, CVector3& normal, float& depth) const {
    return m_grid.TestPoint(local, normal, depth);
}

void CCollisionHull::BuildBox(float x, float y, float z) {
    const float hx = x / 2.0f;
    const float hy = y / 2.0f;
    const float hz = z / 2.0f;
    m_localTestPoints = {CVector3(-hx, hy, -hz), CVector3(hx, hy, -hz),   CVector3(-hx, hy, hz),
                         CVector3(hx, hy, hz),   CVector3(-hx, -hy, -hz), CVector3(hx, -hy, -hz),
                         CVector3(-hx, -hy, hz), CVector3(hx, -hy, hz)};
    const std::vector<CVector3>& c = m_localTestPoints;
    const CVector3 centre;
    m_triangles.clear();
    AddQuad(m_triangles, c[0], c[1], c[3], c[2], centre); // top
    AddQuad(m_triangles, c[4], c[6], c[7], c[5], centre); // bottom
    AddQuad(m_triangles, c[0], c[4], c[5], c[1], centre); // -z
    AddQuad(m_triangles, c[2], c[3], c[7], c[6], centre); // +z
    AddQuad(m_triangles, c[0], c[2], c[6], c[4], centre); // -x
    AddQuad(m_triangles, c[1], c[5], c[7], c[3], centre); // +x
    const BoxTestPoint functor(x, y, z);
    m_grid.Build(kBoxGridCells, kBoxGridCells, kBoxGridCells, m_triangles, &functor);
    UpdateWorldTestPoints();
}

void CCollisionHull::BuildCylinder(float height, float radius, unsigned int layers, unsigned int slices) {
    const float half = height / 2.0f;
    m_localTestPoints.clear();
    std::vector<CVector3> bottomRim;
    std::vector<CVector3> topRim;
    for (unsigned int s = 0; s < slices; ++s) {
        const float a = kTwoPi * static_cast<float>(s) / static_cast<float>(slices);
        const float px = SnapToZero(-std::sin(a) * radius);
        const float pz = SnapToZero(std::cos(a) * radius);
        for (unsigned int l = 0; l < layers; ++l) {
            m_localTestPoints.emplace_back(px, static_cast<float>(l) * height / static_cast<float>(layers) - half, pz);
        }
        m_localTestPoints.emplace_back(px, half, pz);
        bottomRim.emplace_back(px, -half, pz);
        topRim.emplace_back(px, half, pz);
    }
    const CVector3 bottomCentre(0.0f, -half, 0.0f);
    const CVector3 topCentre(0.0f, half, 0.0f);
    m_localTestPoints.push_back(bottomCentre);
    m_localTestPoints.push_back(topCentre);

    m_triangles.clear();
    const CVector3 centre;
    for (unsigned int s = 0; s < slices; ++s) {
        const unsigned int next = (s + 1) % slices;
        if (slices >= 2) {
            AddQuad(m_triangles, bottomRim[s], topRim[s], topRim[next], bottomRim[next], centre);
        }
        AddTriangleFacing(m_triangles, bottomCentre, bottomRim[s], bottomRim[next], topCentre);
        AddTriangleFacing(m_triangles, topCentre, topRim[s], topRim[next], bottomCentre);
    }
    const CylinderTestPoint functor(height, radius);
    m_grid.Build(kCurvedGridCells, kCurvedGridCells, kCurvedGridCells, m_triangles, &functor);
    UpdateWorldTestPoints();
}

void CCollisionHull::BuildMesh(const std::vector<CTriangle>& triangles) {
    m_triangles = triangles;
    m_localTestPoints.clear();
    m_localTestPoints.reserve(triangles.size() * 3);
    for (const CTriangle& triangle : triangles) {
        for (int v = 0; v < 3; ++v) {
            m_localTestPoints.push_back(triangle[v]);
        }
    }
    m_grid.Build(kCurvedGridCells, kCurvedGridCells, kCurvedGridCells, m_triangles, nullptr);
    UpdateWorldTestPoints();
}

} // namespace velm::phy
