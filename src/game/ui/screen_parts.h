// The pieces the lobby, results, in-game menu, victory, splash and credits screens share: the
// back-buffer size, the click box on the game's cursor, buttons from a layout element, one-frame
// looks and the click sound. Main thread only.
#pragma once

#include <string>

#include "engine/gfx/button.h"
#include "engine/gfx/sprite.h"
#include "libs/common/xml_reader.h"

namespace velm {
class CSound;
}

namespace kelvo {

// The folder every screen layout file is read from.
extern const char* const kScreenXmlFolder;

// Loads the layout file with the screen's shipped table behind it (LoadScreenLayout).
void LoadLayout(common::CXmlReader& reader, const std::string& fileName, const char* shipped);

struct SScreenSize {
    int m_width = 0;
    int m_height = 0;
};
// The back-buffer size, 0 x 0 without graphics.
SScreenSize GetScreenSize();
// truncate(side x fraction).
int ScreenPosition(float fraction, int side);
// Where a laid-out item of this drawn size stands: its element's offsets less its anchor
// (velm::gfx::ReadLayoutCorner).
POINT LayoutCorner(const common::CXmlReader& reader, const SScreenSize& screen, float drawnWidth, float drawnHeight);
// A picture's scale on one axis from its layout; none (0) stretches its frame over the back
// buffer's side, as the loading picture is, so that a full-screen picture fills any size.
float PictureScale(float scale, int frame, int side);

// Inside when 0 <= cursor - corner <= size on both axes; never inside without a game cursor.
velm::gfx::CButton::PointInsideFunctor PointInButton(int width, int height);

// A button of the three-look column (normal, cursor over, pressed) read from the element.
velm::gfx::CButton* LayoutButton(common::CXmlReader& reader, const std::string& element, const SScreenSize& screen,
                                 velm::gfx::CButton::ButtonPressedFunct click);
// A one-frame look of width x height at the texture origin, pivot (0, 0), 200 ms, stopped.
velm::gfx::SSpriteAnimation OneFrame(int width, int height);
// A button that only shows one frame of its texture (portraits, headings, place images).
velm::gfx::CButton* ImageButton(const std::string& file, int x, int y, int width, int height, bool clickBox);

// The click sound of a screen, made by the application's sound system and released with it.
class CClickSound {
public:
    explicit CClickSound(const std::string& file);
    ~CClickSound();
    CClickSound(const CClickSound&) = delete;
    CClickSound& operator=(const CClickSound&) = delete;
    // Not paused, not looping; nothing without sound.
    void Play() const;

private:
    velm::CSound* m_sound = nullptr;
};

// "Player " followed by the number, as a wide text.
std::wstring PlayerLabel(int number);
// UTF-8 to wide: layout files spell a space inside a value as a no-break space, since the
// tag reader drops plain spaces.
std::wstring Widen(const std::string& text);

} // namespace kelvo
