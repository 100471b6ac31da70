// The D3DX math the engine calls: vector, matrix, quaternion, plane and colour types and their
// functions, left-handed with row vectors as Direct3D 9 has them. Each function writes its
// result to pOut (which may alias an input) and returns pOut. Pure code, safe on any thread.
#pragma once

#include "platform/d3d9/d3d9_types.h"

constexpr float D3DX_PI = 3.141592654f;
#define D3DXToRadian(degree) ((degree) * (D3DX_PI / 180.0f))
#define D3DXToDegree(radian) ((radian) * (180.0f / D3DX_PI))

struct D3DXVECTOR2 {
    D3DXVECTOR2() : x(0.0f), y(0.0f) {}
    D3DXVECTOR2(float vx, float vy) : x(vx), y(vy) {}
    explicit D3DXVECTOR2(const float* p) : x(p[0]), y(p[1]) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }
    D3DXVECTOR2& operator+=(const D3DXVECTOR2& v) {
        x += v.x;
        y += v.y;
        return *this;
    }
    D3DXVECTOR2& operator-=(const D3DXVECTOR2& v) {
        x -= v.x;
        y -= v.y;
        return *this;
    }
    D3DXVECTOR2& operator*=(float f) {
        x *= f;
        y *= f;
        return *this;
    }
    D3DXVECTOR2& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXVECTOR2 operator-() const { return D3DXVECTOR2(-x, -y); }
    D3DXVECTOR2 operator+(const D3DXVECTOR2& v) const { return D3DXVECTOR2(x + v.x, y + v.y); }
    D3DXVECTOR2 operator-(const D3DXVECTOR2& v) const { return D3DXVECTOR2(x - v.x, y - v.y); }
    D3DXVECTOR2 operator*(float f) const { return D3DXVECTOR2(x * f, y * f); }
    D3DXVECTOR2 operator/(float f) const { return *this * (1.0f / f); }
    bool operator==(const D3DXVECTOR2& v) const { return x == v.x && y == v.y; }
    bool operator!=(const D3DXVECTOR2& v) const { return !(*this == v); }

    float x;
    float y;
};

struct D3DXVECTOR3 : public D3DVECTOR {
    D3DXVECTOR3() : D3DVECTOR{0.0f, 0.0f, 0.0f} {}
    D3DXVECTOR3(float vx, float vy, float vz) : D3DVECTOR{vx, vy, vz} {}
    D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
    explicit D3DXVECTOR3(const float* p) : D3DVECTOR{p[0], p[1], p[2]} {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }
    D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    D3DXVECTOR3& operator*=(float f) {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }
    D3DXVECTOR3& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXVECTOR3 operator-() const { return D3DXVECTOR3(-x, -y, -z); }
    D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x + v.x, y + v.y, z + v.z); }
    D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x - v.x, y - v.y, z - v.z); }
    D3DXVECTOR3 operator*(float f) const { return D3DXVECTOR3(x * f, y * f, z * f); }
    D3DXVECTOR3 operator/(float f) const { return *this * (1.0f / f); }
    bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};

struct D3DXVECTOR4 {
    D3DXVECTOR4() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
    D3DXVECTOR4(float vx, float vy, float vz, float vw) : x(vx), y(vy), z(vz), w(vw) {}
    D3DXVECTOR4(const D3DVECTOR& v, float vw) : x(v.x), y(v.y), z(v.z), w(vw) {}
    explicit D3DXVECTOR4(const float* p) : x(p[0]), y(p[1]), z(p[2]), w(p[3]) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }
    D3DXVECTOR4 operator+(const D3DXVECTOR4& v) const { return D3DXVECTOR4(x + v.x, y + v.y, z + v.z, w + v.w); }
    D3DXVECTOR4 operator-(const D3DXVECTOR4& v) const { return D3DXVECTOR4(x - v.x, y - v.y, z - v.z, w - v.w); }
    D3DXVECTOR4 operator*(float f) const { return D3DXVECTOR4(x * f, y * f, z * f, w * f); }
    bool operator==(const D3DXVECTOR4& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
    bool operator!=(const D3DXVECTOR4& v) const { return !(*this == v); }

    float x;
    float y;
    float z;
    float w;
};

