// The developer tools' doors into the running game: the game's side of the console commands
// (debug overlay, host and networking flags, start), the picker's cursor, the window
// messages the placement editor listens to and the input records the picker and the model
// manipulator take. The game calls these from Init, its destructor, MsgProc and its input
// dispatch. Main thread only.
#pragma once

#include "platform/win32/win32.h"

namespace velm {
namespace input {
struct SInputEvent;
}
} // namespace velm

namespace kelvo {

class CTumboKelvoGame;

// The script commands and the picker work on this game from now on.
void AttachGameTools(CTumboKelvoGame& game);
// Undoes AttachGameTools for that game and deletes the placement editor, whose records name the
// game's objects.
void DetachGameTools(CTumboKelvoGame& game);

// Every window message goes to the placement editor; the answer is always 0, so the window goes
// on with its own handling.
LRESULT ToolsMsgProc(UINT message, WPARAM wParam, LPARAM lParam);

// After the controllers: the picker (which never consumes), then the model manipulator. True when
// the manipulator consumed the record.
bool OfferToolsInput(const velm::input::SInputEvent& event);

} // namespace kelvo
