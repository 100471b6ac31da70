// kelvo::IScreenHost: what the game's screens ask of the game object (cursor, chosen character,
// the character line-up, countdown sounds, race clock, quit). The game installs itself at start;
// without a host every ask is a no-op. Layout files are found through ScreenFilePath.
// Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace common {
class CXmlReader;
}

namespace velm {
class CModel;
class CSound;
namespace gfx {
class CCursor;
}
} // namespace velm

namespace kelvo {

class IScreenHost {
public:
    virtual ~IScreenHost() = default;
    // Null while the game has no cursor.
    virtual velm::gfx::CCursor* GetCursor() = 0;
    virtual void SetSelectedCharacter(std::uint32_t character) = 0;
    // The six models of the character line-up in character order; null where one is missing.
    virtual std::vector<velm::CModel*> GetCharSelRacers() = 0;
    // Stages 2 to 6 each play one of the game's five countdown sounds.
    virtual void PlayCountdownSound(int stage) = 0;
    virtual void ResetRaceClock() = 0;
    virtual void StartRaceClock() = 0;
    virtual void PostQuit() = 0;
};

// Not owned; null uninstalls.
void SetScreenHost(IScreenHost* host);
IScreenHost* GetScreenHost();

// A name under the screens' layout folder ("../../../../data/files/xmlfiles/"); an absolute path
// is taken as it is.
std::string ScreenFilePath(const std::string& fileName);

// Loads a screen's layout file (through ScreenFilePath) with the screen's shipped table
// (shipped_layouts.h) behind it: a file that cannot be used is said on standard error and the
// screen is laid out as shipped; so is each value the file lacks or that is refused.
void LoadScreenLayout(common::CXmlReader& reader, const std::string& fileName, const char* shipped);

// The click sound of a screen: created from the sound folder, played running and once, released.
// Each does nothing without the application's sound system or without a sound.
velm::CSound* CreateScreenSound(const std::string& fileName);
void PlayScreenSound(velm::CSound* sound);
void ReleaseScreenSound(velm::CSound* sound);

} // namespace kelvo
