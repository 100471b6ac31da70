// Bounding volumes of the geometry kit: common::CSphere, common::CAABB and the cone test used by
// weapons and culling. Value types, no thread rules.
#pragma once

#include "libs/common/vector3.h"

namespace common {

class CSphere {
public:
    CSphere() : radius(0.0f) {}
    CSphere(const CVector3& c, float r) : centre(c), radius(r) {}

    // True when this sphere lies within other: other is at least as large and
    // (other.radius - radius)^2 >= |centre distance|^2.
    bool IsInside(const CSphere& other) const;

    CVector3 centre;
    float radius;
};

class CAABB {
public:
    // The empty box: min at +infinity, max at -infinity, so the first Extend sets both.
    CAABB();
    CAABB(const CVector3& min, const CVector3& max) : m_min(min), m_max(max) {}

    bool Contains(const CVector3& p) const {
        return m_min.x <= p.x && p.x <= m_max.x && m_min.y <= p.y && p.y <= m_max.y && m_min.z <= p.z && p.z <= m_max.z;
    }
    void Extend(const CVector3& p);
    const CVector3& GetMin() const { return m_min; }
    const CVector3& GetMax() const { return m_max; }
    CVector3 GetSize() const { return m_max - m_min; }
    // 0 for the empty box rather than the -infinity its corners would give.
    float GetVolume() const;
    // The centre is inside and at least radius away from each of the six faces.
    bool ContainsSphere(const CSphere& sphere) const;

private:
    CVector3 m_min;
    CVector3 m_max;
};

// True when point lies within range of apex and within halfAngle (radians) of the unit axis;
// writes the squared length of the point's offset projected on the axis to out when given.
bool IsPointInCone(const CVector3& apex, const CVector3& axis, float range, float halfAngle, const CVector3& point,
                   float* out = nullptr);

} // namespace common
