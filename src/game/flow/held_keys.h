// kelvo::CHeldKeys, the keyboard as the game's input dispatch has heard it: the latest record of
// every key. The controllers are offered key records only while they take input; when they take
// it again they are owed what they missed, so a key pressed during the countdown and still held
// acts as held from the start, and one let go meanwhile is let go. Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "engine/input/input_event.h"

namespace kelvo {

class CHeldKeys {
public:
    // Every record the dispatch pops; `offered` says whether the controllers were offered it.
    // Mouse records are no keys and are not kept.
    void Note(const velm::input::SInputEvent& record, bool offered);
    // The latest record of each key the controllers were not offered, and of each key still
    // down (a controller made since may never have seen it); afterwards every key counts as
    // offered. The records keep their sequence numbers, so which key went down later still shows.
    std::vector<velm::input::SInputEvent> TakeOwed();

private:
    struct SKey {
        velm::input::SInputEvent m_record;
        bool m_offered = true;
    };
    std::map<std::uint32_t, SKey> m_keys;
};

} // namespace kelvo
