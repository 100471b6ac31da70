#include "game/ai/ray_sensor.h"

namespace kelvo {
namespace ai {

// Until the racers can be asked for their terrain and side vectors, no sample is taken.
std::vector<double> CRaySensor::Sample(const CRacerModel* racer, const velm::ai::WaypointList&) {
    if (racer == nullptr) {
        return {};
    }
    return {};
}

} // namespace ai
} // namespace kelvo
