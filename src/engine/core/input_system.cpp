#include "engine/core/input_system.h"

#include <cstdio>

#include "engine/core/input_update.h"
#include "platform/dinput/dinput.h"

namespace velm {
namespace input {
namespace {

constexpr DWORD kCooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;

void ReportFailure(const char* what, HRESULT result) {
    std::fprintf(stderr, "Input system: %s failed (error 0x%08X)\n", what, static_cast<unsigned>(result));
}

HRESULT SetBufferSize(IDirectInputDevice8* device, std::uint32_t records) {
    DIPROPDWORD property{};
    property.diph.dwSize = sizeof(DIPROPDWORD);
    property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    property.diph.dwObj = 0;
    property.diph.dwHow = DIPH_DEVICE;
    property.dwData = records;
    return device->SetProperty(DIPROP_BUFFERSIZE, &property.diph);
}

} // namespace

CInputSystem::~CInputSystem() { Shutdown(); }

bool CInputSystem::Init(const SInputInitInfo& info, HINSTANCE instance, HWND window) {
    Shutdown();
    m_buffered = info.m_buffered;
    void* created = nullptr;
    HRESULT result = DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8, &created, nullptr);
    if (FAILED(result)) {
        ReportFailure("creating DirectInput", result);
        ReleaseDevices();
        return false;
    }
    m_directInput = static_cast<IDirectInput8*>(created);

    bool keyboardOk = false;
    result = m_directInput->CreateDevice(GUID_SysKeyboard, &m_keyboard, nullptr);
    if (FAILED(result)) {
        ReportFailure("opening the keyboard", result);
    } else if (FAILED(result = m_keyboard->SetCooperativeLevel(window, kCooperation))) {
        ReportFailure("setting the keyboard's cooperative level", result);
    } else if (FAILED(result = m_keyboard->SetDataFormat(&c_dfDIKeyboard))) {
        ReportFailure("setting the keyboard's data format", result);
    } else if (info.m_buffered && FAILED(result = SetBufferSize(m_keyboard, info.m_keyboardBufferSize))) {
        ReportFailure("setting the keyboard's buffer size", result);
    } else {
        m_keyboard->Acquire();
        keyboardOk = true;
    }

    bool mouseOk = false;
    result = m_directInput->CreateDevice(GUID_SysMouse, &m_mouse, nullptr);
    if (FAILED(result)) {
        ReportFailure("opening the mouse", result);
    } else {
        m_mouse->SetCooperativeLevel(window, kCooperation);
        m_mouse->SetDataFormat(&c_dfDIMouse);
        if (info.m_buffered && FAILED(result = SetBufferSize(m_mouse, info.m_mouseBufferSize))) {
            ReportFailure("setting the mouse's buffer size", result);
        } else {
            m_mouse->Acquire();
            mouseOk = true;
        }
    }

    if (!keyboardOk || !mouseOk) {
        ReleaseDevices();
        return false;
    }
    if (m_buffered) {
        m_updater = new CBufferedInputUpdate(m_keyboard, m_mouse, m_third);
    } else {
        m_updater = new CImmediateInputUpdate(m_keyboard, m_mouse, m_third);
    }
    return true;
}

void CInputSystem::Update() {
    if (m_updater != nullptr) {
        m_updater->Update(m_pending);
    }
}

bool CInputSystem::PopInputEvent(SInputEvent& out) {
    if (m_pending.empty()) {
        return false;
    }
    out = m_pending.front();
    m_pending.erase(m_pending.begin());
    return true;
}

void CInputSystem::Shutdown() {
    ReleaseDevices();
    delete m_updater;
    m_updater = nullptr;
    std::vector<SInputEvent>().swap(m_pending);
}

void CInputSystem::ReleaseDevices() {
    for (IDirectInputDevice8** device : {&m_keyboard, &m_mouse, &m_third}) {
        if (*device != nullptr) {
            (*device)->Unacquire();
            (*device)->Release();
            *device = nullptr;
        }
    }
    if (m_directInput != nullptr) {
        m_directInput->Release();
        m_directInput = nullptr;
    }
}

} // namespace input
} // namespace velm
