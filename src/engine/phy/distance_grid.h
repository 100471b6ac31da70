// velm::phy::CDistanceGrid, a coarse 3D grid of signed distances over a hull's body-space box
// (positive inside, normals pointing out), and the test-point functors that describe a box and a
// cylinder exactly. Built once, then read only; no thread rules beyond that.
#pragma once

#include <vector>

#include "libs/common/geometry.h"
#include "libs/common/triangle.h"
#include "libs/common/vector3.h"

namespace velm::phy {

// Describes a shape for the grid build: the vector from a body-space point to the nearest point of
// the shape's surface, and whether the point lies inside.
class TestPointFunctor {
public:
    virtual ~TestPointFunctor() = default;
    virtual void operator()(const common::CVector3& point, common::CVector3& toSurface, bool& inside) const = 0;
};

// A box centred on the origin; x, y, z are the full side lengths.
class BoxTestPoint : public TestPointFunctor {
public:
    BoxTestPoint(float x, float y, float z) : m_x(x), m_y(y), m_z(z) {}
    void operator()(const common::CVector3& point, common::CVector3& toSurface, bool& inside) const override;

private:
    float m_x;
    float m_y;
    float m_z;
};

// A cylinder centred on the origin around the body's y axis.
class CylinderTestPoint : public TestPointFunctor {
public:
    CylinderTestPoint(float height, float radius) : m_height(height), m_radius(radius) {}
    void operator()(const common::CVector3& point, common::CVector3& toSurface, bool& inside) const override;

private:
    float m_height;
    float m_radius;
};

struct SDistanceCell {
    common::CVector3 m_normal;
    float m_distance = 0.0f;
};

class CDistanceGrid {
public:
    // An unbuilt grid holds no cells: no point is ever inside it.
    CDistanceGrid();

    // Lays nx * ny * nz nodes over the triangles' bounds enlarged by 10%. With a functor the
    // distances come from it; without one, from the nearest triangle, whose cross product
    // (p1 - p0) x (p2 - p0) is taken to point into the shape. No triangles leave the grid empty.
    void Build(unsigned int nx, unsigned int ny, unsigned int nz, const std::vector<common::CTriangle>& triangles,
               const TestPointFunctor* functor);

    // For a body-space point: true when inside, with the outward normal of the nearest node and
    // the depth; false outside (depth then the distance, or +infinity outside the box).
    bool TestPoint(const common::CVector3& point, common::CVector3& normal, float& depth) const;

    const common::CAABB& GetBox() const { return m_box; }
    const common::CSphere& GetSphere() const { return m_sphere; }
    const common::CVector3& GetSpacing() const { return m_spacing; }
    bool IsEmpty() const { return m_cells.empty(); }
    const SDistanceCell& GetCell(unsigned int i, unsigned int j, unsigned int k) const;

private:
    common::CVector3 NodePosition(unsigned int i, unsigned int j, unsigned int k) const;

    unsigned int m_nx = 0;
    unsigned int m_ny = 0;
    unsigned int m_nz = 0;
    std::vector<SDistanceCell> m_cells;
    common::CVector3 m_spacing;
    common::CAABB m_box;
    common::CSphere m_sphere;
};

// The point of the triangle nearest to p.
common::CVector3 ClosestPointOnTriangle(const common::CVector3& p, const common::CTriangle& triangle);

} // namespace velm::phy
