#include "platform/d3d9/d3dx9_math.h"

#include <algorithm>
#include <cmath>

namespace {

D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

D3DXMATRIX IdentityMatrix() {
    D3DXMATRIX r;
    D3DXMatrixIdentity(&r);
    return r;
}

// world * view * projection with null meaning the identity.
D3DXMATRIX Combined(const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
    D3DXMATRIX r = pWorld != nullptr ? *pWorld : IdentityMatrix();
    if (pView != nullptr) {
        r = Product(r, *pView);
    }
    if (pProjection != nullptr) {
        r = Product(r, *pProjection);
    }
    return r;
}

float Saturate(float v) { return std::min(1.0f, std::max(0.0f, v)); }

} // namespace

// Value-initialising the base zeroes all sixteen elements.
D3DXMATRIX::D3DXMATRIX() : D3DMATRIX{} {}

D3DXMATRIX::D3DXMATRIX(const float* p) : D3DMATRIX{} {
    for (int i = 0; i < 16; ++i) {
        m[i / 4][i % 4] = p[i];
    }
}

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
                       float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44)
    : D3DMATRIX{} {
    const float v[16] = {m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44};
    for (int i = 0; i < 16; ++i) {
        m[i / 4][i % 4] = v[i];
    }
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat) { return *this = Product(*this, mat); }

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& mat) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m[i][j] += mat.m[i][j];
        }
    }
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& mat) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m[i][j] -= mat.m[i][j];
        }
    }
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator*=(float f) {
    for (auto& row : m) {
        for (float& e : row) {
            e *= f;
        }
    }
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const { return Product(*this, mat); }

D3DXMATRIX D3DXMATRIX::operator+(const D3DXMATRIX& mat) const {
    D3DXMATRIX r(*this);
    return r += mat;
}

D3DXMATRIX D3DXMATRIX::operator-(const D3DXMATRIX& mat) const {
    D3DXMATRIX r(*this);
    return r -= mat;
}

D3DXMATRIX D3DXMATRIX::operator*(float f) const {
    D3DXMATRIX r(*this);
    return r *= f;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& mat) const {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (m[i][j] != mat.m[i][j]) {
                return false;
            }
        }
    }
    return true;
}

D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION& q) const {
    D3DXQUATERNION r;
    D3DXQuaternionMultiply(&r, this, &q);
    return r;
}

D3DXCOLOR::D3DXCOLOR(D3DCOLOR argb)
    : r(float((argb >> 16) & 0xffu) / 255.0f),
      g(float((argb >> 8) & 0xffu) / 255.0f),
      b(float(argb & 0xffu) / 255.0f),
      a(float((argb >> 24) & 0xffu) / 255.0f) {}

D3DXCOLOR::operator D3DCOLOR() const {
    const auto byte = [](float v) { return DWORD(Saturate(v) * 255.0f + 0.5f); };
    return D3DCOLOR_ARGB(byte(a), byte(r), byte(g), byte(b));
}

float D3DXVec2Length(const D3DXVECTOR2* pV) { return std::sqrt(pV->x * pV->x + pV->y * pV->y); }

float D3DXVec2Dot(const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) { return pV1->x * pV2->x + pV1->y * pV2->y; }

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV) {
    const float len = D3DXVec2Length(pV);
    *pOut = len > 0.0f ? *pV / len : D3DXVECTOR2();
    return pOut;
}

float D3DXVec3Length(const D3DXVECTOR3* pV) { return std::sqrt(D3DXVec3LengthSq(pV)); }

float D3DXVec3LengthSq(const D3DXVECTOR3* pV) { return pV->x * pV->x + pV->y * pV->y + pV->z * pV->z; }

float D3DXVec3Dot(const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    const D3DXVECTOR3 r(pV1->y * pV2->z - pV1->z * pV2->y, pV1->z * pV2->x - pV1->x * pV2->z,
                        pV1->x * pV2->y - pV1->y * pV2->x);
    *pOut = r;
    return pOut;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = *pV1 + *pV2;
    return pOut;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = *pV1 - *pV2;
    return pOut;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, float s) {
    *pOut = *pV * s;
    return pOut;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2, float s) {
    *pOut = *pV1 + (*pV2 - *pV1) * s;
    return pOut;
}

