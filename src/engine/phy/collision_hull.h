// velm::phy::CCollisionHull, the shape of a body for contact detection: body-space test points on
// its surface (moved to world space on demand) and a signed distance grid over its volume. The
// owner pointer does not own; linked hulls are only compared, never dereferenced. Main thread only.
#pragma once

#include <algorithm>
#include <vector>

#include "engine/phy/distance_grid.h"
#include "libs/common/geometry.h"
#include "libs/common/quaternion.h"
#include "libs/common/triangle.h"
#include "libs/common/vector3.h"

namespace velm::phy {

class CRigidBody;

class CCollisionHull {
public:
    // A null owner makes an ownerless hull: it reports overlaps but takes no part in impulses.
    explicit CCollisionHull(CRigidBody* owner);
    CCollisionHull(const CCollisionHull&) = delete;
    CCollisionHull& operator=(const CCollisionHull&) = delete;

    CRigidBody* GetOwner() const { return m_owner; }

    const common::CVector3& GetPosition() const { return m_position; }
    void SetPosition(const common::CVector3& position) { m_position = position; }
    const common::CQuaternion& GetOrientation() const { return m_orientation; }
    // Also keeps the conjugate.
    void SetOrientation(const common::CQuaternion& orientation);
    const common::CQuaternion& GetInverseOrientation() const { return m_inverseOrientation; }

    // Centred on the hull's position with the grid's radius.
    common::CSphere GetBoundingSphere() const { return common::CSphere(m_position, m_grid.GetSphere().radius); }
    // The local box translated by the position, not rotated.
    common::CAABB GetWorldBox() const;
    const common::CAABB& GetLocalBox() const { return m_grid.GetBox(); }

    const std::vector<common::CVector3>& GetLocalTestPoints() const { return m_localTestPoints; }
    const std::vector<common::CVector3>& GetWorldTestPoints() const { return m_worldTestPoints; }
    void UpdateWorldTestPoints();
    std::vector<unsigned int>& GetContactIndices() { return m_contactIndices; }
    const std::vector<common::CTriangle>& GetTriangles() const { return m_triangles; }
    const CDistanceGrid& GetDistanceGrid() const { return m_grid; }

    void SetRotational(bool rotational) { m_rotational = rotational; }
    bool IsRotational() const { return m_rotational; }

    void AddLinkedHull(const CCollisionHull* hull) { m_linkedHulls.push_back(hull); }
    bool CanCollideWith(const CCollisionHull* hull) const {
        return std::find(m_linkedHulls.begin(), m_linkedHulls.end(), hull) == m_linkedHulls.end();
    }

    // Body-space point against the distance grid; see CDistanceGrid::TestPoint.
    bool TestPoint(const common::CVector3& local, common::CVector3& normal, float& depth) const;

    // x, y, z are the full side lengths.
    void BuildBox(float x, float y, float z);
    // Each slice gives layers + 1 points from the bottom rim to the top rim, then the two axis ends.
    void BuildCylinder(float height, float radius, unsigned int layers, unsigned int slices);
    // The triangles' cross products are taken to point into the shape.
    void BuildMesh(const std::vector<common::CTriangle>& triangles);

private:
    CRigidBody* m_owner;
    common::CVector3 m_position;
    common::CQuaternion m_orientation;
    common::CQuaternion m_inverseOrientation;
    std::vector<common::CVector3> m_localTestPoints;
    std::vector<common::CVector3> m_worldTestPoints;
    CDistanceGrid m_grid;
    std::vector<common::CTriangle> m_triangles;
    std::vector<const CCollisionHull*> m_linkedHulls;
    std::vector<unsigned int> m_contactIndices;
    bool m_rotational = false;
};

} // namespace velm::phy
