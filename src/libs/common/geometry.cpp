#include "libs/common/geometry.h"

#include <cmath>

#include "libs/common/math_util.h"

namespace common {

bool CSphere::IsInside(const CSphere& other) const {
    // The squared gap alone would also hold for a larger sphere around a smaller one.
    if (other.radius < radius) {
        return false;
    }
    const float dr = other.radius - radius;
    return dr * dr >= (other.centre - centre).LengthSquared();
}

CAABB::CAABB()
    : m_min(FLOAT_INFINITY, FLOAT_INFINITY, FLOAT_INFINITY), m_max(-FLOAT_INFINITY, -FLOAT_INFINITY, -FLOAT_INFINITY) {}

void CAABB::Extend(const CVector3& p) {
    for (int i = 0; i < 3; ++i) {
        if (p[i] < m_min[i]) {
            m_min[i] = p[i];
        }
        if (p[i] > m_max[i]) {
            m_max[i] = p[i];
        }
    }
}

float CAABB::GetVolume() const {
    const CVector3 size = GetSize();
    if (size.x < 0.0f || size.y < 0.0f || size.z < 0.0f) {
        return 0.0f;
    }
    return size.x * size.y * size.z;
}

bool CAABB::ContainsSphere(const CSphere& sphere) const {
    if (!Contains(sphere.centre)) {
        return false;
    }
    const CVector3& c = sphere.centre;
    for (int i = 0; i < 3; ++i) {
        if (c[i] - m_min[i] < sphere.radius || m_max[i] - c[i] < sphere.radius) {
            return false;
        }
    }
    return true;
}

bool IsPointInCone(const CVector3& apex, const CVector3& axis, float range, float halfAngle, const CVector3& point,
                   float* out) {
    const CVector3 d = point - apex;
    const float p = ProjectOnto(d, axis).LengthSquared();
    if (p > range * range) {
        return false;
    }
    // Rounding can push the cosine of two unit vectors just past 1, where acos gives NaN.
    const float cosAngle = Clamp(d.GetNormalized().Dot(axis), -1.0f, 1.0f);
    if (std::acos(cosAngle) > halfAngle) {
        return false;
    }
    if (out != nullptr) {
        *out = p;
    }
    return true;
}

} // namespace common
