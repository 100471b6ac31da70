// kelvo::CVictoryScreen, the least of the victory screen: while shown, Return continues (the race
// reset). Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/gfx/base_gui.h"
#include "platform/dinput/dik_codes.h"

namespace kelvo {

class CVictoryScreen : public velm::gfx::CBaseGUI {
public:
    explicit CVictoryScreen(const std::string& fileName) : m_fileName(fileName) { SetVisible(false); }

    void Show(bool show) { SetVisible(show); }
    void SetOnContinue(std::function<void()> onContinue) { m_onContinue = std::move(onContinue); }

    bool HandleInput(const velm::input::SInputEvent& event) override {
        if (!IsVisible() || event.m_value != 0 || event.m_code != DIK_RETURN) {
            return false;
        }
        Show(false);
        if (m_onContinue) {
            m_onContinue();
        }
        return true;
    }

private:
    std::string m_fileName;
    std::function<void()> m_onContinue;
};

} // namespace kelvo
