// common::CMatrix3, the 3x3 matrix of inertia tensors and rotations, with the conversions to and
// from quaternions and Euler angles. Column vectors: M * v dots each row with v. Value type. The
// element access and the products are inline for the contact solver.
#pragma once

#include "libs/common/quaternion.h"
#include "libs/common/vector3.h"

namespace common {

class CMatrix3 {
public:
    // The identity.
    CMatrix3() { Set(1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f); }

    // The nine values row by row.
    void Set(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22) {
        m_m[0] = m00;
        m_m[3] = m01;
        m_m[6] = m02;
        m_m[1] = m10;
        m_m[4] = m11;
        m_m[7] = m12;
        m_m[2] = m20;
        m_m[5] = m21;
        m_m[8] = m22;
    }
    void SetZero();

    float& operator()(int row, int col) { return m_m[row + 3 * col]; }
    float operator()(int row, int col) const { return m_m[row + 3 * col]; }

    CMatrix3& operator*=(float f);

    // Gram-Schmidt on the columns, first column kept in direction.
    void Orthonormalize();

private:
    // Column-major: element (row, col) at row + 3 col.
    float m_m[9];
};

inline CMatrix3 operator*(const CMatrix3& a, const CMatrix3& b) {
    CMatrix3 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r(i, j) = a(i, 0) * b(0, j) + a(i, 1) * b(1, j) + a(i, 2) * b(2, j);
        }
    }
    return r;
}

inline CVector3 operator*(const CMatrix3& m, const CVector3& v) {
    return CVector3(m(0, 0) * v.x + m(0, 1) * v.y + m(0, 2) * v.z, m(1, 0) * v.x + m(1, 1) * v.y + m(1, 2) * v.z,
                    m(2, 0) * v.x + m(2, 1) * v.y + m(2, 2) * v.z);
}

// Adjugate over determinant; a singular matrix (determinant exactly zero, or not finite) gives
// the identity, so callers never see infinities.
CMatrix3 InverseMatrix(const CMatrix3& m);
// Rotation of q with s = 2 / |q|^2; the zero quaternion gives the identity.
CMatrix3 QuaternionToMatrix(const CQuaternion& q);
CQuaternion QuaternionFromMatrix(const CMatrix3& m);
// R = Rx(x) Ry(y) Rz(z), angles in radians.
CMatrix3 MatrixFromEuler(float x, float y, float z);

} // namespace common
