#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "libs/common/frustum.h"
#include "libs/common/geometry.h"
#include "libs/common/math_util.h"
#include "libs/common/matrix3.h"
#include "libs/common/quaternion.h"
#include "libs/common/triangle.h"
#include "libs/common/vector3.h"

using common::CAABB;
using common::CFrustum;
using common::CMatrix3;
using common::CQuaternion;
using common::CSphere;
using common::CTriangle;
using common::CVector3;

namespace {

constexpr float kTol = 1e-5f;

void ExpectVec(const CVector3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, kTol);
    EXPECT_NEAR(v.y, y, kTol);
    EXPECT_NEAR(v.z, z, kTol);
}

void ExpectMatrixNear(const CMatrix3& a, const CMatrix3& b) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(a(r, c), b(r, c), kTol) << r << "," << c;
        }
    }
}

} // namespace

TEST(MathScalar, ConstantsAndClamp) {
    std::uint32_t bits;
    std::memcpy(&bits, &common::FLOAT_EPSILON, sizeof(bits));
    EXPECT_EQ(bits, 0x34000000u);

    struct {
        float value, low, high, expected;
    } const cases[] = {{5, 0, 1, 1}, {-1, 0, 1, 0}, {0.5f, 0, 1, 0.5f}, {0, 0, 1, 0}, {1, 0, 1, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(common::Clamp(c.value, c.low, c.high), c.expected) << c.value;
    }
    EXPECT_EQ(common::Clamp(std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f), 0.0f);
    EXPECT_FLOAT_EQ(common::DegToRad(180.0f), 3.1415927f * 0.0055555557f * 180.0f);
}

TEST(MathVector, ZeroLengthInputsGiveZeroNotNaN) {
    CVector3 zero;
    zero.Normalize();
    ExpectVec(zero, 0, 0, 0);
    ExpectVec(CVector3(1e-5f, 0, 0).GetNormalized(), 0, 0, 0);
    ExpectVec(common::ProjectOnto(CVector3(1, 2, 3), CVector3()), 0, 0, 0);
}

TEST(MathVector, Operations) {
    const CVector3 a(1, 2, 3), b(-2, 0.5f, 4);
    EXPECT_FLOAT_EQ(a.Dot(b), -2 + 1 + 12);
    ExpectVec(a.Cross(b), 2 * 4 - 3 * 0.5f, 3 * -2 - 1 * 4, 1 * 0.5f - 2 * -2);
    ExpectVec(CVector3(3, 0, 4).GetNormalized(), 0.6f, 0, 0.8f);
    ExpectVec(common::ProjectOnto(a, CVector3(0, 2, 0)), 0, 2, 0);
    EXPECT_TRUE(a == CVector3(1, 2, 3));
    EXPECT_TRUE(a != b);
    CVector3 c = a;
    c[1] = 7;
    EXPECT_EQ(c.y, 7);
    EXPECT_EQ(a.y, 2);
}

TEST(MathQuaternion, ConstructorOrderAndDefaults) {
    const CQuaternion q(0, 0, 0, 1);
    EXPECT_EQ(q.w, 1);
    EXPECT_EQ(q.x, 0);
    const CQuaternion def;
    EXPECT_EQ(def.w, 0);
    ExpectVec(q.Rotate(CVector3(1, 2, 3)), 1, 2, 3);
}

TEST(MathQuaternion, ZeroInputsStayFinite) {
    CQuaternion zero;
    zero.Normalize();
    EXPECT_EQ(zero.LengthSquared(), 0.0f);

    CQuaternion q;
    q.FromAxisAngle(CVector3(), 1.0f);
    EXPECT_EQ(q.w, 1.0f);
    EXPECT_EQ(q.x, 0.0f);

    // w a hair past 1 (drift) must not give a NaN angle.
    CVector3 axis(9, 9, 9);
    float angle = -1.0f;
    CQuaternion(0, 0, 0, 1.0000001f).ToAxisAngle(axis, angle);
    EXPECT_EQ(angle, 0.0f);
    ExpectVec(axis, 0, 0, 0);
}

TEST(MathQuaternion, AxisAngleRoundTripAndRotation) {
    CQuaternion q;
    q.FromAxisAngle(CVector3(0, 2, 0), 1.2f);
    CVector3 axis;
    float angle = 0;
    q.ToAxisAngle(axis, angle);
    EXPECT_NEAR(angle, 1.2f, kTol);
    ExpectVec(axis, 0, 1, 0);

    CQuaternion quarter;
    quarter.FromAxisAngle(CVector3(0, 0, 1), 3.14159265f / 2);
    ExpectVec(quarter.Rotate(CVector3(1, 0, 0)), 0, 1, 0);
    // The matrix of a quaternion rotates the same way.
    ExpectVec(common::QuaternionToMatrix(quarter) * CVector3(1, 0, 0), 0, 1, 0);

    // A product rotates by its right factor first.
    CQuaternion tilt;
    tilt.FromAxisAngle(CVector3(1, 1, 0), 0.8f);
    const CVector3 v(0.3f, -1.2f, 2.0f);
    const CVector3 both = (quarter * tilt).Rotate(v);
    const CVector3 stepwise = quarter.Rotate(tilt.Rotate(v));
    ExpectVec(both, stepwise.x, stepwise.y, stepwise.z);
    // q v and v q are the products with the pure quaternion (0, v).
    const CQuaternion pure(v.x, v.y, v.z, 0.0f);
    const CQuaternion left = tilt * v, right = v * tilt;
    const CQuaternion leftRef = tilt * pure, rightRef = pure * tilt;
    EXPECT_NEAR(left.w, leftRef.w, kTol);
    EXPECT_NEAR(left.z, leftRef.z, kTol);
    EXPECT_NEAR(right.x, rightRef.x, kTol);
    EXPECT_NEAR(right.w, rightRef.w, kTol);
}

TEST(MathMatrix, EulerQuaternionRoundTrip) {
    const float angles[][3] = {{0.3f, -0.2f, 1.1f}, {2.9f, 0.1f, -2.5f}, {3.14159f, 0, 0}, {0, 0, 0}};
    for (const auto& a : angles) {
        const CMatrix3 m = common::MatrixFromEuler(a[0], a[1], a[2]);
        CQuaternion q = common::QuaternionFromMatrix(m);
        ExpectMatrixNear(common::QuaternionToMatrix(q), m);
        ExpectMatrixNear(m * common::InverseMatrix(m), CMatrix3());
    }
    // Row 0 of the Euler matrix is (cy cz, -cy sz, sy).
    const CMatrix3 m = common::MatrixFromEuler(0.3f, -0.2f, 1.1f);
    EXPECT_NEAR(m(0, 2), std::sin(-0.2f), kTol);
    EXPECT_NEAR(m(0, 1), -std::cos(-0.2f) * std::sin(1.1f), kTol);
}

TEST(MathMatrix, InverseOfSmallOrScaledMatrices) {
    // Small inertia tensors have determinants far below any epsilon and are still invertible.
    const float diagonals[][3] = {{0.001f, 0.002f, 0.004f}, {1e-4f, 1e-4f, 1e-4f}, {250.0f, 0.5f, 3.0f}};
    for (const auto& d : diagonals) {
        CMatrix3 m;
        m.Set(d[0], 0, 0, 0, d[1], 0, 0, 0, d[2]);
        const CMatrix3 inverse = common::InverseMatrix(m);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(inverse(i, i) * d[i], 1.0f, kTol) << d[0];
        }
        CMatrix3 scaledRotation = common::MatrixFromEuler(0.4f, -1.0f, 2.0f);
        scaledRotation *= d[0];
        ExpectMatrixNear(scaledRotation * common::InverseMatrix(scaledRotation), CMatrix3());
    }
}

