#include "game/flow/driver/line_driver.h"

#include <algorithm>
#include <cmath>

#include "game/content/object_type.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"

namespace racedriver {

namespace {

using common::CVector3;

CVector3 Flat(CVector3 v) {
    v.y = 0.0f;
    return v;
}

// The right hand of a downstream direction on the water.
CVector3 RightOf(const CVector3& along) { return CVector3(-along.z, 0.0f, along.x); }

float Bearing(const CVector3& v, const kelvo::CRacerController& controller) {
    return std::atan2(v.Dot(controller.GetSideVector()), v.Dot(controller.GetForward()));
}

// An angle brought within half a turn either way.
float Wrap(float angle) { return std::remainder(angle, 2.0f * 3.14159265f); }

// The aim lies this far down the line; a side key goes down while the aim lies this far off the
// paddling direction (radians). Each side key turns the push 45 degrees off the nose, so the line
// is followed loosely rather than corrected at every frame.
constexpr float kLookAhead = 22.0f;
constexpr float kSteerAngle = 0.25f;
// A racer this close ahead (metres down the line) and this near our lane is passed this far to
// its side, for a while, where the line runs straight enough to leave room; the lane stays within
// the widest offset.
constexpr float kPassAhead = 10.0f;
constexpr float kPassNear = 2.0f;
constexpr float kPassSide = 2.8f;
constexpr float kWidestLane = 7.0f;
constexpr unsigned long kPassFrames = 90;
constexpr float kPassMostTurn = 0.35f;
// Slower than this (m/s) for this many frames is held; then a second of paddling sideways.
constexpr float kHeldSpeed = 1.0f;
constexpr int kHeldLimit = 60;
constexpr unsigned long kSidewaysFrames = 60;
// Space goes down this long after an item comes: a press while its icon still spins cuts the spin
// short, and the presses after it use the item once the icon stands. Space is held as long as the
// computers hold theirs, and let go as long again before the next press.
constexpr unsigned long kSpinFrames = 100;
constexpr unsigned long kHoldFrames = 30;
// An item waiting for its moment is used anyway after this long, so the next jug is not wasted.
constexpr unsigned long kWaitFrames = 240;
// The propeller waits for a stretch this long that turns less than this.
constexpr float kOpenWater = 40.0f;
constexpr float kOpenWaterTurn = 0.3f;
// The pole's cast reaches a racer this far in front, this far off our nose (radians).
constexpr float kCastReach = 18.0f;
constexpr float kCastCone = 0.5f;
// What is dropped behind waits for a racer this close behind.
constexpr float kDropBehind = 15.0f;

} // namespace

void CLineDriver::BuildLine(const std::vector<velm::ai::CWaypointData>& line) {
    m_points.clear();
    m_lengths.clear();
    float total = 0.0f;
    for (const velm::ai::CWaypointData& waypoint : line) {
        const CVector3 point = Flat(waypoint.m_position);
        if (!m_points.empty()) {
            total += (point - m_points.back()).Length();
        }
        m_points.push_back(point);
        m_lengths.push_back(total);
    }
}

CLineDriver::SOnLine CLineDriver::Locate(const CVector3& position, std::size_t& segment) const {
    // The racer moves on a little each frame: the nearest segment is looked for near the last one.
    const CVector3 at = Flat(position);
    const std::size_t first = segment > 4 ? segment - 4 : 0;
    const std::size_t last = std::min(m_points.size() - 1, segment + 12);
    float best = -1.0f;
    SOnLine found;
    for (std::size_t i = first; i < last; ++i) {
        const CVector3 span = m_points[i + 1] - m_points[i];
        const float length = span.Length();
        if (length <= 0.0f) {
            continue;
        }
        const CVector3 along = span / length;
        const float t = std::clamp((at - m_points[i]).Dot(along), 0.0f, length);
        const CVector3 offset = at - (m_points[i] + along * t);
        const float distance = offset.Length();
        if (best < 0.0f || distance < best) {
            best = distance;
            segment = i;
            found.along = m_lengths[i] + t;
            found.side = offset.Dot(RightOf(along));
        }
    }
    return found;
}

CVector3 CLineDriver::PointAt(float along, float side, CVector3* direction) const {
    const auto upper = std::upper_bound(m_lengths.begin(), m_lengths.end(), along);
    std::size_t i = upper == m_lengths.begin() ? 0 : static_cast<std::size_t>(upper - m_lengths.begin()) - 1;
    i = std::min(i, m_points.size() - 2);
    const CVector3 span = m_points[i + 1] - m_points[i];
    const float length = std::max(span.Length(), 1e-3f);
    const CVector3 dir = span / length;
    if (direction != nullptr) {
        *direction = dir;
    }
    return m_points[i] + dir * (along - m_lengths[i]) + RightOf(dir) * side;
}

float CLineDriver::TurnAhead(float along, float length) const {
    CVector3 from;
    CVector3 to;
    float turn = 0.0f;
    PointAt(along, 0.0f, &from);
    for (float step = 5.0f; step <= length; step += 5.0f) {
        PointAt(along + step, 0.0f, &to);
        turn = std::max(turn, std::fabs(Wrap(std::atan2(to.x, to.z) - std::atan2(from.x, from.z))));
    }
    return turn;
}

float CLineDriver::ChooseLane(const SOnLine& me, const std::vector<SSeenRacer>& others) {
    if (m_frame < m_passUntil) {
        return m_passLane;
    }
    if (TurnAhead(me.along, kPassAhead * 2.0f) > kPassMostTurn) {
        return m_lane;
    }
    for (const SSeenRacer& other : others) {
        // Looked for near our own place on the line, which stays ours.
        std::size_t near = m_segment;
        const SOnLine them = Locate(other.position, near);
        const float ahead = them.along - me.along;
        if (ahead > 0.0f && ahead < kPassAhead && std::fabs(them.side - m_lane) < kPassNear) {
            // Round it on the side away from the racing line, where the computers bunch.
            m_passLane = std::clamp(them.side - kPassSide, -kWidestLane, kWidestLane);
            m_passUntil = m_frame + kPassFrames;
            return m_passLane;
        }
    }
    return m_lane;
}

SKeys CLineDriver::Decide(const kelvo::CRacerModel& racer, const std::vector<velm::ai::CWaypointData>& line,
                          const std::vector<SSeenRacer>& others, unsigned long raceFrame) {
    m_frame = raceFrame;
    SKeys keys;
    keys.up = true;
    const kelvo::CRacerController* controller = racer.GetRacerController();
    if (line.size() < 2 || controller == nullptr) {
        return keys;
    }
    if (m_points.size() != line.size()) {
        BuildLine(line);
        m_segment = 0;
    }
    const CVector3 position = racer.GetPosition();
    const SOnLine me = Locate(position, m_segment);
    const float lane = ChooseLane(me, others);
    const float speed = Flat(racer.GetLinearVelocity()).Length();
    const CVector3 aim = PointAt(me.along + kLookAhead, lane);
    const CVector3 toAim = Flat(aim - position);
    const float error = Bearing(toAim, *controller);
    // Left paddles towards the side vector, Right away from it.
    keys.left = error > kSteerAngle;
    keys.right = error < -kSteerAngle;
    // Held against something: let go of Up and paddle sideways, towards the line, to slide off.
    m_heldFrames = speed < kHeldSpeed ? m_heldFrames + 1 : 0;
    if (m_heldFrames > kHeldLimit) {
        m_sidewaysUntil = raceFrame + kSidewaysFrames;
        m_sidewaysLeft = toAim.Dot(controller->GetSideVector()) > 0.0f;
        m_heldFrames = 0;
    }
    if (raceFrame < m_sidewaysUntil) {
        keys.up = false;
        keys.left = m_sidewaysLeft;
        keys.right = !m_sidewaysLeft;
    }
    keys.space = UseItem(racer, me, others, raceFrame);
    return keys;
}

bool CLineDriver::UseItem(const kelvo::CRacerModel& racer, const SOnLine& me, const std::vector<SSeenRacer>& others,
                          unsigned long raceFrame) {
    const std::uint32_t item = racer.GetHeldItemType();
    if (item != m_item) {
        m_item = item;
        m_itemSince = raceFrame;
    }
    if (raceFrame < m_fireUntil) {
        return true;
    }
    // The release lets the item go; the next press waits as long again.
    if (item == 0 || raceFrame < m_itemSince + kSpinFrames || raceFrame < m_fireUntil + kHoldFrames) {
        return false;
    }
    const CVector3 position = racer.GetPosition();
    const CVector3 nose = Flat(racer.GetHeading()).GetNormalized();
    bool now = raceFrame >= m_itemSince + kSpinFrames + kWaitFrames;
    if (item == kelvo::ITEM_PROPELLER) {
        now = now || TurnAhead(me.along, kOpenWater) < kOpenWaterTurn;
    } else if (item == kelvo::ITEM_REFLECTIVE_COAT) {
        now = true;
    } else if (item == kelvo::ITEM_SHARK) {
        // It goes for the leader: never while we lead.
        now = racer.GetRaceRank() > 1;
    } else if (item == kelvo::ITEM_DRILL) {
        now = now || racer.GetRaceRank() > 1;
    } else if (item == kelvo::ITEM_FISHING_POLE) {
        for (const SSeenRacer& other : others) {
            const CVector3 to = Flat(other.position - position);
            const float distance = to.Length();
            now = now || (distance > 1.0f && distance < kCastReach &&
                          std::acos(std::clamp(to.Dot(nose) / distance, -1.0f, 1.0f)) < kCastCone);
        }
    } else {
        for (const SSeenRacer& other : others) {
            const CVector3 to = Flat(position - other.position);
            now = now || (to.Length() < kDropBehind && to.Dot(nose) > 0.0f);
        }
    }
    if (!now) {
        return false;
    }
    m_fireUntil = raceFrame + kHoldFrames;
    return true;
}

} // namespace racedriver
