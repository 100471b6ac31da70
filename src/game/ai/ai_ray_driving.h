// kelvo::ai::AIRayDriving, the bank-ray driver: it turns away from the nearer bank when one bank
// is much nearer than the other, and asks nothing otherwise. Owned by an enemy racer's AI;
// main thread only.
#pragma once

#include <memory>

#include "engine/ai/ai_base.h"
#include "game/ai/ray_sensor.h"

namespace velm {
namespace ai {
class CNeuralNet;
}
} // namespace velm

namespace kelvo {
namespace ai {

class AIRayDriving : public velm::ai::CAIBase {
public:
    // The left bank this many times farther than the right turns left, and below the lower
    // ratio right; between them the driver asks nothing.
    static constexpr double LEFT_RATIO = 1.5;
    static constexpr double RIGHT_RATIO = 0.3;

    AIRayDriving();
    ~AIRayDriving() override;

    bool SetNet(velm::ai::CNeuralNet* net);
    void SetRacer(const CRacerModel* racer) { m_racer = racer; }

    velm::ai::SDriveInput& Update(velm::ai::SDriveInput& out, const velm::ai::SRacerInfo& own,
                                  const std::list<velm::ai::SRacerInfo>& targets, float dt) override;

    // The decision for one sample.
    static velm::ai::SDriveInput Decide(const std::vector<double>& sample);

    CRaySensor& GetSensor() { return *m_sensor; }

private:
    velm::ai::CNeuralNet* m_net = nullptr;
    std::unique_ptr<CRaySensor> m_sensor;
    const CRacerModel* m_racer = nullptr;
};

} // namespace ai
} // namespace kelvo
