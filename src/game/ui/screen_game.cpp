#include "game/ui/screen_game.h"

namespace kelvo {

namespace {
IScreenGame* g_screenGame = nullptr;
} // namespace

IScreenGame* GetScreenGame() { return g_screenGame; }

void SetScreenGame(IScreenGame* game) { g_screenGame = game; }

} // namespace kelvo
