// The D3DX quaternion, plane and colour functions declared in d3dx9_math.h.
#include <algorithm>
#include <cmath>

#include "platform/d3d9/d3dx9_math.h"

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* pOut) {
    *pOut = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    return pOut;
}

float D3DXQuaternionLength(const D3DXQUATERNION* pQ) { return std::sqrt(D3DXQuaternionDot(pQ, pQ)); }

float D3DXQuaternionDot(const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2) {
    return pQ1->x * pQ2->x + pQ1->y * pQ2->y + pQ1->z * pQ2->z + pQ1->w * pQ2->w;
}

D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
    *pOut = D3DXQUATERNION(-pQ->x, -pQ->y, -pQ->z, pQ->w);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
    const float len = D3DXQuaternionLength(pQ);
    if (len == 0.0f) {
        *pOut = D3DXQUATERNION();
        return pOut;
    }
    const float inv = 1.0f / len;
    *pOut = D3DXQUATERNION(pQ->x * inv, pQ->y * inv, pQ->z * inv, pQ->w * inv);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
    const float normSq = D3DXQuaternionDot(pQ, pQ);
    if (normSq == 0.0f) {
        *pOut = D3DXQUATERNION();
        return pOut;
    }
    const float inv = 1.0f / normSq;
    *pOut = D3DXQUATERNION(-pQ->x * inv, -pQ->y * inv, -pQ->z * inv, pQ->w * inv);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2) {
    const D3DXQUATERNION& a = *pQ2;
    const D3DXQUATERNION& b = *pQ1;
    *pOut =
        D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y + a.y * b.w + a.z * b.x - a.x * b.z,
                       a.w * b.z + a.z * b.w + a.x * b.y - a.y * b.x, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pAxis, float angle) {
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, pAxis);
    if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f) {
        return D3DXQuaternionIdentity(pOut);
    }
    const float s = std::sin(angle * 0.5f);
    *pOut = D3DXQUATERNION(v.x * s, v.y * s, v.z * s, std::cos(angle * 0.5f));
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, float yaw, float pitch, float roll) {
    const D3DXVECTOR3 ax(1.0f, 0.0f, 0.0f), ay(0.0f, 1.0f, 0.0f), az(0.0f, 0.0f, 1.0f);
    D3DXQUATERNION qy, qx, qz;
    D3DXQuaternionRotationAxis(&qz, &az, roll);
    D3DXQuaternionRotationAxis(&qx, &ax, pitch);
    D3DXQuaternionRotationAxis(&qy, &ay, yaw);
    *pOut = qz * qx * qy;
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM) {
    // r(i, j) is the column-vector form of the rotation, the transpose of the row-vector matrix.
    const auto r = [pM](int i, int j) { return pM->m[j][i]; };
    const float trace = r(0, 0) + r(1, 1) + r(2, 2);
    float q[4];
    if (trace > 0.0f) {
        const float s = std::sqrt(trace + 1.0f);
        const float t = 0.5f / s;
        q[3] = s * 0.5f;
        q[0] = (r(2, 1) - r(1, 2)) * t;
        q[1] = (r(0, 2) - r(2, 0)) * t;
        q[2] = (r(1, 0) - r(0, 1)) * t;
    } else {
        int i = 0;
        if (r(1, 1) > r(0, 0)) {
            i = 1;
        }
        if (r(2, 2) > r(i, i)) {
            i = 2;
        }
        const int j = (i + 1) % 3;
        const int k = (i + 2) % 3;
        const float radicand = r(i, i) - r(j, j) - r(k, k) + 1.0f;
        if (radicand <= 0.0f) {
            return D3DXQuaternionIdentity(pOut);
        }
        const float s = std::sqrt(radicand);
        const float t = 0.5f / s;
        q[i] = s * 0.5f;
        q[3] = (r(k, j) - r(j, k)) * t;
        q[j] = (r(j, i) + r(i, j)) * t;
        q[k] = (r(k, i) + r(i, k)) * t;
    }
    *pOut = D3DXQUATERNION(q[0], q[1], q[2], q[3]);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2,
                                    float t) {
    float cosom = D3DXQuaternionDot(pQ1, pQ2);
    float sign = 1.0f;
    if (cosom < 0.0f) {
        cosom = -cosom;
        sign = -1.0f;
    }
    float k1 = 1.0f - t;
    float k2 = t;
    // Nearly equal rotations: the sine below would vanish, and linear blending is exact enough.
    if (cosom < 0.9999f) {
        const float omega = std::acos(std::min(cosom, 1.0f));
        const float sinom = std::sin(omega);
        k1 = std::sin((1.0f - t) * omega) / sinom;
        k2 = std::sin(t * omega) / sinom;
    }
    k2 *= sign;
    *pOut = D3DXQUATERNION(k1 * pQ1->x + k2 * pQ2->x, k1 * pQ1->y + k2 * pQ2->y, k1 * pQ1->z + k2 * pQ2->z,
                           k1 * pQ1->w + k2 * pQ2->w);
    return pOut;
}

