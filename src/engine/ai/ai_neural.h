// velm::ai::AINeural, the neural driver: it turns the angle between the racer's heading and its
// next target into forward, left and right through a net, walking its route front first, with a
// damped switch between decisions. The net belongs to the AI manager; one driver per racer, main
// thread only.
#pragma once

#include "engine/ai/ai_base.h"

namespace velm {
namespace ai {

class CNeuralNet;

class AINeural : public CAIBase {
public:
    AINeural() = default;

    // Keeps the first net it is given.
    bool SetNet(CNeuralNet* net);
    CNeuralNet* GetNet() const { return m_net; }

    SDriveInput& Update(SDriveInput& out, const SRacerInfo& own, const std::list<SRacerInfo>& targets,
                        float dt) override;

    // The point steered at when no detour is given; consumes reached waypoints.
    const CWaypointData& NextTarget(const common::CVector3& position);
    const CWaypointData& GetTarget() const { return m_target; }

    // The net's one input for a heading and a target direction: 0 fully to one side, 0.5
    // straight ahead, 1 fully to the other.
    static float AngleInput(const common::CVector3& heading, const common::CVector3& toTarget);

private:
    CNeuralNet* m_net = nullptr;
    CWaypointData m_target;
    SDriveInput m_lastApplied;
    float m_outputThreshold = 0.25f;
    float m_switchTime = 0.1f;
    float m_sinceChange = 0.0f;
};

} // namespace ai
} // namespace velm
