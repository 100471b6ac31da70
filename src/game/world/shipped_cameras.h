// The game cameras' files as the game ships them, one table per camera: the text of each file under
// data/files/xmlfiles/ as it ships. A camera reads its file with its table behind it
// (CXmlReader::SetShipped), so that a value the file lacks or that is refused, or the whole file
// when it cannot be used, is as shipped, and the race is always seen. A test holds every table to
// its shipped file.
#pragma once

#include <string>

namespace kelvo {

// The race camera, behind the player's racer, "RaceCameraInit.xml".
extern const char* const kShippedRaceCamera;
// The free-roam camera, "FreeRoamCameraInit.xml".
extern const char* const kShippedFreeRoamCamera;

// The table of a camera file by its name, or null for a file the game does not ship.
const char* ShippedCamera(const std::string& fileName);

} // namespace kelvo
