// The AI manager the application owns: it holds the named waypoint paths, the neural nets and
// the ranking path that the computer racers and the race ranking read. Main thread only.
#pragma once

namespace velm {
namespace ai {

class CAIManager {
public:
    CAIManager();
    virtual ~CAIManager();
};

} // namespace ai
} // namespace velm