TEST(MathMatrix, DegenerateInputsAreFinite) {
    CMatrix3 singular;
    singular.SetZero();
    ExpectMatrixNear(common::InverseMatrix(singular), CMatrix3());
    CMatrix3 rankTwo;
    rankTwo.Set(1, 2, 3, 2, 4, 6, 0, 1, 5);
    ExpectMatrixNear(common::InverseMatrix(rankTwo), CMatrix3());
    // Invertible, but the inverse (1e39) does not fit a float.
    CMatrix3 tiny;
    tiny.Set(1e-39f, 0, 0, 0, 1, 0, 0, 0, 1);
    ExpectMatrixNear(common::InverseMatrix(tiny), CMatrix3());
    ExpectMatrixNear(common::QuaternionToMatrix(CQuaternion()), CMatrix3());
    const CQuaternion q = common::QuaternionFromMatrix(singular);
    EXPECT_TRUE(std::isfinite(q.w) && std::isfinite(q.x));
}

TEST(MathMatrix, OrthonormalizeMakesRotation) {
    CMatrix3 m;
    m.Set(1.0f, 0.1f, 0.0f, 0.05f, 1.0f, 0.2f, 0.0f, -0.1f, 1.1f);
    m.Orthonormalize();
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const float dot = m(0, i) * m(0, j) + m(1, i) * m(1, j) + m(2, i) * m(2, j);
            EXPECT_NEAR(dot, i == j ? 1.0f : 0.0f, kTol);
        }
    }
}

