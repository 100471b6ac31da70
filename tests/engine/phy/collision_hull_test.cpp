#include "engine/phy/collision_hull.h"

#include <gtest/gtest.h>

#include "engine/phy/distance_grid.h"

namespace {

using common::CVector3;
using velm::phy::CCollisionHull;

TEST(CollisionHullTest, BoxCornersAndGridLayout) {
    CCollisionHull hull(nullptr);
    hull.BuildBox(2.0f, 1.0f, 4.0f);
    ASSERT_EQ(hull.GetLocalTestPoints().size(), 8u);
    EXPECT_EQ(hull.GetLocalTestPoints()[0], CVector3(-1.0f, 0.5f, -2.0f));
    EXPECT_EQ(hull.GetLocalTestPoints()[7], CVector3(1.0f, -0.5f, 2.0f));
    EXPECT_EQ(hull.GetTriangles().size(), 12u);
    const velm::phy::CDistanceGrid& grid = hull.GetDistanceGrid();
    EXPECT_EQ(grid.GetBox().GetMin(), CVector3(-1.1f, -0.55f, -2.2f));
    EXPECT_EQ(grid.GetSpacing(), CVector3(0.55f, 0.275f, 1.1f));
}

TEST(CollisionHullTest, BoxFunctorAtCubeCentreTakesTheXFace) {
    const velm::phy::BoxTestPoint cube(2.0f, 2.0f, 2.0f);
    CVector3 toSurface;
    bool inside = false;
    cube(CVector3(), toSurface, inside);
    EXPECT_TRUE(inside);
    EXPECT_EQ(toSurface, CVector3(-1.0f, 0.0f, 0.0f));
}

TEST(CollisionHullTest, CylinderTestPointCount) {
    CCollisionHull hull(nullptr);
    hull.BuildCylinder(1.0f, 0.5f, 2, 8);
    EXPECT_EQ(hull.GetLocalTestPoints().size(), 8u * 3u + 2u);
    EXPECT_EQ(hull.GetLocalTestPoints()[0], CVector3(0.0f, -0.5f, 0.5f));
}

// The mesh is the box's own surface, whose triangles are wound towards the inside.
TEST(CollisionHullTest, ShapesAgreeInsideAndOutside) {
    CCollisionHull box(nullptr);
    box.BuildBox(1.0f, 1.0f, 1.0f);
    CCollisionHull cylinder(nullptr);
    cylinder.BuildCylinder(1.0f, 0.5f, 2, 16);
    CCollisionHull mesh(nullptr);
    mesh.BuildMesh(box.GetTriangles());
    const CCollisionHull* hulls[] = {&box, &cylinder, &mesh};
    for (const CCollisionHull* hull : hulls) {
        CVector3 normal;
        float depth = 0.0f;
        EXPECT_TRUE(hull->TestPoint(CVector3(0.05f, 0.0f, 0.0f), normal, depth));
        EXPECT_GT(depth, 0.0f);
        EXPECT_FALSE(hull->TestPoint(CVector3(0.0f, 0.53f, 0.0f), normal, depth));
        EXPECT_FALSE(hull->TestPoint(CVector3(3.0f, 0.0f, 0.0f), normal, depth));
        EXPECT_EQ(normal, CVector3(0.0f, 1.0f, 0.0f));
    }
}

// A centimetre box: its triangles are too small for the kit's unit normals, yet the mesh grid
// must still find its inside.
TEST(CollisionHullTest, SmallMeshAgreesWithItsBox) {
    CCollisionHull box(nullptr);
    box.BuildBox(0.01f, 0.01f, 0.01f);
    CCollisionHull mesh(nullptr);
    mesh.BuildMesh(box.GetTriangles());
    const CCollisionHull* hulls[] = {&box, &mesh};
    for (const CCollisionHull* hull : hulls) {
        CVector3 normal;
        float depth = 0.0f;
        EXPECT_TRUE(hull->TestPoint(CVector3(0.0005f, 0.0f, 0.0f), normal, depth));
        EXPECT_NEAR(normal.Length(), 1.0f, 1e-5f);
        EXPECT_FALSE(hull->TestPoint(CVector3(0.0f, 0.0053f, 0.0f), normal, depth));
    }
}

TEST(CollisionHullTest, EmptyShapesHoldNoPoint) {
    CCollisionHull mesh(nullptr);
    mesh.BuildMesh({});
    CCollisionHull unbuilt(nullptr);
    CVector3 normal;
    float depth = 0.0f;
    EXPECT_FALSE(mesh.TestPoint(CVector3(), normal, depth));
    EXPECT_FALSE(unbuilt.TestPoint(CVector3(), normal, depth));
}

TEST(CollisionHullTest, WorldTestPointsFollowThePose) {
    CCollisionHull hull(nullptr);
    hull.BuildBox(2.0f, 2.0f, 2.0f);
    common::CQuaternion quarterTurn;
    quarterTurn.FromAxisAngle(CVector3(0.0f, 1.0f, 0.0f), 1.5707964f);
    hull.SetPosition(CVector3(10.0f, 0.0f, 0.0f));
    hull.SetOrientation(quarterTurn);
    hull.UpdateWorldTestPoints();
    const CVector3 expected = CVector3(10.0f, 0.0f, 0.0f) + quarterTurn.Rotate(CVector3(-1.0f, 1.0f, -1.0f));
    EXPECT_NEAR(hull.GetWorldTestPoints()[0].x, expected.x, 1e-5f);
    EXPECT_NEAR(hull.GetWorldTestPoints()[0].z, expected.z, 1e-5f);
}

} // namespace
