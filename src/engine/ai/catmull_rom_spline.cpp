#include "engine/ai/catmull_rom_spline.h"

namespace velm {
namespace ai {

common::CVector3 CCatmullRomSpline::PointAt(const common::CVector3& p0, const common::CVector3& p1,
                                            const common::CVector3& p2, const common::CVector3& p3, float t) const {
    const float t2 = t * t;
    const float t3 = t2 * t;
    return p0 * (t2 - 0.5f * t3 - 0.5f * t) + p1 * (1.5f * t3 - 2.5f * t2 + 1.0f) +
           p2 * (2.0f * t2 - 1.5f * t3 + 0.5f * t) + p3 * (0.5f * t3 - 0.5f * t2);
}

std::vector<common::CVector3> CCatmullRomSpline::Resample(const std::vector<common::CVector3>& pts, int density) const {
    const int m = static_cast<int>(pts.size());
    if (m < 3) {
        return pts;
    }
    if (density > kDensest) {
        density = kDensest;
    }
    std::vector<common::CVector3> out;
    if (density == -1) {
        out.push_back(pts[m - 1]);
        return out;
    }
    if (density >= 0) {
        out.reserve(static_cast<std::size_t>(m) * static_cast<std::size_t>(density + 1) + 1);
    }
    const float divisor = static_cast<float>(density + 1);
    for (int i = 0; i <= density; ++i) {
        out.push_back(PointAt(pts[0], pts[0], pts[1], pts[2], static_cast<float>(i) / divisor));
    }
    for (int j = 0; j <= m - 4; ++j) {
        for (int i = 0; i <= density; ++i) {
            out.push_back(PointAt(pts[j], pts[j + 1], pts[j + 2], pts[j + 3], static_cast<float>(i) / divisor));
        }
    }
    for (int i = 0; i <= density + 1; ++i) {
        out.push_back(PointAt(pts[m - 3], pts[m - 2], pts[m - 1], pts[m - 1], static_cast<float>(i) / divisor));
    }
    return out;
}

} // namespace ai
} // namespace velm
