// kelvo::CNorvaleSplash, the first screen: the maker's logo over a background picture with a
// line of notice text. It has no buttons and no flags; the splash state decides how long it
// stays. The screen owns its background and notice. Main thread only.
#pragma once

#include <string>

#include "engine/gfx/base_gui.h"
#include "engine/gfx/text_sprite.h"

namespace kelvo {

class CNorvaleSplash : public velm::gfx::CBaseGUI {
public:
    explicit CNorvaleSplash(const std::string& fileName);
    ~CNorvaleSplash() override;

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Render(double time, float elapsed) override;

    const velm::gfx::CSprite* GetBackground() const { return m_background; }
    const velm::gfx::CTextSprite* GetNotice() const { return m_notice; }

private:
    velm::gfx::CTextSprite* m_notice = nullptr;
    velm::gfx::CSprite* m_background = nullptr;
};

} // namespace kelvo
