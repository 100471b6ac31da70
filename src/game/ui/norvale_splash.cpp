#include "game/ui/norvale_splash.h"

#include "engine/gfx/layout_values.h"
#include "game/ui/screen_parts.h"
#include "game/ui/shipped_layouts.h"
#include "libs/common/string_util.h"

namespace kelvo {

namespace {

// Reads the seven values of a picture element into the sprite (texture, place, frame, scale).
void ReadPicture(common::CXmlReader& reader, const char* element, const char* animation, const SScreenSize& screen,
                 velm::gfx::CSprite& sprite, int z) {
    reader.Enter(element);
    sprite.LoadTexture(reader.GetValue("FileName"));
    velm::gfx::SSpriteAnimation look =
        OneFrame(velm::gfx::ReadLayoutSide(reader, "BBWidth"), velm::gfx::ReadLayoutSide(reader, "BBHeight"));
    look.stopped = 0;
    const float scaleX = PictureScale(velm::gfx::ReadLayoutScale(reader, "ScalarX"), look.frameWidth, screen.m_width);
    const float scaleY = PictureScale(velm::gfx::ReadLayoutScale(reader, "ScalarY"), look.frameHeight, screen.m_height);
    const POINT corner = LayoutCorner(reader, screen, static_cast<float>(look.frameWidth) * scaleX,
                                      static_cast<float>(look.frameHeight) * scaleY);
    sprite.AddAnimation(animation, look);
    sprite.SetAnimation(animation);
    sprite.SetPosition(corner.x, corner.y);
    sprite.SetZOrder(z);
    sprite.SetScale(scaleX, scaleY, 1.0f);
}

} // namespace

CNorvaleSplash::CNorvaleSplash(const std::string& fileName) : m_background(new velm::gfx::CSprite()) {
    const SScreenSize screen = GetScreenSize();
    common::CXmlReader reader;
    LoadLayout(reader, fileName, kShippedSplash);
    ReadPicture(reader, "NVLogo", "NVLogo", screen, *this, 1);
    ReadPicture(reader, "Background", "BGAni", screen, *m_background, 0);
    reader.Enter("NorvaleCopyRight");
    velm::gfx::STextStyle style;
    style.fontIndex = 5;
    m_notice = new velm::gfx::CTextSprite(
        Widen(reader.GetValue("Text")), style,
        ScreenPosition(velm::gfx::ReadLayoutFraction(reader, "OffsetX"), screen.m_width),
        ScreenPosition(velm::gfx::ReadLayoutFraction(reader, "OffsetY"), screen.m_height), 500);
    m_notice->SetZOrder(1);
}

CNorvaleSplash::~CNorvaleSplash() {
    delete m_background;
    delete m_notice;
}

void CNorvaleSplash::OnLostDevice() {
    CBaseGUI::OnLostDevice();
    m_background->OnLostDevice();
    m_notice->OnLostDevice();
}

void CNorvaleSplash::OnResetDevice() {
    CBaseGUI::OnResetDevice();
    m_background->OnResetDevice();
    m_notice->OnResetDevice();
}

void CNorvaleSplash::Render(double time, float elapsed) {
    m_background->Render(time, elapsed);
    m_notice->Render(time, elapsed);
    CBaseGUI::Render(time, elapsed);
}

} // namespace kelvo
