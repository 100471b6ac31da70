#include "game/ui/screen_parts.h"

#include <sstream>

#include "engine/core/sound_system.h"
#include "engine/core/velm_app.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/velm_gfx.h"
#include "game/ui/screen_game.h"
#include "game/ui/screen_host.h"
#include "libs/common/string_util.h"

namespace kelvo {

const char* const kScreenXmlFolder = "../../../../data/files/xmlfiles/";

namespace {

velm::CSoundSystem* Sounds() {
    velm::CVelmApp* app = velm::GetApp();
    return app != nullptr ? app->GetSoundSystem() : nullptr;
}

} // namespace

void LoadLayout(common::CXmlReader& reader, const std::string& fileName, const char* shipped) {
    LoadScreenLayout(reader, fileName, shipped);
}

SScreenSize GetScreenSize() {
    return {static_cast<int>(velm::gfx::GetScreenWidth()), static_cast<int>(velm::gfx::GetScreenHeight())};
}

int ScreenPosition(float fraction, int side) { return static_cast<int>(static_cast<float>(side) * fraction); }

POINT LayoutCorner(const common::CXmlReader& reader, const SScreenSize& screen, float drawnWidth, float drawnHeight) {
    return velm::gfx::ReadLayoutCorner(reader, screen.m_width, screen.m_height, drawnWidth, drawnHeight);
}

float PictureScale(float scale, int frame, int side) {
    if (scale != 0.0f || frame <= 0) {
        return scale;
    }
    return static_cast<float>(side) / static_cast<float>(frame);
}

velm::gfx::CButton::PointInsideFunctor PointInButton(int width, int height) {
    return [width, height](const POINT& corner) {
        IScreenGame* game = GetScreenGame();
        velm::gfx::CCursor* cursor = game != nullptr ? game->GetCursor() : nullptr;
        if (cursor == nullptr) {
            return false;
        }
        const POINT at = {cursor->GetX(), cursor->GetY()};
        return velm::gfx::IsPointInBox(at, corner, width, height);
    };
}

velm::gfx::CButton* LayoutButton(common::CXmlReader& reader, const std::string& element, const SScreenSize& screen,
                                 velm::gfx::CButton::ButtonPressedFunct click) {
    const velm::gfx::SButtonLayout layout =
        velm::gfx::CButton::ReadLayout(reader, element, screen.m_width, screen.m_height);
    return velm::gfx::CButton::FromLayout(layout, PointInButton(layout.width, layout.height), std::move(click));
}

velm::gfx::SSpriteAnimation OneFrame(int width, int height) { return velm::gfx::CButton::LayoutRow(0, width, height); }

velm::gfx::CButton* ImageButton(const std::string& file, int x, int y, int width, int height, bool clickBox) {
    const velm::gfx::SSpriteAnimation look = OneFrame(width, height);
    return new velm::gfx::CButton(file, x, y, width, height,
                                  clickBox ? PointInButton(width, height) : PointInButton(0, 0), look, look, nullptr);
}

CClickSound::CClickSound(const std::string& file) {
    if (velm::CSoundSystem* sounds = Sounds()) {
        m_sound = sounds->CreateSound(file);
    }
}

CClickSound::~CClickSound() {
    if (velm::CSoundSystem* sounds = Sounds()) {
        sounds->ReleaseSound(m_sound);
    }
}

void CClickSound::Play() const {
    velm::CSoundSystem* sounds = Sounds();
    if (sounds != nullptr && m_sound != nullptr) {
        sounds->PlaySound(m_sound, false, 0);
    }
}

std::wstring PlayerLabel(int number) {
    std::wostringstream text;
    text << Widen("Player ") << number;
    return text.str();
}

std::wstring Widen(const std::string& text) { return common::ToWide(text); }

} // namespace kelvo
