// kelvo::CLoadingScreen: the full-screen picture drawn while the loading thread builds a level.
// It touches nothing the loading thread builds. The screen owns its picture. Main thread only.
#pragma once

#include <string>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CLoadingScreen : public velm::gfx::CBaseGUI {
public:
    // The picture is 512 x 512 and scaled to fill the back buffer.
    static constexpr float kPictureScale = 0.001953125f;

    explicit CLoadingScreen(const std::string& textureFile);
    ~CLoadingScreen() override;

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Render(double time, float elapsed) override;

    const velm::gfx::CSprite* GetPicture() const { return m_picture; }

private:
    velm::gfx::CSprite* m_picture = nullptr;
};

} // namespace kelvo
