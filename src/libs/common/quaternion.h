// common::CQuaternion, the rotation type of bodies and models. Stored w first; the four-value
// constructor takes (x, y, z, w). A plain value type with no thread rules.
#pragma once

#include "libs/common/vector3.h"

namespace common {

class CQuaternion {
public:
    // All zero, not the identity: callers that want a rotation call SetIdentity.
    CQuaternion() : w(0.0f), x(0.0f), y(0.0f), z(0.0f) {}
    CQuaternion(float qx, float qy, float qz, float qw) : w(qw), x(qx), y(qy), z(qz) {}

    CQuaternion& operator+=(const CQuaternion& other);
    float LengthSquared() const { return w * w + x * x + y * y + z * z; }

    // q v conjugate(q); meaningful for a unit quaternion.
    CVector3 Rotate(const CVector3& v) const;
    CQuaternion GetConjugate() const { return CQuaternion(-x, -y, -z, w); }
    void SetIdentity();
    // A (nearly) zero quaternion becomes all zero instead of dividing by zero.
    void Normalize();
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
CQuaternion operator*(const CQuaternion& a, const CQuaternion& b);
// q times the pure quaternion (0, v), and the pure quaternion times q.
CQuaternion operator*(const CQuaternion& q, const CVector3& v);
CQuaternion operator*(const CVector3& v, const CQuaternion& q);
CQuaternion operator*(const CQuaternion& q, float f);

} // namespace common
