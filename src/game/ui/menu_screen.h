// kelvo::CMenuScreen, the least of a menu screen the top-level states poll: a screen of the
// screen table whose choices are flags that key-downs (or a test) set and the states read.
// Drawing and layout come with the screens' own build. Main thread only.
#pragma once

#include <cstdint>

#include "engine/gfx/base_gui.h"
#include "engine/input/input_event.h"

namespace kelvo {

class CMenuScreen : public velm::gfx::CBaseGUI {
public:
    // True when the screen took the event; only active screens take any.
    bool HandleInput(const velm::input::SInputEvent& event) override {
        if (!m_active || event.m_value != kKeyDown) {
            return false;
        }
        return OnKeyDown(event.m_code);
    }
    // A screen shown under a moving camera ignores its buttons until activated.
    void SetActive(bool active) { m_active = active; }
    void Activate() { SetActive(true); }
    bool IsActive() const { return m_active; }

protected:
    static constexpr std::uint32_t kKeyDown = 0;
    virtual bool OnKeyDown(std::uint32_t code) = 0;

private:
    bool m_active = false;
};

} // namespace kelvo
