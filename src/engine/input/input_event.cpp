#include "engine/input/input_event.h"

namespace velm {
namespace input {
namespace {

// The unshifted US-layout characters of scan codes 2 to 57; 0 where the key types nothing.
constexpr char kUsLayout[] = {
    '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '-',  '=', 8, 9,    // 2-15
    'q', 'w', 'e', 'r', 't', 'y', 'u', 'i', 'o', 'p', '[',  ']', 0, 0,    // 16-29
    'a', 's', 'd', 'f', 'g', 'h', 'j', 'k', 'l', ';', '\'', '`', 0, '\\', // 30-43
    'z', 'x', 'c', 'v', 'b', 'n', 'm', ',', '.', '/', 0,    '*', 0, ' ',  // 44-57
};
constexpr std::uint32_t kFirstTyped = 2;
constexpr std::uint32_t kLastTyped = 57;
static_assert(sizeof(kUsLayout) == kLastTyped - kFirstTyped + 1, "one entry per scan code");

} // namespace

std::uint32_t ScanCodeToAscii(const SInputEvent& event) {
    if (event.m_value != 0 || event.m_code < kFirstTyped || event.m_code > kLastTyped) {
        return 0;
    }
    return static_cast<std::uint32_t>(static_cast<unsigned char>(kUsLayout[event.m_code - kFirstTyped]));
}

bool IsButtonCode(std::uint32_t code) {
    return (code >= 1 && code <= MOUSE_BUTTON_7) || (code > MOUSE_AXIS_WHEEL && code <= 252);
}

bool IsNewer(const SInputEvent& a, const SInputEvent& b) {
    return static_cast<std::int32_t>(a.m_sequence - b.m_sequence) > 0;
}

} // namespace input
} // namespace velm
