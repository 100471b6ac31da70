// common::CMatrix3, the 3x3 matrix of inertia tensors and rotations, with the conversions to and
// from quaternions and Euler angles. Column vectors: M * v dots each row with v. Value type.
#pragma once

#include "libs/common/quaternion.h"
#include "libs/common/vector3.h"

namespace common {

class CMatrix3 {
public:
    // The identity.
    CMatrix3();

    // The nine values row by row.
    void Set(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22);
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

CMatrix3 operator*(const CMatrix3& a, const CMatrix3& b);
CVector3 operator*(const CMatrix3& m, const CVector3& v);

// Adjugate over determinant; a singular matrix (determinant exactly zero, or not finite) gives
// the identity, so callers never see infinities.
CMatrix3 InverseMatrix(const CMatrix3& m);
// Rotation of q with s = 2 / |q|^2; the zero quaternion gives the identity.
CMatrix3 QuaternionToMatrix(const CQuaternion& q);
CQuaternion QuaternionFromMatrix(const CMatrix3& m);
// R = Rx(x) Ry(y) Rz(z), angles in radians.
CMatrix3 MatrixFromEuler(float x, float y, float z);

} // namespace common
