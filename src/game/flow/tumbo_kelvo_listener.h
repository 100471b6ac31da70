// kelvo::TumboKelvoListener, the game's listener for the creation, level, connection and update
// events that the game object registers at start-up. The game holds the one shared pointer and
// hands out copies of it. Main thread only (events arrive at the event manager's tick).
#pragma once

#include <string>

#include "engine/events/event.h"

namespace kelvo {

class TumboKelvoListener : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override;
    std::string GetName() override { return "TumboKelvoListener"; }
};

} // namespace kelvo