void D3DXQuaternionToAxisAngle(const D3DXQUATERNION* pQ, D3DXVECTOR3* pAxis, float* pAngle) {
    if (pAxis != nullptr) {
        *pAxis = D3DXVECTOR3(pQ->x, pQ->y, pQ->z);
    }
    if (pAngle != nullptr) {
        *pAngle = 2.0f * std::acos(std::max(-1.0f, std::min(1.0f, pQ->w)));
    }
}

float D3DXPlaneDot(const D3DXPLANE* pP, const D3DXVECTOR4* pV) {
    return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z + pP->d * pV->w;
}

float D3DXPlaneDotCoord(const D3DXPLANE* pP, const D3DXVECTOR3* pV) {
    return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z + pP->d;
}

float D3DXPlaneDotNormal(const D3DXPLANE* pP, const D3DXVECTOR3* pV) {
    return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z;
}

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP) {
    const float len = std::sqrt(pP->a * pP->a + pP->b * pP->b + pP->c * pP->c);
    if (len == 0.0f) {
        *pOut = *pP;
        return pOut;
    }
    const float inv = 1.0f / len;
    *pOut = D3DXPLANE(pP->a * inv, pP->b * inv, pP->c * inv, pP->d * inv);
    return pOut;
}

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal) {
    *pOut = D3DXPLANE(pNormal->x, pNormal->y, pNormal->z, -D3DXVec3Dot(pPoint, pNormal));
    return pOut;
}

D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                               const D3DXVECTOR3* pV3) {
    const D3DXVECTOR3 e1 = *pV2 - *pV1;
    const D3DXVECTOR3 e2 = *pV3 - *pV1;
    D3DXVECTOR3 n;
    D3DXVec3Cross(&n, &e1, &e2);
    D3DXVec3Normalize(&n, &n);
    return D3DXPlaneFromPointNormal(pOut, pV1, &n);
}

D3DXPLANE* D3DXPlaneTransform(D3DXPLANE* pOut, const D3DXPLANE* pP, const D3DXMATRIX* pM) {
    const D3DXVECTOR4 v(pP->a, pP->b, pP->c, pP->d);
    D3DXVECTOR4 r;
    D3DXVec4Transform(&r, &v, pM);
    *pOut = D3DXPLANE(r.x, r.y, r.z, r.w);
    return pOut;
}

D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* pOut, const D3DXPLANE* pP, const D3DXVECTOR3* pV1,
                                    const D3DXVECTOR3* pV2) {
    const D3DXVECTOR3 dir = *pV2 - *pV1;
    const float denom = D3DXPlaneDotNormal(pP, &dir);
    if (denom == 0.0f) {
        return nullptr;
    }
    const float t = -D3DXPlaneDotCoord(pP, pV1) / denom;
    *pOut = *pV1 + dir * t;
    return pOut;
}

D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2, float s) {
    *pOut = D3DXCOLOR(pC1->r + s * (pC2->r - pC1->r), pC1->g + s * (pC2->g - pC1->g), pC1->b + s * (pC2->b - pC1->b),
                      pC1->a + s * (pC2->a - pC1->a));
    return pOut;
}

D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2) {
    *pOut = D3DXCOLOR(pC1->r * pC2->r, pC1->g * pC2->g, pC1->b * pC2->b, pC1->a * pC2->a);
    return pOut;
}
