// common::CQuaternion, the rotation type of bodies and models. Stored w first; the four-value
// constructor takes (x, y, z, w). A plain value type with no thread rules. The products and the
// rotation are inline: the physics step turns every test point with them.
#pragma once

#include <cmath>

#include "libs/common/math_util.h"
#include "libs/common/vector3.h"

namespace common {

class CQuaternion {
public:
    // All zero, not the identity: callers that want a rotation call SetIdentity.
    CQuaternion() : w(0.0f), x(0.0f), y(0.0f), z(0.0f) {}
    CQuaternion(float qx, float qy, float qz, float qw) : w(qw), x(qx), y(qy), z(qz) {}

    CQuaternion& operator+=(const CQuaternion& o) {
        w += o.w;
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    float LengthSquared() const { return w * w + x * x + y * y + z * z; }

    // q v conjugate(q); meaningful for a unit quaternion.
    CVector3 Rotate(const CVector3& v) const;
    CQuaternion GetConjugate() const { return CQuaternion(-x, -y, -z, w); }
    void SetIdentity() {
        w = 1.0f;
        x = y = z = 0.0f;
    }
    // A (nearly) zero quaternion becomes all zero instead of dividing by zero.
    void Normalize() {
        const float normSq = LengthSquared();
        if (IsZero(normSq)) {
            w = x = y = z = 0.0f;
            return;
        }
        const float inv = static_cast<float>(1.0 / std::sqrt(static_cast<double>(normSq)));
        w *= inv;
        x *= inv;
        y *= inv;
        z *= inv;
    }
    // A (nearly) zero axis gives the identity.
    void FromAxisAngle(const CVector3& axis, float angle);
    // angle = 2 acos(w), w clamped to [-1, 1] first; the axis is the zero vector when the
    // rotation is (nearly) none.
    void ToAxisAngle(CVector3& axis, float& angle) const;

    float w;
    float x;
    float y;
    float z;
};

// Hamilton product.
inline CQuaternion operator*(const CQuaternion& a, const CQuaternion& b) {
    CQuaternion r;
    r.w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    r.x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
    r.y = a.w * b.y + a.y * b.w + a.z * b.x - a.x * b.z;
    r.z = a.w * b.z + a.z * b.w + a.x * b.y - a.y * b.x;
    return r;
}

// q times the pure quaternion (0, v), and the pure quaternion times q.
inline CQuaternion operator*(const CQuaternion& q, const CVector3& v) {
    const CVector3 qv(q.x, q.y, q.z);
    const CVector3 xyz = q.w * v + qv.Cross(v);
    return CQuaternion(xyz.x, xyz.y, xyz.z, -qv.Dot(v));
}
inline CQuaternion operator*(const CVector3& v, const CQuaternion& q) { return CQuaternion(v.x, v.y, v.z, 0.0f) * q; }

inline CQuaternion operator*(const CQuaternion& q, float f) { return CQuaternion(q.x * f, q.y * f, q.z * f, q.w * f); }

inline CVector3 CQuaternion::Rotate(const CVector3& v) const {
    const CQuaternion r = (*this * v) * GetConjugate();
    return CVector3(r.x, r.y, r.z);
}

} // namespace common
