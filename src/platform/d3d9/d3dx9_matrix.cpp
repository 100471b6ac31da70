// The D3DX matrix builders: row vectors, left-handed, as declared in d3dx9_math.h.
#include <cmath>

#include "platform/d3d9/d3dx9_math.h"

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut) {
    *pOut = D3DXMATRIX(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    return pOut;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* pM) {
    D3DXMATRIX id;
    return *pM == *D3DXMatrixIdentity(&id);
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
    *pOut = *pM1 * *pM2;
    return pOut;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = pM->m[j][i];
        }
    }
    *pOut = r;
    return pOut;
}

namespace {

// Cofactor expansion in double precision: the 2x2 minors of the top two rows pair with those of
// the bottom two.
struct SMinors {
    double s[6];
    double c[6];
};

SMinors ComputeMinors(const D3DXMATRIX& m) {
    const auto e = [&m](int r, int c) { return double(m.m[r][c]); };
    SMinors k;
    k.s[0] = e(0, 0) * e(1, 1) - e(1, 0) * e(0, 1);
    k.s[1] = e(0, 0) * e(1, 2) - e(1, 0) * e(0, 2);
    k.s[2] = e(0, 0) * e(1, 3) - e(1, 0) * e(0, 3);
    k.s[3] = e(0, 1) * e(1, 2) - e(1, 1) * e(0, 2);
    k.s[4] = e(0, 1) * e(1, 3) - e(1, 1) * e(0, 3);
    k.s[5] = e(0, 2) * e(1, 3) - e(1, 2) * e(0, 3);
    k.c[5] = e(2, 2) * e(3, 3) - e(3, 2) * e(2, 3);
    k.c[4] = e(2, 1) * e(3, 3) - e(3, 1) * e(2, 3);
    k.c[3] = e(2, 1) * e(3, 2) - e(3, 1) * e(2, 2);
    k.c[2] = e(2, 0) * e(3, 3) - e(3, 0) * e(2, 3);
    k.c[1] = e(2, 0) * e(3, 2) - e(3, 0) * e(2, 2);
    k.c[0] = e(2, 0) * e(3, 1) - e(3, 0) * e(2, 1);
    return k;
}

double Determinant(const SMinors& k) {
    return k.s[0] * k.c[5] - k.s[1] * k.c[4] + k.s[2] * k.c[3] + k.s[3] * k.c[2] - k.s[4] * k.c[1] + k.s[5] * k.c[0];
}

} // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* pM) { return float(Determinant(ComputeMinors(*pM))); }

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, float* pDeterminant, const D3DXMATRIX* pM) {
    const SMinors k = ComputeMinors(*pM);
    const double det = Determinant(k);
    if (pDeterminant != nullptr) {
        *pDeterminant = float(det);
    }
    if (det == 0.0 || !std::isfinite(det)) {
        return nullptr;
    }
    const auto e = [pM](int r, int c) { return double(pM->m[r][c]); };
    const double inv = 1.0 / det;
    const double* s = k.s;
    const double* c = k.c;
    const double r[16] = {
        (e(1, 1) * c[5] - e(1, 2) * c[4] + e(1, 3) * c[3]) * inv,
        (-e(0, 1) * c[5] + e(0, 2) * c[4] - e(0, 3) * c[3]) * inv,
        (e(3, 1) * s[5] - e(3, 2) * s[4] + e(3, 3) * s[3]) * inv,
        (-e(2, 1) * s[5] + e(2, 2) * s[4] - e(2, 3) * s[3]) * inv,
        (-e(1, 0) * c[5] + e(1, 2) * c[2] - e(1, 3) * c[1]) * inv,
        (e(0, 0) * c[5] - e(0, 2) * c[2] + e(0, 3) * c[1]) * inv,
        (-e(3, 0) * s[5] + e(3, 2) * s[2] - e(3, 3) * s[1]) * inv,
        (e(2, 0) * s[5] - e(2, 2) * s[2] + e(2, 3) * s[1]) * inv,
        (e(1, 0) * c[4] - e(1, 1) * c[2] + e(1, 3) * c[0]) * inv,
        (-e(0, 0) * c[4] + e(0, 1) * c[2] - e(0, 3) * c[0]) * inv,
        (e(3, 0) * s[4] - e(3, 1) * s[2] + e(3, 3) * s[0]) * inv,
        (-e(2, 0) * s[4] + e(2, 1) * s[2] - e(2, 3) * s[0]) * inv,
        (-e(1, 0) * c[3] + e(1, 1) * c[1] - e(1, 2) * c[0]) * inv,
        (e(0, 0) * c[3] - e(0, 1) * c[1] + e(0, 2) * c[0]) * inv,
        (-e(3, 0) * s[3] + e(3, 1) * s[1] - e(3, 2) * s[0]) * inv,
        (e(2, 0) * s[3] - e(2, 1) * s[1] + e(2, 2) * s[0]) * inv,
    };
    for (int i = 0; i < 16; ++i) {
        pOut->m[i / 4][i % 4] = float(r[i]);
    }
    return pOut;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z) {
    D3DXMatrixIdentity(pOut);
    pOut->_41 = x;
    pOut->_42 = y;
    pOut->_43 = z;
    return pOut;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz) {
    D3DXMatrixIdentity(pOut);
    pOut->_11 = sx;
    pOut->_22 = sy;
    pOut->_33 = sz;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle) {
    const float s = std::sin(angle), c = std::cos(angle);
    D3DXMatrixIdentity(pOut);
    pOut->_22 = c;
    pOut->_23 = s;
    pOut->_32 = -s;
    pOut->_33 = c;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float angle) {
    const float s = std::sin(angle), c = std::cos(angle);
    D3DXMatrixIdentity(pOut);
    pOut->_11 = c;
    pOut->_13 = -s;
    pOut->_31 = s;
    pOut->_33 = c;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float angle) {
    const float s = std::sin(angle), c = std::cos(angle);
    D3DXMatrixIdentity(pOut);
    pOut->_11 = c;
    pOut->_12 = s;
    pOut->_21 = -s;
    pOut->_22 = c;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pAxis, float angle) {
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, pAxis);
    if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f) {
        return D3DXMatrixIdentity(pOut);
    }
    const float s = std::sin(angle), c = std::cos(angle), t = 1.0f - c;
    D3DXMatrixIdentity(pOut);
    pOut->_11 = c + t * v.x * v.x;
    pOut->_12 = t * v.x * v.y + s * v.z;
    pOut->_13 = t * v.x * v.z - s * v.y;
    pOut->_21 = t * v.x * v.y - s * v.z;
    pOut->_22 = c + t * v.y * v.y;
    pOut->_23 = t * v.y * v.z + s * v.x;
    pOut->_31 = t * v.x * v.z + s * v.y;
    pOut->_32 = t * v.y * v.z - s * v.x;
    pOut->_33 = c + t * v.z * v.z;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, float yaw, float pitch, float roll) {
    D3DXMATRIX rz, rx, ry;
    D3DXMatrixRotationZ(&rz, roll);
    D3DXMatrixRotationX(&rx, pitch);
    D3DXMatrixRotationY(&ry, yaw);
    *pOut = rz * rx * ry;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ) {
    const float x = pQ->x, y = pQ->y, z = pQ->z, w = pQ->w;
    D3DXMatrixIdentity(pOut);
    pOut->_11 = 1.0f - 2.0f * (y * y + z * z);
    pOut->_12 = 2.0f * (x * y + z * w);
    pOut->_13 = 2.0f * (x * z - y * w);
    pOut->_21 = 2.0f * (x * y - z * w);
    pOut->_22 = 1.0f - 2.0f * (x * x + z * z);
    pOut->_23 = 2.0f * (y * z + x * w);
    pOut->_31 = 2.0f * (x * z + y * w);
    pOut->_32 = 2.0f * (y * z - x * w);
    pOut->_33 = 1.0f - 2.0f * (x * x + y * y);
    return pOut;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp) {
    D3DXVECTOR3 zaxis, xaxis, yaxis;
    const D3DXVECTOR3 view = *pAt - *pEye;
    D3DXVec3Normalize(&zaxis, &view);
    D3DXVec3Cross(&xaxis, pUp, &zaxis);
    D3DXVec3Normalize(&xaxis, &xaxis);
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
    *pOut = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0.0f, xaxis.y, yaxis.y, zaxis.y, 0.0f, xaxis.z, yaxis.z, zaxis.z,
                       0.0f, -D3DXVec3Dot(&xaxis, pEye), -D3DXVec3Dot(&yaxis, pEye), -D3DXVec3Dot(&zaxis, pEye), 1.0f);
    return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect, float zn, float zf) {
    const float yScale = 1.0f / std::tan(fovy * 0.5f);
    const float xScale = yScale / aspect;
    const float q = zf / (zf - zn);
    *pOut =
        D3DXMATRIX(xScale, 0.0f, 0.0f, 0.0f, 0.0f, yScale, 0.0f, 0.0f, 0.0f, 0.0f, q, 1.0f, 0.0f, 0.0f, -zn * q, 0.0f);
    return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* pOut, float w, float h, float zn, float zf) {
    *pOut = D3DXMATRIX(2.0f / w, 0.0f, 0.0f, 0.0f, 0.0f, 2.0f / h, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f / (zf - zn), 0.0f, 0.0f,
                       0.0f, zn / (zn - zf), 1.0f);
    return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, float l, float r, float b, float t, float zn, float zf) {
    *pOut = D3DXMATRIX(2.0f / (r - l), 0.0f, 0.0f, 0.0f, 0.0f, 2.0f / (t - b), 0.0f, 0.0f, 0.0f, 0.0f, 1.0f / (zf - zn),
                       0.0f, (l + r) / (l - r), (t + b) / (b - t), zn / (zn - zf), 1.0f);
    return pOut;
}

D3DXMATRIX* D3DXMatrixReflect(D3DXMATRIX* pOut, const D3DXPLANE* pPlane) {
    D3DXPLANE p;
    D3DXPlaneNormalize(&p, pPlane);
    const float a = p.a, b = p.b, c = p.c, d = p.d;
    *pOut = D3DXMATRIX(1.0f - 2.0f * a * a, -2.0f * b * a, -2.0f * c * a, 0.0f, -2.0f * a * b, 1.0f - 2.0f * b * b,
                       -2.0f * c * b, 0.0f, -2.0f * a * c, -2.0f * b * c, 1.0f - 2.0f * c * c, 0.0f, -2.0f * a * d,
                       -2.0f * b * d, -2.0f * c * d, 1.0f);
    return pOut;
}
