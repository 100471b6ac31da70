#include "game/ui/loading_screen.h"

#include "game/ui/screen_parts.h"

namespace kelvo {

CLoadingScreen::CLoadingScreen(const std::string& textureFile) : m_picture(new velm::gfx::CSprite(textureFile)) {
    m_picture->AddAnimation("LoadingScreenAni", 512, 512, 1, 0, 0, 200, 0, 0, false);
    m_picture->SetAnimation("LoadingScreenAni");
    m_picture->SetPosition(0, 0);
    m_picture->SetZOrder(5);
    m_picture->GetCurrentAnimation()->stopped = 0;
    const SScreenSize screen = GetScreenSize();
    m_picture->SetScale(static_cast<float>(screen.m_width) * kPictureScale,
                        static_cast<float>(screen.m_height) * kPictureScale, 1.0f);
}

CLoadingScreen::~CLoadingScreen() { delete m_picture; }

void CLoadingScreen::OnLostDevice() {
    CBaseGUI::OnLostDevice();
    m_picture->OnLostDevice();
}

void CLoadingScreen::OnResetDevice() {
    CBaseGUI::OnResetDevice();
    m_picture->OnResetDevice();
}

void CLoadingScreen::Render(double time, float elapsed) {
    CBaseGUI::Render(time, elapsed);
    m_picture->Render(time, elapsed);
}

} // namespace kelvo
