#include "game/content/data_files.h"

namespace kelvo {

const char* const kXmlDataFolder = "../../../../data/files/xmlfiles/";

const char* const kRaceTrack1File = "race_track1.xml";
const char* const kRaceTrack2File = "race_track2.xml";
const char* const kRaceTrack3File = "race_track3.xml";
const char* const kTemplateItemsFile = "templateitems.xml";
const char* const kLogPositionsFile = "log_positions.xml";
const char* const kTumboPositionsFile = "tumbo_pos.xml";
const char* const kRaceCameraFile = "RaceCameraInit.xml";
const char* const kFreeRoamCameraFile = "FreeRoamCameraInit.xml";
const char* const kItemOddsFile = "items.xml";
const char* const kStartMenuFile = "StartMenu.xml";
const char* const kCursorFile = "CursorInit.xml";
const char* const kCharacterSelectionFile = "CharacterSelection.xml";
const char* const kMultiplayerMenuFile = "MultiplayerMenu.xml";
const char* const kInGameMenuFile = "InGameMenu.xml";
const char* const kStartRaceFile = "StartRaceInit.xml";
const char* const kEndRaceFile = "EndRace.xml";
const char* const kVictoryScreenFile = "VictoryScreen.xml";
const char* const kSplashFile = "NorvaleSplash.xml";
const char* const kCreditsMenuFile = "CreditsMenu.xml";

} // namespace kelvo
