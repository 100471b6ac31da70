// The two ways the input system reads its devices each frame: buffered device data turned into
// input records, or immediate state snapshots kept as current and previous. A strategy points
// at the system's devices and owns none of them. Main thread only.
#pragma once

#include <vector>

#include "engine/core/input_event.h"
#include "platform/dinput/dinput.h"

namespace velm {
namespace input {

class InputUpdateImpl {
public:
    virtual ~InputUpdateImpl() = default;
    virtual bool Update(std::vector<SInputEvent>& pending) = 0;
};

class CBufferedInputUpdate final : public InputUpdateImpl {
public:
    // Buffered reading takes keyboard then mouse; the third device, when there is one, keeps a
    // read buffer but is not read.
    CBufferedInputUpdate(IDirectInputDevice8* keyboard, IDirectInputDevice8* mouse, IDirectInputDevice8* third);
    ~CBufferedInputUpdate() override;
    CBufferedInputUpdate(const CBufferedInputUpdate&) = delete;
    CBufferedInputUpdate& operator=(const CBufferedInputUpdate&) = delete;

    bool Update(std::vector<SInputEvent>& pending) override;

private:
    // False when the device has nothing more for this frame.
    bool ReadOne(IDirectInputDevice8* device, DIDEVICEOBJECTDATA& record);

    IDirectInputDevice8* m_keyboard;
    IDirectInputDevice8* m_mouse;
    DIDEVICEOBJECTDATA* m_keyboardRecord;
    DIDEVICEOBJECTDATA* m_mouseRecord;
    DIDEVICEOBJECTDATA* m_thirdRecord;
};

class CImmediateInputUpdate final : public InputUpdateImpl {
public:
    CImmediateInputUpdate(IDirectInputDevice8* keyboard, IDirectInputDevice8* mouse, IDirectInputDevice8* third);

    // Takes new snapshots; produces no records.
    bool Update(std::vector<SInputEvent>& pending) override;

    const BYTE* GetKeys() const { return m_keys; }
    const BYTE* GetPreviousKeys() const { return m_previousKeys; }
    const DIMOUSESTATE& GetMouse() const { return m_mouseState; }
    const DIMOUSESTATE& GetPreviousMouse() const { return m_previousMouseState; }

private:
    IDirectInputDevice8* m_keyboard;
    IDirectInputDevice8* m_mouse;
    IDirectInputDevice8* m_third;
    BYTE m_keys[256] = {};
    BYTE m_previousKeys[256] = {};
    DIMOUSESTATE m_mouseState = {};
    DIMOUSESTATE m_previousMouseState = {};
    DIMOUSESTATE m_thirdState = {};
    DIMOUSESTATE m_previousThirdState = {};
};

} // namespace input
} // namespace velm
