#include "game/tools/tools_game.h"

namespace kelvo {

namespace {

IToolsGame* s_game = nullptr;

} // namespace

IToolsGame* GetToolsGame() { return s_game; }

void SetToolsGame(IToolsGame* game) { s_game = game; }

} // namespace kelvo
