// common::CTriangle: a triangle with its unit normal, used by collision hulls and the water grid.
// Value type, no thread rules.
#pragma once

#include "libs/common/vector3.h"

namespace common {

class CTriangle {
public:
    CTriangle() = default;
    // Normal = normalized (p1 - p0) x (p2 - p0); zero for a degenerate triangle.
    CTriangle(const CVector3& p0, const CVector3& p1, const CVector3& p2);

    const CVector3& operator[](int i) const { return m_vertices[i]; }
    // p0 + a (p1 - p0) + b (p2 - p0)
    CVector3 GetPoint(float a, float b) const;
    const CVector3& GetNormal() const { return m_normal; }
    // Scales every vertex component-wise and recomputes the normal, which a non-uniform scale
    // would otherwise leave pointing the wrong way.
    void Scale(float sx, float sy, float sz);
    // Inside or on an edge of the triangle seen from above (y ignored), whatever its winding.
    bool ContainsPointXZ(const CVector3& point) const;
    // Hit of the segment start..end with the triangle, edges included; t in [0, 1] is the
    // segment parameter. A segment parallel to the triangle's plane never hits.
    bool IntersectSegment(const CVector3& start, const CVector3& end, float& t, CVector3& hit) const;

private:
    void ComputeNormal();

    CVector3 m_vertices[3];
    CVector3 m_normal;
};

} // namespace common