D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = D3DXVECTOR3(std::min(pV1->x, pV2->x), std::min(pV1->y, pV2->y), std::min(pV1->z, pV2->z));
    return pOut;
}

D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = D3DXVECTOR3(std::max(pV1->x, pV2->x), std::max(pV1->y, pV2->y), std::max(pV1->z, pV2->z));
    return pOut;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
    const float len = D3DXVec3Length(pV);
    *pOut = len > 0.0f ? *pV / len : D3DXVECTOR3();
    return pOut;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR4 v(*pV, 1.0f);
    return D3DXVec4Transform(pOut, &v, pM);
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, pV, pM);
    const float inv = r.w != 0.0f ? 1.0f / r.w : 1.0f;
    *pOut = D3DXVECTOR3(r.x * inv, r.y * inv, r.z * inv);
    return pOut;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    const D3DXMATRIX& m = *pM;
    const D3DXVECTOR3 r(pV->x * m._11 + pV->y * m._21 + pV->z * m._31, pV->x * m._12 + pV->y * m._22 + pV->z * m._32,
                        pV->x * m._13 + pV->y * m._23 + pV->z * m._33);
    *pOut = r;
    return pOut;
}

D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT9* pViewport,
                             const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
    const D3DXMATRIX m = Combined(pProjection, pView, pWorld);
    D3DXVECTOR3 p;
    D3DXVec3TransformCoord(&p, pV, &m);
    if (pViewport != nullptr) {
        const D3DVIEWPORT9& vp = *pViewport;
        p.x = float(vp.X) + (1.0f + p.x) * float(vp.Width) * 0.5f;
        p.y = float(vp.Y) + (1.0f - p.y) * float(vp.Height) * 0.5f;
        p.z = vp.MinZ + p.z * (vp.MaxZ - vp.MinZ);
    }
    *pOut = p;
    return pOut;
}

D3DXVECTOR3* D3DXVec3Unproject(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT9* pViewport,
                               const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
    D3DXMATRIX inv;
    const D3DXMATRIX m = Combined(pProjection, pView, pWorld);
    if (D3DXMatrixInverse(&inv, nullptr, &m) == nullptr) {
        return nullptr;
    }
    D3DXVECTOR3 p = *pV;
    if (pViewport != nullptr) {
        const D3DVIEWPORT9& vp = *pViewport;
        const float depth = vp.MaxZ - vp.MinZ;
        if (vp.Width == 0 || vp.Height == 0 || depth == 0.0f) {
            return nullptr;
        }
        p.x = 2.0f * (pV->x - float(vp.X)) / float(vp.Width) - 1.0f;
        p.y = 1.0f - 2.0f * (pV->y - float(vp.Y)) / float(vp.Height);
        p.z = (pV->z - vp.MinZ) / depth;
    }
    D3DXVec3TransformCoord(pOut, &p, &inv);
    return pOut;
}

float D3DXVec4Length(const D3DXVECTOR4* pV) { return std::sqrt(D3DXVec4Dot(pV, pV)); }

float D3DXVec4Dot(const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
    return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z + pV1->w * pV2->w;
}

D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV) {
    const float len = D3DXVec4Length(pV);
    *pOut = len > 0.0f ? *pV * (1.0f / len) : D3DXVECTOR4();
    return pOut;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM) {
    const D3DXMATRIX& m = *pM;
    const D3DXVECTOR4 r(pV->x * m._11 + pV->y * m._21 + pV->z * m._31 + pV->w * m._41,
                        pV->x * m._12 + pV->y * m._22 + pV->z * m._32 + pV->w * m._42,
                        pV->x * m._13 + pV->y * m._23 + pV->z * m._33 + pV->w * m._43,
                        pV->x * m._14 + pV->y * m._24 + pV->z * m._34 + pV->w * m._44);
    *pOut = r;
    return pOut;
}
