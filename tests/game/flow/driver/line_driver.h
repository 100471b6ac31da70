// The racing-line driver of the whole-game race runs: it drives the player's racer the way a good
// player does, with the player's keys only, from what a player sees on the screen (where the
// racers are, the place and the item on the HUD) and the course's racing line.
//
// Steering aims at a point a fixed way down the racing line, measured along the line from where
// the racer is, in a lane beside the line the computers follow, so that a bend is met before the
// racer reaches it; a side key goes down only while that aim lies well off the paddling direction,
// since a side key turns the push off the nose. Up stays held through the bends. A racer close
// ahead in our lane is passed on the side away from the racing line, where the computers bunch.
// Items are used as a player uses them: the propeller on a straight, where its push is not wasted
// into a bank, the coat at once, the drill when we do not lead (it goes for the racer a place
// ahead), the fishing pole when a racer is in front within its cast, what is dropped behind (bait,
// mine, whirlpool) when a racer is behind, and any of these after a while all the same, so the
// next jug is not wasted; the shark, which goes for the leader, never while we lead.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/ai/waypoint.h"
#include "libs/common/vector3.h"

namespace kelvo {
class CRacerModel;
}

namespace racedriver {

struct SKeys {
    bool up = false;
    bool left = false;
    bool right = false;
    bool space = false;
};

// What the player sees of another racer: where it is.
struct SSeenRacer {
    common::CVector3 position;
};

class CLineDriver {
public:
    // `lane`: the standing offset from the racing line, in metres to the line's right hand looking
    // downstream.
    explicit CLineDriver(float lane) : m_lane(lane) {}

    SKeys Decide(const kelvo::CRacerModel& racer, const std::vector<velm::ai::CWaypointData>& line,
                 const std::vector<SSeenRacer>& others, unsigned long raceFrame);

private:
    struct SOnLine {
        float along = 0.0f;
        float side = 0.0f;
    };
    void BuildLine(const std::vector<velm::ai::CWaypointData>& line);
    // A racer's place on the line: how far down it and how far to the line's right hand, looked for
    // near `segment`, which is moved to the segment found.
    SOnLine Locate(const common::CVector3& position, std::size_t& segment) const;
    // The point `along` metres down the line, `side` metres to its right hand, and the line's
    // direction there.
    common::CVector3 PointAt(float along, float side, common::CVector3* direction = nullptr) const;
    // The line's turn (radians) over the stretch from `along` to `along + length`.
    float TurnAhead(float along, float length) const;
    float ChooseLane(const SOnLine& me, const std::vector<SSeenRacer>& others);
    bool UseItem(const kelvo::CRacerModel& racer, const SOnLine& me, const std::vector<SSeenRacer>& others,
                 unsigned long raceFrame);

    float m_lane;
    std::vector<common::CVector3> m_points;
    std::vector<float> m_lengths;
    std::size_t m_segment = 0;
    float m_passLane = 0.0f;
    unsigned long m_passUntil = 0;
    unsigned long m_frame = 0;
    int m_heldFrames = 0;
    unsigned long m_sidewaysUntil = 0;
    bool m_sidewaysLeft = false;
    std::uint32_t m_item = 0;
    unsigned long m_itemSince = 0;
    unsigned long m_fireUntil = 0;
};

} // namespace racedriver
