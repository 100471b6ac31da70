#include "libs/common/triangle.h"

#include <cmath>

#include "libs/common/math_util.h"

namespace common {

CTriangle::CTriangle(const CVector3& p0, const CVector3& p1, const CVector3& p2) : m_vertices{p0, p1, p2} {
    ComputeNormal();
}

void CTriangle::ComputeNormal() {
    m_normal = (m_vertices[1] - m_vertices[0]).Cross(m_vertices[2] - m_vertices[0]);
    m_normal.Normalize();
}

CVector3 CTriangle::GetPoint(float a, float b) const {
    return m_vertices[0] + a * (m_vertices[1] - m_vertices[0]) + b * (m_vertices[2] - m_vertices[0]);
}

void CTriangle::Scale(float sx, float sy, float sz) {
    for (CVector3& v : m_vertices) {
        v.Set(v.x * sx, v.y * sy, v.z * sz);
    }
    ComputeNormal();
}

bool CTriangle::ContainsPointXZ(const CVector3& point) const {
    bool anyInner = false;
    bool anyOuter = false;
    for (int i = 0; i < 3; ++i) {
        const CVector3& v = m_vertices[i];
        const CVector3& next = m_vertices[(i + 1) % 3];
        const float ex = next.x - v.x;
        const float ez = next.z - v.z;
        // Inward normal (-e.z, 0, e.x) for one winding; the other winding flips every sign.
        const float side = (point.x - v.x) * -ez + (point.z - v.z) * ex;
        anyInner = anyInner || side > 0.0f;
        anyOuter = anyOuter || side < 0.0f;
    }
    return !(anyInner && anyOuter);
}

bool CTriangle::IntersectSegment(const CVector3& start, const CVector3& end, float& t, CVector3& hit) const {
    const CVector3 dir = end - start;
    const CVector3 e1 = m_vertices[1] - m_vertices[0];
    const CVector3 e2 = m_vertices[2] - m_vertices[0];
    const CVector3 p = dir.Cross(e2);
    const float det = e1.Dot(p);
    if (IsZero(det)) {
        return false;
    }
    const float inv = 1.0f / det;
    const CVector3 s = start - m_vertices[0];
    const float u = s.Dot(p) * inv;
    if (u < 0.0f || u > 1.0f) {
        return false;
    }
    const CVector3 q = s.Cross(e1);
    const float v = dir.Dot(q) * inv;
    if (v < 0.0f || u + v > 1.0f) {
        return false;
    }
    const float param = e2.Dot(q) * inv;
    if (param < 0.0f || param > 1.0f) {
        return false;
    }
    t = param;
    hit = start + param * dir;
    return true;
}

} // namespace common
