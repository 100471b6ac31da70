#include "libs/common/matrix3.h"

#include <cmath>
#include <limits>

#include "libs/common/math_util.h"

namespace common {

void CMatrix3::SetZero() {
    for (float& e : m_m) {
        e = 0.0f;
    }
}

CMatrix3& CMatrix3::operator*=(float f) {
    for (float& e : m_m) {
        e *= f;
    }
    return *this;
}

void CMatrix3::Orthonormalize() {
    CMatrix3& m = *this;
    CVector3 c0(m(0, 0), m(1, 0), m(2, 0));
    CVector3 c1(m(0, 1), m(1, 1), m(2, 1));
    CVector3 c2(m(0, 2), m(1, 2), m(2, 2));
    c0.Normalize();
    c1 -= c0.Dot(c1) * c0;
    c1.Normalize();
    c2 -= c0.Dot(c2) * c0 + c1.Dot(c2) * c1;
    c2.Normalize();
    Set(c0.x, c1.x, c2.x, c0.y, c1.y, c2.y, c0.z, c1.z, c2.z);
}

CMatrix3 InverseMatrix(const CMatrix3& m) {
    const double c00 = double(m(1, 1)) * m(2, 2) - double(m(1, 2)) * m(2, 1);
    const double c01 = double(m(1, 2)) * m(2, 0) - double(m(1, 0)) * m(2, 2);
    const double c02 = double(m(1, 0)) * m(2, 1) - double(m(1, 1)) * m(2, 0);
    const double det = m(0, 0) * c00 + m(0, 1) * c01 + m(0, 2) * c02;
    CMatrix3 r;
    // Only an exactly singular matrix is refused: the determinant scales with the cube of the
    // entries, so a small but invertible inertia tensor has one far below any epsilon.
    if (det == 0.0 || !std::isfinite(det)) {
        return r;
    }
    const double inv = 1.0 / det;
    // Inverse = adjugate / det, the adjugate being the transposed cofactor matrix; element
    // (row, col) of the result at row + 3 col.
    const double e[9] = {
        c00 * inv,
        c01 * inv,
        c02 * inv,
        (double(m(0, 2)) * m(2, 1) - double(m(0, 1)) * m(2, 2)) * inv,
        (double(m(0, 0)) * m(2, 2) - double(m(0, 2)) * m(2, 0)) * inv,
        (double(m(0, 1)) * m(2, 0) - double(m(0, 0)) * m(2, 1)) * inv,
        (double(m(0, 1)) * m(1, 2) - double(m(0, 2)) * m(1, 1)) * inv,
        (double(m(0, 2)) * m(1, 0) - double(m(0, 0)) * m(1, 2)) * inv,
        (double(m(0, 0)) * m(1, 1) - double(m(0, 1)) * m(1, 0)) * inv,
    };
    // A nearly singular matrix whose inverse does not fit a float counts as singular.
    for (const double value : e) {
        if (!(std::fabs(value) <= double(std::numeric_limits<float>::max()))) {
            return r;
        }
    }
    for (int i = 0; i < 9; ++i) {
        r(i % 3, i / 3) = float(e[i]);
    }
    return r;
}

CMatrix3 QuaternionToMatrix(const CQuaternion& q) {
    CMatrix3 r;
    const float normSq = q.LengthSquared();
    if (IsZero(normSq)) {
        return r;
    }
    const float s = 2.0f / normSq;
    const float xs = q.x * s, ys = q.y * s, zs = q.z * s;
    const float wx = q.w * xs, wy = q.w * ys, wz = q.w * zs;
    const float xx = q.x * xs, xy = q.x * ys, xz = q.x * zs;
    const float yy = q.y * ys, yz = q.y * zs, zz = q.z * zs;
    r.Set(1.0f - (yy + zz), xy - wz, xz + wy, xy + wz, 1.0f - (xx + zz), yz - wx, xz - wy, yz + wx, 1.0f - (xx + yy));
    return r;
}

CQuaternion QuaternionFromMatrix(const CMatrix3& m) {
    CQuaternion q;
    const float trace = m(0, 0) + m(1, 1) + m(2, 2);
    if (trace > 0.0f) {
        const float s = std::sqrt(trace + 1.0f);
        q.w = s * 0.5f;
        const float t = 0.5f / s;
        q.x = (m(2, 1) - m(1, 2)) * t;
        q.y = (m(0, 2) - m(2, 0)) * t;
        q.z = (m(1, 0) - m(0, 1)) * t;
        return q;
    }
    int i = 0;
    if (m(1, 1) > m(0, 0)) {
        i = 1;
    }
    if (m(2, 2) > m(i, i)) {
        i = 2;
    }
    const int j = (i + 1) % 3;
    const int k = (i + 2) % 3;
    const float radicand = m(i, i) - m(j, j) - m(k, k) + 1.0f;
    // Only a matrix that is no rotation (e.g. all zero) reaches a non-positive radicand.
    if (radicand < FLOAT_EPSILON) {
        q.SetIdentity();
        return q;
    }
    const float s = std::sqrt(radicand);
    float v[3];
    v[i] = s * 0.5f;
    const float t = 0.5f / s;
    q.w = (m(k, j) - m(j, k)) * t;
    v[j] = (m(j, i) + m(i, j)) * t;
    v[k] = (m(k, i) + m(i, k)) * t;
    q.x = v[0];
    q.y = v[1];
    q.z = v[2];
    return q;
}

CMatrix3 MatrixFromEuler(float x, float y, float z) {
    const float sx = std::sin(x), cx = std::cos(x);
    const float sy = std::sin(y), cy = std::cos(y);
    const float sz = std::sin(z), cz = std::cos(z);
    CMatrix3 r;
    r.Set(cy * cz, -cy * sz, sy, cx * sz + sx * sy * cz, cx * cz - sx * sy * sz, -sx * cy, sx * sz - cx * sy * cz,
          sx * cz + cx * sy * sz, cx * cy);
    return r;
}

} // namespace common
