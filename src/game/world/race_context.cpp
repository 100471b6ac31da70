#include "game/world/race_context.h"

namespace kelvo {

namespace {

IRaceContext* s_race = nullptr;

} // namespace

IRaceContext* GetRaceContext() { return s_race; }

void SetRaceContext(IRaceContext* race) { s_race = race; }

} // namespace kelvo
