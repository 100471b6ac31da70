#include "libs/common/quaternion.h"

#include <cmath>

#include "libs/common/math_util.h"

namespace common {

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

} // namespace common
