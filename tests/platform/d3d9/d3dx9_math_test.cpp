#include <cmath>

#include <gtest/gtest.h>

#include "platform/d3d9/d3dx9_math.h"

namespace {

constexpr float kTol = 1e-4f;

void ExpectVec(const D3DXVECTOR3& v, float x, float y, float z, float tol = kTol) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(a(r, c), b(r, c), kTol) << r << "," << c;
        }
    }
}

D3DXVECTOR3 Transform(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
    D3DXVECTOR3 r;
    return *D3DXVec3TransformCoord(&r, &v, &m);
}

} // namespace

TEST(D3DXMath, LeftHandedRowVectorRotations) {
    const float quarter = D3DX_PI / 2;
    D3DXMATRIX m;
    struct {
        D3DXMATRIX* (*rotate)(D3DXMATRIX*, float);
        D3DXVECTOR3 from, to;
    } const cases[] = {
        {D3DXMatrixRotationX, {0, 1, 0}, {0, 0, 1}},
        {D3DXMatrixRotationY, {0, 0, 1}, {1, 0, 0}},
        {D3DXMatrixRotationZ, {1, 0, 0}, {0, 1, 0}},
    };
    for (const auto& c : cases) {
        ExpectVec(Transform(c.from, *c.rotate(&m, quarter)), c.to.x, c.to.y, c.to.z);
    }
    // Axis, quaternion and yaw-pitch-roll forms agree with the single-axis ones.
    const D3DXVECTOR3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    D3DXMATRIX(*const single[])
    (float) = {
        [](float a) {
            D3DXMATRIX r;
            return *D3DXMatrixRotationX(&r, a);
        },
        [](float a) {
            D3DXMATRIX r;
            return *D3DXMatrixRotationY(&r, a);
        },
        [](float a) {
            D3DXMATRIX r;
            return *D3DXMatrixRotationZ(&r, a);
        },
    };
    for (int i = 0; i < 3; ++i) {
        D3DXMATRIX byAxis, byQuat;
        D3DXQUATERNION q;
        D3DXMatrixRotationAxis(&byAxis, &axes[i], 0.7f);
        D3DXMatrixRotationQuaternion(&byQuat, D3DXQuaternionRotationAxis(&q, &axes[i], 0.7f));
        ExpectMatrixNear(byAxis, single[i](0.7f));
        ExpectMatrixNear(byQuat, single[i](0.7f));
    }
    D3DXMATRIX ypr, rx, ry, rz;
    D3DXMatrixRotationYawPitchRoll(&ypr, 0.3f, -0.4f, 1.2f);
    ExpectMatrixNear(
        ypr, *D3DXMatrixRotationZ(&rz, 1.2f) * *D3DXMatrixRotationX(&rx, -0.4f) * *D3DXMatrixRotationY(&ry, 0.3f));
    D3DXQUATERNION qypr;
    D3DXMATRIX fromQuat;
    D3DXQuaternionRotationYawPitchRoll(&qypr, 0.3f, -0.4f, 1.2f);
    ExpectMatrixNear(*D3DXMatrixRotationQuaternion(&fromQuat, &qypr), ypr);
}

TEST(D3DXMath, QuaternionOrderMatchesMatrixOrder) {
    const D3DXVECTOR3 ax(1, 0, 0), ay(0, 1, 0);
    D3DXQUATERNION q1, q2, q12, back;
    D3DXQuaternionRotationAxis(&q1, &ax, 0.5f);
    D3DXQuaternionRotationAxis(&q2, &ay, 1.1f);
    D3DXQuaternionMultiply(&q12, &q1, &q2);
    D3DXMATRIX m1, m2, m12;
    D3DXMatrixRotationQuaternion(&m1, &q1);
    D3DXMatrixRotationQuaternion(&m2, &q2);
    D3DXMatrixRotationQuaternion(&m12, &q12);
    ExpectMatrixNear(m12, m1 * m2);
    D3DXQuaternionRotationMatrix(&back, &m12);
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&back, &q12)), 1.0f, kTol);

    D3DXQUATERNION half;
    D3DXQUATERNION identity;
    D3DXQuaternionIdentity(&identity);
    D3DXQuaternionSlerp(&half, &identity, &q2, 0.5f);
    D3DXVECTOR3 axis;
    float angle = 0;
    D3DXQuaternionToAxisAngle(&half, &axis, &angle);
    EXPECT_NEAR(angle, 0.55f, kTol);
}

TEST(D3DXMath, CameraProjectionRoundTrip) {
    const D3DXVECTOR3 eye(3, 4, -10), at(0, 1, 0), up(0, 1, 0);
    D3DXMATRIX view, proj, world;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, 4.0f / 3.0f, 1.0f, 1000.0f);
    D3DXMatrixIdentity(&world);
    // The target lies straight ahead, the eye at the view-space origin.
    const D3DXVECTOR3 inView = Transform(at, view);
    const D3DXVECTOR3 toTarget = at - eye;
    ExpectVec(inView, 0, 0, D3DXVec3Length(&toTarget));
    ExpectVec(Transform(eye, view), 0, 0, 0);

    const D3DVIEWPORT9 viewport = {0, 0, 800, 600, 0.0f, 1.0f};
    D3DXVECTOR3 screen, back;
    D3DXVec3Project(&screen, &at, &viewport, &proj, &view, &world);
    ExpectVec(screen, 400, 300, screen.z);
    ASSERT_NE(D3DXVec3Unproject(&back, &screen, &viewport, &proj, &view, &world), nullptr);
    ExpectVec(back, at.x, at.y, at.z, 1e-2f);

    // A click at depth 0 unprojects onto the near plane.
    const D3DXVECTOR3 click(100, 50, 0);
    D3DXVec3Unproject(&back, &click, &viewport, &proj, &view, nullptr);
    EXPECT_NEAR(Transform(back, view).z, 1.0f, 1e-3f);
}

