// The process's window-message queue: what PostQuitMessage and the framework's event pump post,
// in order. Posting is safe from any thread; the framework's main loop is the one reader.
#pragma once

#include "platform/win32/win32.h"

namespace platform {

struct SMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

void PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
// Takes the oldest posted message; false when none is waiting.
bool PeekMessage(SMessage& out);
void ClearMessages();

} // namespace platform
