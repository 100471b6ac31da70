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
    // density + 1 points per span (one more on the last, which ends on the last input point);
    // fewer than three points are copied unchanged.
    std::vector<common::CVector3> Resample(const std::vector<common::CVector3>& points, int density) const;
};

} // namespace ai
} // namespace velm
