// The game's start-up loading of its model data: every key of the start-up table with its files,
// its sounds made by the application's sound system. Main thread, before networking starts.
#pragma once

#include "game/content/model_data_mgr.h"

namespace kelvo {

// Makes 3D sounds at the origin through the application's sound system; null without one.
SoundMaker AppSoundMaker();

// Loads every key of the start-up table, in its order, and logs the racers that have fewer than
// the three sounds (hurt, slap and one more) their views play.
void LoadStartupModelData(CModelDataMgr& manager);

} // namespace kelvo