TEST(MathFrustum, SphereTests) {
    CFrustum f;
    f.Update(0.7853982f, 1.0f, 1.0f, 100.0f);
    struct {
        CVector3 centre;
        float radius;
        bool visible;
        unsigned mask;
    } const cases[] = {
        {{0, 0, 50}, 1, true, 0},        {{0, 0, -5}, 1, false, 0}, // behind the eye
        {{0, 0, 150}, 1, false, 0},                                 // beyond far
        {{0, 0, 100}, 2, true, 1u << 1},                            // straddles far
        {{0, 0, 1}, 0, true, 0},                                    // exactly on near with radius 0 is not outside
        {{500, 0, 50}, 1, false, 0},                                // far to the side
    };
    for (const auto& c : cases) {
        unsigned mask = 0;
        EXPECT_EQ(f.TestSphere(CSphere(c.centre, c.radius), &mask), c.visible) << c.centre.x;
        if (c.visible) {
            EXPECT_EQ(mask, c.mask) << c.centre.z;
        }
    }
    for (int i = 2; i < 6; ++i) {
        // Outward side normals lean against the view direction.
        EXPECT_LT(f.GetPlane(i).c, 0.0f);
    }
}

TEST(MathFrustum, DegenerateFrustumCullsOnlyByDepth) {
    struct {
        float fov, aspect, nearZ, farZ;
    } const cases[] = {{0, 1, 1, 100}, {0.78f, 0, 1, 100}, {0.78f, 1, 10, 10}};
    for (const auto& c : cases) {
        CFrustum f;
        f.Update(c.fov, c.aspect, c.nearZ, c.farZ);
        for (int i = 0; i < 6; ++i) {
            const common::CPlane& p = f.GetPlane(i);
            EXPECT_TRUE(std::isfinite(p.a) && std::isfinite(p.b) && std::isfinite(p.c) && std::isfinite(p.d));
        }
        EXPECT_FALSE(f.TestSphere(CSphere(CVector3(0, 0, -50), 1)));
        EXPECT_TRUE(f.TestSphere(CSphere(CVector3(0, 0, c.farZ), 1)));
    }
}

