// velm::input::CInputSystem: opens the keyboard and the mouse through DirectInput, reads them
// once per frame and queues what happened as SInputEvent records, oldest first, for the game to
// pop. Main thread only; the system owns its devices and its update strategy.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/input_event.h"
#include "platform/win32/win32.h"

class IDirectInput8;
class IDirectInputDevice8;

namespace velm {
namespace input {

class InputUpdateImpl;

struct SAxisRange {
    std::int32_t m_min = 0;
    std::int32_t m_max = 0;
};

// The settings Init takes. The third buffer and the axis ranges belong to a device start-up
// does not open; keyboard and mouse ignore the ranges.
struct SInputInitInfo {
    bool m_buffered = true;
    std::uint32_t m_keyboardBufferSize = 0;
    std::uint32_t m_mouseBufferSize = 0;
    std::uint32_t m_thirdBufferSize = 0;
    SAxisRange m_axisRanges[6];
};

class CInputSystem {
public:
    CInputSystem() = default;
    CInputSystem(const CInputSystem&) = delete;
    CInputSystem& operator=(const CInputSystem&) = delete;
    ~CInputSystem();

    // False (holding no devices afterwards) when DirectInput, the keyboard or the mouse cannot
    // be opened; the reason is printed to standard error.
    bool Init(const SInputInitInfo& info, HINSTANCE instance, HWND window);
    // One read of the devices, appending to the pending records.
    void Update();
    // False and `out` untouched when nothing is pending.
    bool PopInputEvent(SInputEvent& out);
    void Shutdown();

    bool IsBuffered() const { return m_buffered; }

private:
    void ReleaseDevices();

    IDirectInput8* m_directInput = nullptr;
    IDirectInputDevice8* m_keyboard = nullptr;
    IDirectInputDevice8* m_mouse = nullptr;
    IDirectInputDevice8* m_third = nullptr;
    InputUpdateImpl* m_updater = nullptr;
    std::vector<SInputEvent> m_pending;
    bool m_buffered = true;
};

} // namespace input
} // namespace velm
