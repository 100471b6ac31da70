#include "libs/common/quaternion.h"

#include <cmath>

#include "libs/common/math_util.h"

namespace common {

CQuaternion& CQuaternion::operator+=(const CQuaternion& o) {
    w += o.w;
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
}

CVector3 CQuaternion::Rotate(const CVector3& v) const {
    const CQuaternion r = (*this * v) * GetConjugate();
    return CVector3(r.x, r.y, r.z);
}

void CQuaternion::SetIdentity() {
    w = 1.0f;
    x = y = z = 0.0f;
}

void CQuaternion::Normalize() {
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

void CQuaternion::FromAxisAngle(const CVector3& axis, float angle) {
    const float lenSq = axis.LengthSquared();
    if (IsZero(lenSq)) {
        SetIdentity();
        return;
    }
    const float s = std::sin(angle * 0.5f) / axis.Length();
    w = std::cos(angle * 0.5f);
    x = axis.x * s;
    y = axis.y * s;
    z = axis.z * s;
}

void CQuaternion::ToAxisAngle(CVector3& axis, float& angle) const {
    // A quaternion that drifted slightly past unit length would otherwise give NaN.
    const float cw = Clamp(w, -1.0f, 1.0f);
    angle = 2.0f * std::acos(cw);
    const float root = std::sqrt(1.0f - cw * cw);
    if (IsZero(root)) {
        axis.SetZero();
        return;
    }
    axis.Set(x / root, y / root, z / root);
}

CQuaternion operator*(const CQuaternion& a, const CQuaternion& b) {
    CQuaternion r;
    r.w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    r.x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
    r.y = a.w * b.y + a.y * b.w + a.z * b.x - a.x * b.z;
    r.z = a.w * b.z + a.z * b.w + a.x * b.y - a.y * b.x;
    return r;
}

CQuaternion operator*(const CQuaternion& q, const CVector3& v) {
    const CVector3 qv(q.x, q.y, q.z);
    const CVector3 xyz = q.w * v + qv.Cross(v);
    return CQuaternion(xyz.x, xyz.y, xyz.z, -qv.Dot(v));
}

CQuaternion operator*(const CVector3& v, const CQuaternion& q) { return CQuaternion(v.x, v.y, v.z, 0.0f) * q; }

CQuaternion operator*(const CQuaternion& q, float f) { return CQuaternion(q.x * f, q.y * f, q.z * f, q.w * f); }

} // namespace common
