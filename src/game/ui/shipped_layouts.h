// The screens' layouts as the game ships them, one table per screen: the text of each layout file
// under data/files/xmlfiles/ as it ships. A screen reads its file with its table behind it
// (CXmlReader::SetShipped): a value the file lacks or that is refused, and every value when the
// file cannot be used, lays the screen out as shipped, so that each screen keeps the buttons
// that lead on. A test holds every table to its shipped file, so the two cannot drift apart.
#pragma once

#include <vector>

namespace kelvo {

// The start menu, "StartMenu.xml".
extern const char* const kShippedStartMenu;
// The character selection, "CharacterSelection.xml".
extern const char* const kShippedCharacterSelection;
// The multiplayer lobby, "MultiplayerMenu.xml".
extern const char* const kShippedMultiplayerMenu;
// The credits, "CreditsMenu.xml".
extern const char* const kShippedCredits;
// The in-game menu, "InGameMenu.xml".
extern const char* const kShippedInGameMenu;
// The start-race countdown, "StartRaceInit.xml".
extern const char* const kShippedCountdown;
// The results, "EndRace.xml".
extern const char* const kShippedEndRace;
// The victory screen, "VictoryScreen.xml".
extern const char* const kShippedVictory;
// The splash, "NorvaleSplash.xml".
extern const char* const kShippedSplash;
// The cursor, "CursorInit.xml".
extern const char* const kShippedCursor;

struct SShippedLayout {
    const char* m_fileName;
    const char* m_text;
};
// Every table with the name of its file.
const std::vector<SShippedLayout>& ShippedLayouts();

} // namespace kelvo
