#include "game/ui/screen_host.h"

#include "engine/core/sound_system.h"
#include "engine/core/velm_app.h"
#include "libs/common/xml_reader.h"

namespace kelvo {
namespace {

IScreenHost* g_host = nullptr;

const char* const kLayoutFolder = "../../../../data/files/xmlfiles/";

velm::CSoundSystem* Sounds() {
    velm::CVelmApp* app = velm::GetApp();
    return app != nullptr ? app->GetSoundSystem() : nullptr;
}

} // namespace

void SetScreenHost(IScreenHost* host) { g_host = host; }
IScreenHost* GetScreenHost() { return g_host; }

std::string ScreenFilePath(const std::string& fileName) {
    if (!fileName.empty() && fileName[0] == '/') {
        return fileName;
    }
    return kLayoutFolder + fileName;
}

void LoadScreenLayout(common::CXmlReader& reader, const std::string& fileName, const char* shipped) {
    reader.SetShipped(shipped);
    reader.LoadContent(ScreenFilePath(fileName), "the screen is laid out as shipped");
}

velm::CSound* CreateScreenSound(const std::string& fileName) {
    velm::CSoundSystem* sounds = Sounds();
    return sounds != nullptr && !fileName.empty() ? sounds->CreateSound(fileName) : nullptr;
}

void PlayScreenSound(velm::CSound* sound) {
    velm::CSoundSystem* sounds = Sounds();
    if (sounds != nullptr && sound != nullptr) {
        sounds->PlaySound(sound, false, 0);
    }
}

void ReleaseScreenSound(velm::CSound* sound) {
    velm::CSoundSystem* sounds = Sounds();
    if (sounds != nullptr && sound != nullptr) {
        sounds->ReleaseSound(sound);
    }
}

} // namespace kelvo
