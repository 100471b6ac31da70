#include "game/flow/held_keys.h"

namespace kelvo {

namespace {

bool IsKey(std::uint32_t code) {
    return velm::input::IsButtonCode(code) &&
           (code < velm::input::MOUSE_BUTTON_0 || code > velm::input::MOUSE_BUTTON_7);
}

} // namespace

void CHeldKeys::Note(const velm::input::SInputEvent& record, bool offered) {
    if (IsKey(record.m_code)) {
        m_keys[record.m_code] = SKey{record, offered};
    }
}

std::vector<velm::input::SInputEvent> CHeldKeys::TakeOwed() {
    std::vector<velm::input::SInputEvent> owed;
    for (auto& entry : m_keys) {
        SKey& key = entry.second;
        if (!key.m_offered || velm::input::IsPressed(key.m_record)) {
            owed.push_back(key.m_record);
        }
        key.m_offered = true;
    }
    return owed;
}

} // namespace kelvo
