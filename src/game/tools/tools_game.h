// kelvo::IToolsGame: what the developer tools ask of the running game beyond its race: the
// active camera and the GUI cursor. The game installs it while it lives; without one the tools
// find no camera and no cursor. Main thread only; the installed game is not owned.
#pragma once

namespace velm {
class CVelmCamera;
namespace gfx {
class CCursor;
}
} // namespace velm

namespace kelvo {

class IToolsGame {
public:
    virtual ~IToolsGame() = default;
    // Null while there is none.
    virtual velm::CVelmCamera* GetCamera() = 0;
    virtual velm::gfx::CCursor* GetCursor() = 0;
};

IToolsGame* GetToolsGame();
void SetToolsGame(IToolsGame* game);

} // namespace kelvo
