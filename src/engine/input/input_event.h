// velm::input::SInputEvent, the 16-byte record every input consumer receives, in one code
// space: DirectInput scan codes for keys, 210-217 for mouse buttons 0-7, 218-220 for the mouse
// x, y and wheel axes. Plain data, and free functions that read it; safe from any thread.
#pragma once

#include <cstdint>

namespace velm {
namespace input {

struct SInputEvent {
    std::uint32_t m_code = 0;
    // Keys and buttons: 0 pressed, 1 released. Axes: the signed relative movement, stored as is.
    std::uint32_t m_value = 0;
    std::uint32_t m_timeStamp = 0;
    std::uint32_t m_sequence = 0;
};
static_assert(sizeof(SInputEvent) == 16, "the input record is four 32-bit words");

constexpr std::uint32_t MOUSE_BUTTON_0 = 210;
constexpr std::uint32_t MOUSE_BUTTON_7 = 217;
constexpr std::uint32_t MOUSE_AXIS_X = 218;
constexpr std::uint32_t MOUSE_AXIS_Y = 219;
constexpr std::uint32_t MOUSE_AXIS_WHEEL = 220;

// The unshifted US-layout character of a key press of scan codes 2-57 (8 backspace, 9 tab,
// 32 space); 0 for releases, other keys and every other code.
std::uint32_t ScanCodeToAscii(const SInputEvent& event);
// Keys and mouse buttons (1-217 and 221-252); false for 0, the axes and codes from 253.
bool IsButtonCode(std::uint32_t code);
inline bool IsPressed(const SInputEvent& event) { return event.m_value == 0; }
inline bool IsReleased(const SInputEvent& event) { return event.m_value == 1; }
// True when a happened after b; sequence numbers may wrap.
bool IsNewer(const SInputEvent& a, const SInputEvent& b);

} // namespace input
} // namespace velm
