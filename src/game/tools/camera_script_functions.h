// The script functions of the camera and the mouse cursor: where the active camera's eye stands,
// switching its keypad and mouse flight, its flight speed, and showing the cursor. They work on
// the installed game's (IToolsGame) active camera and cursor; without one a call says so on the
// console and answers nothing (or false). Main thread only.
#pragma once

namespace kelvo {

// Registers the functions with the script host; registering again replaces them.
void RegisterCameraScriptFunctions();

} // namespace kelvo
