// Shared fixtures of the physics tests: finite-state checks and a flat square of water.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"

namespace phytest {

inline bool IsFinite(const common::CVector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

inline void ExpectFiniteBody(const velm::phy::CRigidBody& body) {
    EXPECT_TRUE(IsFinite(body.GetPosition()));
    EXPECT_TRUE(IsFinite(body.GetLinearVelocity()));
    EXPECT_TRUE(IsFinite(body.GetAngularVelocity()));
    const common::CQuaternion& q = body.GetOrientation();
    EXPECT_TRUE(std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z));
}

// One cell, corners (-half, -half) .. (half, half) at the given height, with its flow vector.
inline std::vector<velm::phy::CGridCell> SquareCell(float half, float height, const common::CVector3& flow) {
    return {velm::phy::CGridCell(common::CVector3(-half, height, -half), common::CVector3(-half, height, half),
                                 common::CVector3(half, height, half), common::CVector3(half, height, -half), flow)};
}

inline std::shared_ptr<velm::phy::CWaterField> SquareWater(float half, float height, const common::CVector3& flow) {
    return std::make_shared<velm::phy::CWaterField>(SquareCell(half, height, flow));
}

} // namespace phytest