TEST(MathGeometry, SphereBoxAndCone) {
    EXPECT_TRUE(CSphere(CVector3(1, 0, 0), 1).IsInside(CSphere(CVector3(), 3)));
    EXPECT_FALSE(CSphere(CVector3(2.5f, 0, 0), 1).IsInside(CSphere(CVector3(), 3)));
    // A big sphere never lies inside a small one, even where the squared gap would allow it.
    EXPECT_FALSE(CSphere(CVector3(), 3).IsInside(CSphere(CVector3(1, 0, 0), 1)));
    EXPECT_FALSE(CSphere(CVector3(), 10).IsInside(CSphere(CVector3(), 1)));
    EXPECT_TRUE(CSphere(CVector3(), 2).IsInside(CSphere(CVector3(), 2)));

    CAABB box;
    EXPECT_EQ(box.GetVolume(), 0.0f);
    box.Extend(CVector3(1, 2, 3));
    ExpectVec(box.GetMin(), 1, 2, 3);
    ExpectVec(box.GetMax(), 1, 2, 3);
    box.Extend(CVector3(-1, 0, 5));
    EXPECT_FLOAT_EQ(box.GetVolume(), 2 * 2 * 2);
    EXPECT_TRUE(box.Contains(CVector3(0, 1, 4)));
    EXPECT_TRUE(box.ContainsSphere(CSphere(CVector3(0, 1, 4), 1)));
    EXPECT_FALSE(box.ContainsSphere(CSphere(CVector3(0, 1, 4), 1.01f)));

    float proj = -1;
    const CVector3 apex, axis(0, 0, 1);
    EXPECT_TRUE(common::IsPointInCone(apex, axis, 10, 0.5f, CVector3(0.1f, 0, 5), &proj));
    EXPECT_NEAR(proj, 25.0f, 1e-4f);
    EXPECT_FALSE(common::IsPointInCone(apex, axis, 10, 0.5f, CVector3(0, 0, 11)));
    EXPECT_FALSE(common::IsPointInCone(apex, axis, 10, 0.5f, CVector3(5, 0, 5)));
    // On the axis: the cosine rounds to 1 or just past it, never a NaN.
    EXPECT_TRUE(common::IsPointInCone(apex, axis, 10, 0.0f, CVector3(0, 0, 3)));
}

TEST(MathTriangle, ContainsIntersectsAndScales) {
    const CTriangle t(CVector3(0, 0, 0), CVector3(0, 0, 1), CVector3(1, 0, 0));
    ExpectVec(t.GetNormal(), 0, 1, 0);
    ExpectVec(t.GetPoint(0.5f, 0.5f), 0.5f, 0, 0.5f);
    const CTriangle reversed(CVector3(0, 0, 0), CVector3(1, 0, 0), CVector3(0, 0, 1));
    struct {
        CVector3 p;
        bool inside;
    } const cases[] = {
        {{0.2f, 9, 0.2f}, true}, {{0.6f, 0, 0.6f}, false}, {{0, 0, 0.5f}, true}, {{-0.1f, 0, 0.2f}, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(t.ContainsPointXZ(c.p), c.inside) << c.p.x << "," << c.p.z;
        EXPECT_EQ(reversed.ContainsPointXZ(c.p), c.inside) << c.p.x << "," << c.p.z;
    }

    float s = -1;
    CVector3 hit;
    EXPECT_TRUE(t.IntersectSegment(CVector3(0.2f, 1, 0.2f), CVector3(0.2f, -1, 0.2f), s, hit));
    EXPECT_NEAR(s, 0.5f, kTol);
    ExpectVec(hit, 0.2f, 0, 0.2f);
    EXPECT_FALSE(t.IntersectSegment(CVector3(0.2f, 1, 0.2f), CVector3(0.2f, 0.5f, 0.2f), s, hit));
    EXPECT_FALSE(t.IntersectSegment(CVector3(0, 0, 0), CVector3(1, 0, 1), s, hit));

    CTriangle slanted(CVector3(0, 0, 0), CVector3(0, 1, 1), CVector3(1, 0, 0));
    slanted.Scale(1, 2, 1);
    const CVector3 n = slanted.GetNormal();
    EXPECT_NEAR(n.Dot(CVector3(0, 2, 1)), 0.0f, kTol);
}
