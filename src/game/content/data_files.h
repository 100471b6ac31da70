// The names of the game's XML data files, relative to the XML data folder (kXmlDataFolder). The
// model and instance files are paired with their keys in the start-up model-data table.
#pragma once

namespace kelvo {

// Every data file is opened as this folder followed by its name.
extern const char* const kXmlDataFolder;

extern const char* const kRaceTrack1File;
extern const char* const kRaceTrack2File;
extern const char* const kRaceTrack3File;
extern const char* const kTemplateItemsFile;
extern const char* const kLogPositionsFile;
extern const char* const kTumboPositionsFile;
extern const char* const kRaceCameraFile;
extern const char* const kFreeRoamCameraFile;
extern const char* const kItemOddsFile;
extern const char* const kStartMenuFile;
extern const char* const kCursorFile;
extern const char* const kCharacterSelectionFile;
extern const char* const kMultiplayerMenuFile;
extern const char* const kInGameMenuFile;
extern const char* const kStartRaceFile;
extern const char* const kEndRaceFile;
extern const char* const kVictoryScreenFile;
extern const char* const kSplashFile;
extern const char* const kCreditsMenuFile;

} // namespace kelvo
