// common::CPlane and common::CFrustum: the view-space frustum the culling passes test bounding
// spheres against. Plane normals point outward. Value types, no thread rules.
#pragma once

#include "libs/common/geometry.h"
#include "libs/common/vector3.h"

namespace common {

class CPlane {
public:
    CPlane() : a(0.0f), b(0.0f), c(0.0f), d(0.0f) {}
    CPlane(float pa, float pb, float pc, float pd) : a(pa), b(pb), c(pc), d(pd) {}

    // n . p + d: positive outside, zero or negative on the inner side.
    float SignedDistance(const CVector3& p) const { return a * p.x + b * p.y + c * p.z + d; }

    float a;
    float b;
    float c;
    float d;
};

class CFrustum {
public:
    static constexpr int PLANE_COUNT = 6;

    // Planes stay zero (cull nothing) until the first Update.
    CFrustum();

    // Eye at the origin looking along +z; fov is the vertical field of view in radians. Planes
    // that such values cannot define (zero field of view or aspect) stay zero and cull nothing.
    void Update(float fov, float aspect, float nearPlane, float farPlane);

    // False as soon as the sphere lies wholly outside one plane. With a mask, bit k is set for
    // every plane k the sphere straddles; other bits are left as the caller had them.
    bool TestSphere(const CSphere& sphere, unsigned int* mask = nullptr) const;

    const CPlane& GetPlane(int i) const { return m_planes[i]; }
    float GetNear() const { return m_near; }
    float GetFar() const { return m_far; }
    float GetFov() const { return m_fov; }
    float GetAspect() const { return m_aspect; }

private:
    CPlane m_planes[PLANE_COUNT];
    float m_near;
    float m_far;
    float m_fov;
    float m_aspect;
};

} // namespace common
