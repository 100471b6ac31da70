// velm::gfx::CCursor: the mouse pointer drawn as a 64 x 64 sprite whose hot spot lands on the
// pointer's position: moved by the mouse axes and kept on screen in full-screen mode, taken from
// the system cursor over the window otherwise; hidden, it keeps following and is not drawn. It reads its texture, start
// and hot spot from its XML file. Main thread only.
#pragma once

#include <string>

#include "engine/gfx/base_gui.h"

namespace velm {
namespace gfx {

extern const char* const kPointerAnimation;

class CCursor : public CBaseGUI {
public:
    // fileName is the full path of the cursor's XML file ("CursorInit.xml" under the data tree);
    // `shipped`, when given, the file's text as it ships, which stands in for what the file lacks
    // or holds refused, and for the whole file when it cannot be used (CXmlReader::SetShipped).
    CCursor(const std::string& fileName, bool shown, const char* shipped = nullptr);

    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;
    // Mouse movement, shown or hidden; never consumes.
    bool HandleInput(const input::SInputEvent& event) override;

    void Show(bool shown);
    bool IsShown() const { return m_shown != 0; }

    // A hot spot beyond the 64-pixel frame, or a start beyond the largest screen, is held to it
    // (and one that is not a number read as 0), with a line on standard error; with shipped
    // values it takes the shipped one instead.
    static constexpr int kFrameSide = 64;

private:
    std::uint8_t m_shown = 0;
};

} // namespace gfx
} // namespace velm
