#include "libs/common/vector3.h"

#include <cmath>

#include "libs/common/math_util.h"

namespace common {

float CVector3::Length() const {
    const double lx = x;
    const double ly = y;
    const double lz = z;
    return static_cast<float>(std::sqrt(lx * lx + ly * ly + lz * lz));
}

CVector3 CVector3::Cross(const CVector3& o) const {
    return CVector3(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
}

CVector3& CVector3::operator+=(const CVector3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
}

CVector3& CVector3::operator-=(const CVector3& o) {
    x -= o.x;
    y -= o.y;
    z -= o.z;
    return *this;
}

CVector3& CVector3::operator*=(float f) {
    x *= f;
    y *= f;
    z *= f;
    return *this;
}

CVector3& CVector3::operator/=(float f) { return *this *= 1.0f / f; }

bool CVector3::operator==(const CVector3& o) const {
    return NearlyEqual(x, o.x) && NearlyEqual(y, o.y) && NearlyEqual(z, o.z);
}

float& CVector3::operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }

float CVector3::operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

void CVector3::Normalize() {
    if (IsZero(LengthSquared())) {
        SetZero();
        return;
    }
    *this /= Length();
}

CVector3 CVector3::GetNormalized() const {
    CVector3 copy(*this);
    copy.Normalize();
    return copy;
}

CVector3 operator+(const CVector3& a, const CVector3& b) { return CVector3(a.x + b.x, a.y + b.y, a.z + b.z); }

CVector3 operator-(const CVector3& a, const CVector3& b) { return CVector3(a.x - b.x, a.y - b.y, a.z - b.z); }

CVector3 operator*(float f, const CVector3& v) { return CVector3(f * v.x, f * v.y, f * v.z); }

CVector3 operator*(const CVector3& v, float f) { return f * v; }

CVector3 operator/(const CVector3& v, float f) { return v * (1.0f / f); }

CVector3 ProjectOnto(const CVector3& v, const CVector3& onto) {
    const float lenSq = onto.LengthSquared();
    if (IsZero(lenSq)) {
        return CVector3();
    }
    return (v.Dot(onto) / lenSq) * onto;
}

} // namespace common