TEST(D3DXMath, InverseTransformAndDegenerateInputs) {
    D3DXMATRIX t, r, m, inv;
    const D3DXVECTOR3 axis(1, 2, 3);
    D3DXMatrixRotationAxis(&r, &axis, 0.9f);
    m = r * *D3DXMatrixTranslation(&t, 5, -2, 7);
    float det = 0;
    ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &m), &inv);
    EXPECT_NEAR(det, 1.0f, kTol);
    D3DXMATRIX id;
    ExpectMatrixNear(m * inv, *D3DXMatrixIdentity(&id));

    const D3DXVECTOR3 p(1, 1, 1);
    D3DXVECTOR3 n;
    ExpectVec(*D3DXVec3TransformNormal(&n, &p, &t), 1, 1, 1);
    ExpectVec(Transform(p, t), 6, -1, 8);

    D3DXMATRIX singular, untouched(id);
    D3DXMatrixScaling(&singular, 1, 0, 1);
    EXPECT_EQ(D3DXMatrixInverse(&untouched, nullptr, &singular), nullptr);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&untouched));

    const D3DXVECTOR3 zero(0, 0, 0);
    D3DXVECTOR3 out(9, 9, 9);
    ExpectVec(*D3DXVec3Normalize(&out, &zero), 0, 0, 0);
    D3DXMatrixRotationAxis(&m, &zero, 1.0f);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
    D3DXQUATERNION q(0, 0, 0, 0), qn;
    D3DXQuaternionNormalize(&qn, &q);
    EXPECT_EQ(qn, D3DXQUATERNION(0, 0, 0, 0));

    const D3DVIEWPORT9 flat = {0, 0, 800, 600, 0.5f, 0.5f};
    EXPECT_EQ(D3DXVec3Unproject(&out, &p, &flat, nullptr, nullptr, nullptr), nullptr);
}

TEST(D3DXMath, PlanesAndReflection) {
    const D3DXVECTOR3 a(0, 2, 0), b(0, 2, 1), c(1, 2, 0);
    D3DXPLANE plane;
    D3DXPlaneFromPoints(&plane, &a, &b, &c);
    EXPECT_NEAR(plane.b, 1.0f, kTol);
    EXPECT_NEAR(plane.d, -2.0f, kTol);
    const D3DXVECTOR3 above(5, 3, 5);
    EXPECT_NEAR(D3DXPlaneDotCoord(&plane, &above), 1.0f, kTol);

    D3DXMATRIX mirror;
    D3DXMatrixReflect(&mirror, &plane);
    ExpectVec(Transform(above, mirror), 5, 1, 5);

    const D3DXPLANE unnormalised(0, 4, 0, -8);
    D3DXPLANE normalised;
    D3DXPlaneNormalize(&normalised, &unnormalised);
    EXPECT_EQ(normalised, D3DXPLANE(0, 1, 0, -2));
    const D3DXPLANE degenerate(0, 0, 0, 3);
    D3DXPlaneNormalize(&normalised, &degenerate);
    EXPECT_EQ(normalised, degenerate);

    D3DXVECTOR3 hit;
    const D3DXVECTOR3 from(1, 0, 1), to(1, 4, 1), along(2, 0, 1);
    ASSERT_NE(D3DXPlaneIntersectLine(&hit, &plane, &from, &to), nullptr);
    ExpectVec(hit, 1, 2, 1);
    EXPECT_EQ(D3DXPlaneIntersectLine(&hit, &plane, &from, &along), nullptr);

    // Moving the plane up by 1 moves it with the points: transform by the inverse transpose.
    D3DXMATRIX t, inv, invT;
    D3DXMatrixTranslation(&t, 0, 1, 0);
    D3DXMatrixInverse(&inv, nullptr, &t);
    D3DXMatrixTranspose(&invT, &inv);
    D3DXPLANE moved;
    D3DXPlaneTransform(&moved, &plane, &invT);
    EXPECT_NEAR(moved.d, -3.0f, kTol);
}

TEST(D3DXMath, Colours) {
    EXPECT_EQ(D3DCOLOR_ARGB(0x12, 0x34, 0x56, 0x78), 0x12345678u);
    EXPECT_EQ(D3DCOLOR_RGBA(0x34, 0x56, 0x78, 0x12), 0x12345678u);
    EXPECT_EQ(D3DCOLOR_XRGB(1, 2, 3), 0xFF010203u);
    EXPECT_EQ(D3DCOLOR_COLORVALUE(1.0f, 0.0f, 1.0f, 1.0f), 0xFFFF00FFu);
    const D3DXCOLOR c(0x80FF4000u);
    EXPECT_NEAR(c.a, 128 / 255.0f, 1e-6f);
    EXPECT_EQ(static_cast<D3DCOLOR>(c), 0x80FF4000u);
    EXPECT_EQ(static_cast<D3DCOLOR>(D3DXCOLOR(2.0f, -1.0f, 0.5f, 1.0f)), 0xFFFF0080u);
}
