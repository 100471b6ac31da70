#include "libs/common/frustum.h"

#include <cmath>

namespace common {

CFrustum::CFrustum() : m_near(1.0f), m_far(1000.0f), m_fov(0.7853982f), m_aspect(1.0f) {}

void CFrustum::Update(float fov, float aspect, float nearPlane, float farPlane) {
    m_fov = fov;
    m_aspect = aspect;
    m_near = nearPlane;
    m_far = farPlane;

    m_planes[0] = CPlane(0.0f, 0.0f, -1.0f, nearPlane);
    m_planes[1] = CPlane(0.0f, 0.0f, 1.0f, -farPlane);

    const float hx = std::tan(aspect * fov * 0.5f) * farPlane;
    const float hy = std::tan(fov * 0.5f) * farPlane;
    // Far-rectangle corners in order around the rectangle, so that each neighbouring pair
    // spans one side plane (left, top, right, bottom).
    const CVector3 corners[4] = {CVector3(-hx, -hy, farPlane), CVector3(-hx, hy, farPlane), CVector3(hx, hy, farPlane),
                                 CVector3(hx, -hy, farPlane)};
    for (int i = 0; i < 4; ++i) {
        CVector3 n = corners[i].Cross(corners[(i + 1) % 4]);
        n.Normalize();
        // Outward means away from the view axis, whichever winding the values produced.
        if (n.z > 0.0f) {
            n = -n;
        }
        m_planes[2 + i] = CPlane(n.x, n.y, n.z, 0.0f);
    }
}

bool CFrustum::TestSphere(const CSphere& sphere, unsigned int* mask) const {
    for (int k = 0; k < PLANE_COUNT; ++k) {
        const float dist = m_planes[k].SignedDistance(sphere.centre);
        if (dist > sphere.radius) {
            return false;
        }
        if (mask != nullptr && std::fabs(dist) < sphere.radius) {
            *mask |= 1u << k;
        }
    }
    return true;
}

} // namespace common