// Default-constructed as all zero; call D3DXMatrixIdentity for the identity.
struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX();
    D3DXMATRIX(const D3DMATRIX& mat) : D3DMATRIX(mat) {}
    explicit D3DXMATRIX(const float* p);
    D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24, float m31,
               float m32, float m33, float m34, float m41, float m42, float m43, float m44);

    float& operator()(unsigned row, unsigned col) { return m[row][col]; }
    float operator()(unsigned row, unsigned col) const { return m[row][col]; }
    operator float*() { return &_11; }
    operator const float*() const { return &_11; }

    D3DXMATRIX& operator*=(const D3DXMATRIX& mat);
    D3DXMATRIX& operator+=(const D3DXMATRIX& mat);
    D3DXMATRIX& operator-=(const D3DXMATRIX& mat);
    D3DXMATRIX& operator*=(float f);
    D3DXMATRIX& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXMATRIX operator*(const D3DXMATRIX& mat) const;
    D3DXMATRIX operator+(const D3DXMATRIX& mat) const;
    D3DXMATRIX operator-(const D3DXMATRIX& mat) const;
    D3DXMATRIX operator*(float f) const;
    bool operator==(const D3DXMATRIX& mat) const;
    bool operator!=(const D3DXMATRIX& mat) const { return !(*this == mat); }
};

// (x, y, z) is sin(angle/2) times the axis, w is cos(angle/2).
struct D3DXQUATERNION {
    D3DXQUATERNION() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
    D3DXQUATERNION(float qx, float qy, float qz, float qw) : x(qx), y(qy), z(qz), w(qw) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }
    // D3DX order: q1 * q2 rotates by q1 first, then by q2.
    D3DXQUATERNION operator*(const D3DXQUATERNION& q) const;
    D3DXQUATERNION& operator*=(const D3DXQUATERNION& q) { return *this = *this * q; }
    D3DXQUATERNION operator+(const D3DXQUATERNION& q) const {
        return D3DXQUATERNION(x + q.x, y + q.y, z + q.z, w + q.w);
    }
    D3DXQUATERNION operator-(const D3DXQUATERNION& q) const {
        return D3DXQUATERNION(x - q.x, y - q.y, z - q.z, w - q.w);
    }
    D3DXQUATERNION operator*(float f) const { return D3DXQUATERNION(x * f, y * f, z * f, w * f); }
    bool operator==(const D3DXQUATERNION& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
    bool operator!=(const D3DXQUATERNION& q) const { return !(*this == q); }

    float x;
    float y;
    float z;
    float w;
};

// Points p with a px + b py + c pz + d = 0.
struct D3DXPLANE {
    D3DXPLANE() : a(0.0f), b(0.0f), c(0.0f), d(0.0f) {}
    D3DXPLANE(float pa, float pb, float pc, float pd) : a(pa), b(pb), c(pc), d(pd) {}
    explicit D3DXPLANE(const float* p) : a(p[0]), b(p[1]), c(p[2]), d(p[3]) {}

    operator float*() { return &a; }
    operator const float*() const { return &a; }
    bool operator==(const D3DXPLANE& p) const { return a == p.a && b == p.b && c == p.c && d == p.d; }
    bool operator!=(const D3DXPLANE& p) const { return !(*this == p); }

    float a;
    float b;
    float c;
    float d;
};

struct D3DXCOLOR {
    D3DXCOLOR() : r(0.0f), g(0.0f), b(0.0f), a(0.0f) {}
    D3DXCOLOR(float cr, float cg, float cb, float ca) : r(cr), g(cg), b(cb), a(ca) {}
    D3DXCOLOR(D3DCOLOR argb);
    D3DXCOLOR(const D3DCOLORVALUE& c) : r(c.r), g(c.g), b(c.b), a(c.a) {}

    // Components are clamped to [0, 1] before packing.
    operator D3DCOLOR() const;
    operator D3DCOLORVALUE() const { return D3DCOLORVALUE{r, g, b, a}; }
    operator float*() { return &r; }
    operator const float*() const { return &r; }
    D3DXCOLOR operator*(float f) const { return D3DXCOLOR(r * f, g * f, b * f, a * f); }
    D3DXCOLOR operator+(const D3DXCOLOR& c) const { return D3DXCOLOR(r + c.r, g + c.g, b + c.b, a + c.a); }
    bool operator==(const D3DXCOLOR& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
    bool operator!=(const D3DXCOLOR& c) const { return !(*this == c); }

    float r;
    float g;
    float b;
    float a;
};

inline D3DXVECTOR2 operator*(float f, const D3DXVECTOR2& v) { return v * f; }
inline D3DXVECTOR3 operator*(float f, const D3DXVECTOR3& v) { return v * f; }
inline D3DXVECTOR4 operator*(float f, const D3DXVECTOR4& v) { return v * f; }
inline D3DXMATRIX operator*(float f, const D3DXMATRIX& m) { return m * f; }
inline D3DXQUATERNION operator*(float f, const D3DXQUATERNION& q) { return q * f; }
inline D3DXCOLOR operator*(float f, const D3DXCOLOR& c) { return c * f; }

float D3DXVec2Length(const D3DXVECTOR2* pV);
float D3DXVec2Dot(const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2);
D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV);

