#include "engine/core/input_update.h"

#include <cstring>

namespace velm {
namespace input {
namespace {

constexpr BYTE kDownBit = 0x80;
// A device that keeps reporting itself lost is left for the next frame rather than spun on.
constexpr int kMaxReacquireTries = 8;

void Reacquire(IDirectInputDevice8* device) {
    for (int i = 0; i < kMaxReacquireTries && device->Acquire() == DIERR_INPUTLOST; ++i) {
    }
}

std::uint32_t ButtonValue(DWORD data) { return (data & kDownBit) != 0 ? 0u : 1u; }

} // namespace

CBufferedInputUpdate::CBufferedInputUpdate(IDirectInputDevice8* keyboard, IDirectInputDevice8* mouse,
                                           IDirectInputDevice8*)
    : m_keyboard(keyboard),
      m_mouse(mouse),
      m_keyboardRecord(new DIDEVICEOBJECTDATA()),
      m_mouseRecord(new DIDEVICEOBJECTDATA()),
      m_thirdRecord(new DIDEVICEOBJECTDATA()) {}

CBufferedInputUpdate::~CBufferedInputUpdate() {
    delete m_keyboardRecord;
    delete m_mouseRecord;
    delete m_thirdRecord;
}

bool CBufferedInputUpdate::ReadOne(IDirectInputDevice8* device, DIDEVICEOBJECTDATA& record) {
    DWORD count = 1;
    if (FAILED(device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), &record, &count, 0))) {
        Reacquire(device);
        return false;
    }
    return count != 0;
}

bool CBufferedInputUpdate::Update(std::vector<SInputEvent>& pending) {
    if (m_keyboard != nullptr) {
        while (ReadOne(m_keyboard, *m_keyboardRecord)) {
            const DIDEVICEOBJECTDATA& r = *m_keyboardRecord;
            pending.push_back(SInputEvent{r.dwOfs, ButtonValue(r.dwData), r.dwTimeStamp, r.dwSequence});
        }
    }
    if (m_mouse != nullptr) {
        while (ReadOne(m_mouse, *m_mouseRecord)) {
            const DIDEVICEOBJECTDATA& r = *m_mouseRecord;
            if (r.dwOfs == DIMOFS_X || r.dwOfs == DIMOFS_Y || r.dwOfs == DIMOFS_Z) {
                const std::uint32_t code = MOUSE_AXIS_X + r.dwOfs / 4;
                pending.push_back(SInputEvent{code, r.dwData, r.dwTimeStamp, r.dwSequence});
            } else if (r.dwOfs >= DIMOFS_BUTTON0 && r.dwOfs <= DIMOFS_BUTTON7) {
                const std::uint32_t code = MOUSE_BUTTON_0 + (r.dwOfs - DIMOFS_BUTTON0);
                pending.push_back(SInputEvent{code, ButtonValue(r.dwData), r.dwTimeStamp, r.dwSequence});
            }
        }
    }
    return true;
}

CImmediateInputUpdate::CImmediateInputUpdate(IDirectInputDevice8* keyboard, IDirectInputDevice8* mouse,
                                             IDirectInputDevice8* third)
    : m_keyboard(keyboard), m_mouse(mouse), m_third(third) {}

bool CImmediateInputUpdate::Update(std::vector<SInputEvent>&) {
    std::memcpy(m_previousKeys, m_keys, sizeof(m_keys));
    m_previousMouseState = m_mouseState;
    if (m_third != nullptr) {
        m_previousThirdState = m_thirdState;
    }
    if (m_keyboard == nullptr || FAILED(m_keyboard->GetDeviceState(sizeof(m_keys), m_keys))) {
        if (m_keyboard != nullptr) {
            Reacquire(m_keyboard);
        }
        return true;
    }
    if (m_mouse != nullptr && FAILED(m_mouse->GetDeviceState(sizeof(m_mouseState), &m_mouseState))) {
        Reacquire(m_mouse);
    }
    return true;
}

} // namespace input
} // namespace velm
