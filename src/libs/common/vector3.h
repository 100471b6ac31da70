// common::CVector3, the single-precision 3-vector every subsystem passes around. A plain value
// type: copies are independent, no thread rules beyond those of a float.
#pragma once

namespace common {

class CVector3 {
public:
    CVector3() : x(0.0f), y(0.0f), z(0.0f) {}
    CVector3(float vx, float vy, float vz) : x(vx), y(vy), z(vz) {}

    float LengthSquared() const { return x * x + y * y + z * z; }
    float Length() const;
    float Dot(const CVector3& other) const { return x * other.x + y * other.y + z * other.z; }
    // this x other
    CVector3 Cross(const CVector3& other) const;

    CVector3& operator+=(const CVector3& other);
    CVector3& operator-=(const CVector3& other);
    CVector3& operator*=(float f);
    CVector3& operator/=(float f);
    CVector3 operator-() const { return CVector3(-x, -y, -z); }
    // Component-wise NearlyEqual.
    bool operator==(const CVector3& other) const;
    bool operator!=(const CVector3& other) const { return !(*this == other); }
    // 0 is x, 1 is y, anything else z.
    float& operator[](int i);
    float operator[](int i) const;

    void Set(float vx, float vy, float vz) {
        x = vx;
        y = vy;
        z = vz;
    }
    void SetZero() { Set(0.0f, 0.0f, 0.0f); }

    // A vector of (nearly) zero length becomes (0, 0, 0) instead of dividing by zero.
    void Normalize();
    CVector3 GetNormalized() const;

    float x;
    float y;
    float z;
};

CVector3 operator+(const CVector3& a, const CVector3& b);
CVector3 operator-(const CVector3& a, const CVector3& b);
CVector3 operator*(float f, const CVector3& v);
CVector3 operator*(const CVector3& v, float f);
CVector3 operator/(const CVector3& v, float f);

// (v . onto / |onto|^2) onto; the zero vector when onto has (nearly) zero length.
CVector3 ProjectOnto(const CVector3& v, const CVector3& onto);

} // namespace common
