// velm::ai::CCatmullRomSpline: the uniform Catmull-Rom curve through a point list, used to make
// the dense ranking path out of a sparse waypoint path. Stateless; any thread.
#pragma once

#include <vector>

#include "libs/common/vector3.h"

namespace velm {
namespace ai {

class CCatmullRomSpline {
public:
    // The point at t in [0, 1] between p1 and p2.
    common::CVector3 PointAt(const common::CVector3& p0, const common::CVector3& p1, const common::CVector3& p2,
                             const common::CVector3& p3, float t) const;
    // Points per span beyond any ranking path's need (the game's takes 5): a larger density is
    // taken as this one, so the path cannot outgrow memory.
    static constexpr int kDensest = 1000;

    // density + 1 points per span (one more on the last, which ends on the last input point);
    // fewer than three points are copied unchanged. A negative density gives only the last span,
    // and -1 (whose divisor would be 0) gives the last input point alone.
    std::vector<common::CVector3> Resample(const std::vector<common::CVector3>& points, int density) const;
};

} // namespace ai
} // namespace velm