float D3DXVec3Length(const D3DXVECTOR3* pV);
float D3DXVec3LengthSq(const D3DXVECTOR3* pV);
float D3DXVec3Dot(const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2);
D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2);
D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2);
D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, float s);
D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2, float s);
D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2);
D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2);
// A zero vector stays zero.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV);
// (x, y, z, 1) M
D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
// (x, y, z, 1) M divided by its w (left undivided when w is 0).
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
// (x, y, z, 0) M
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
// Object space to viewport pixels and depth; a null viewport or matrix counts as the identity.
D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT9* pViewport,
                             const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld);
// The inverse of D3DXVec3Project; returns null (pOut untouched) when world * view * projection
// cannot be inverted or the viewport has no width, height or depth range.
D3DXVECTOR3* D3DXVec3Unproject(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT9* pViewport,
                               const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld);

float D3DXVec4Length(const D3DXVECTOR4* pV);
float D3DXVec4Dot(const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2);
D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV);
D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM);

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut);
bool D3DXMatrixIsIdentity(const D3DXMATRIX* pM);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM);
float D3DXMatrixDeterminant(const D3DXMATRIX* pM);
// Returns null and leaves pOut untouched when the matrix is singular; pDeterminant may be null.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, float* pDeterminant, const D3DXMATRIX* pM);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float angle);
// Clockwise about the axis when looking along it toward the origin; a zero axis gives the identity.
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pAxis, float angle);
// Roll about z first, then pitch about x, then yaw about y.
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, float yaw, float pitch, float roll);
D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect, float zn, float zf);
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* pOut, float w, float h, float zn, float zf);
D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, float l, float r, float b, float t, float zn, float zf);
// Mirror through the plane (normalised first).
D3DXMATRIX* D3DXMatrixReflect(D3DXMATRIX* pOut, const D3DXPLANE* pPlane);

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* pOut);
float D3DXQuaternionLength(const D3DXQUATERNION* pQ);
float D3DXQuaternionDot(const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2);
D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ);
// A zero quaternion gives the zero quaternion, never a division by zero.
D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ);
D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ);
// pQ1 then pQ2, as for matrices: the Hamilton product q2 q1.
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2);
D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pAxis, float angle);
D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, float yaw, float pitch, float roll);
// The rotation part of a row-vector matrix.
D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM);
// Spherical interpolation along the shorter arc.
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2,
                                    float t);
// Axis (x, y, z) as stored, angle 2 acos(w) with w clamped to [-1, 1].
void D3DXQuaternionToAxisAngle(const D3DXQUATERNION* pQ, D3DXVECTOR3* pAxis, float* pAngle);

float D3DXPlaneDot(const D3DXPLANE* pP, const D3DXVECTOR4* pV);
float D3DXPlaneDotCoord(const D3DXPLANE* pP, const D3DXVECTOR3* pV);
float D3DXPlaneDotNormal(const D3DXPLANE* pP, const D3DXVECTOR3* pV);
// A plane with a zero normal stays as it is.
D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP);
D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal);
// Normal = normalized (p2 - p1) x (p3 - p1).
D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2, const D3DXVECTOR3* pV3);
// (a, b, c, d) M as a row vector; pass the inverse transpose of the point transform.
D3DXPLANE* D3DXPlaneTransform(D3DXPLANE* pOut, const D3DXPLANE* pP, const D3DXMATRIX* pM);
// Null when the line through pV1 and pV2 is parallel to the plane.
D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* pOut, const D3DXPLANE* pP, const D3DXVECTOR3* pV1,
                                    const D3DXVECTOR3* pV2);

D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2, float s);
D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2);
