// common::CVector3, the single-precision 3-vector every subsystem passes around. A plain value
// type: copies are independent, no thread rules beyond those of a float. Everything is inline:
// the physics step spends most of its time in these few operations.
#pragma once

#include <cmath>

#include "libs/common/math_util.h"

namespace common {

class CVector3 {
public:
    CVector3() : x(0.0f), y(0.0f), z(0.0f) {}
    CVector3(float vx, float vy, float vz) : x(vx), y(vy), z(vz) {}

    float LengthSquared() const { return x * x + y * y + z * z; }
    // Summed in double so that large components do not overflow before the root.
    float Length() const {
        const double lx = x;
        const double ly = y;
        const double lz = z;
        return static_cast<float>(std::sqrt(lx * lx + ly * ly + lz * lz));
    }
    float Dot(const CVector3& other) const { return x * other.x + y * other.y + z * other.z; }
    // this x other
    CVector3 Cross(const CVector3& o) const {
        return CVector3(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }

    CVector3& operator+=(const CVector3& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    CVector3& operator-=(const CVector3& o) {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    CVector3& operator*=(float f) {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }
    CVector3& operator/=(float f) { return *this *= 1.0f / f; }
    CVector3 operator-() const { return CVector3(-x, -y, -z); }
    // Component-wise NearlyEqual.
    bool operator==(const CVector3& o) const {
        return NearlyEqual(x, o.x) && NearlyEqual(y, o.y) && NearlyEqual(z, o.z);
    }
    bool operator!=(const CVector3& other) const { return !(*this == other); }
    // 0 is x, 1 is y, anything else z.
    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    void Set(float vx, float vy, float vz) {
        x = vx;
        y = vy;
        z = vz;
    }
    void SetZero() { Set(0.0f, 0.0f, 0.0f); }

    // A vector of (nearly) zero length becomes (0, 0, 0) instead of dividing by zero.
    void Normalize() {
        if (IsZero(LengthSquared())) {
            SetZero();
            return;
        }
        *this /= Length();
    }
    CVector3 GetNormalized() const {
        CVector3 copy(*this);
        copy.Normalize();
        return copy;
    }

    float x;
    float y;
    float z;
};

inline CVector3 operator+(const CVector3& a, const CVector3& b) { return CVector3(a.x + b.x, a.y + b.y, a.z + b.z); }
inline CVector3 operator-(const CVector3& a, const CVector3& b) { return CVector3(a.x - b.x, a.y - b.y, a.z - b.z); }
inline CVector3 operator*(float f, const CVector3& v) { return CVector3(f * v.x, f * v.y, f * v.z); }
inline CVector3 operator*(const CVector3& v, float f) { return f * v; }
inline CVector3 operator/(const CVector3& v, float f) { return v * (1.0f / f); }

// (v . onto / |onto|^2) onto; the zero vector when onto has (nearly) zero length.
inline CVector3 ProjectOnto(const CVector3& v, const CVector3& onto) {
    const float lenSq = onto.LengthSquared();
    if (IsZero(lenSq)) {
        return CVector3();
    }
    return (v.Dot(onto) / lenSq) * onto;
}

} // namespace common
