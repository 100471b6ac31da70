#include "engine/ai/ai_base.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using common::CVector3;
using velm::ai::CWaypointData;

class CRoute : public velm::ai::CAIBase {
public:
    velm::ai::SDriveInput& Update(velm::ai::SDriveInput& out, const velm::ai::SRacerInfo&,
                                  const std::list<velm::ai::SRacerInfo>&, float) override {
        return out;
    }
    std::vector<CWaypointData> Points() const { return {m_waypoints.begin(), m_waypoints.end()}; }
};

TEST(AIBaseRoute, InsertSetsDirectionsAndRemoveFindsWaypoints) {
    CRoute route;
    route.InsertWaypoint(CWaypointData(CVector3(0, 0, 0)), 5);
    route.InsertWaypoint(CWaypointData(CVector3(0, 0, -4)), -1);
    route.InsertWaypoint(CWaypointData(CVector3(3, 0, -4)), 1);
    // Between the first and the second: both directions point along the route.
    route.InsertWaypoint(CWaypointData(CVector3(0, 0, -2)), 0);
    // Past the end: nothing.
    route.InsertWaypoint(CWaypointData(CVector3(9, 9, 9)), 7);

    std::vector<CWaypointData> points = route.Points();
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].m_position, CVector3(0, 0, 0));
    EXPECT_EQ(points[0].m_direction, CVector3(0, 0, -1));
    EXPECT_EQ(points[1].m_position, CVector3(0, 0, -2));
    EXPECT_EQ(points[1].m_direction, CVector3(0, 0, -1));
    EXPECT_EQ(points[2].m_direction, CVector3(1, 0, 0));
    EXPECT_EQ(points[3].m_direction, CVector3());

    // By value: position and direction must both match.
    route.RemoveWaypoint(CWaypointData(CVector3(0, 0, -2)));
    EXPECT_EQ(route.Points().size(), 4u);
    route.RemoveWaypoint(points[1]);
    EXPECT_EQ(route.Points().size(), 3u);
    EXPECT_FALSE(route.RemoveWaypoint(3));
    EXPECT_FALSE(route.RemoveWaypoint(-1));
    EXPECT_TRUE(route.RemoveWaypoint(0));
    EXPECT_EQ(route.Points().front().m_position, CVector3(0, 0, -4));
    EXPECT_TRUE(route.RemoveWaypoint(1));
    EXPECT_TRUE(route.RemoveWaypoint(0));
    EXPECT_FALSE(route.RemoveWaypoint(0));
}

} // namespace
