#include "game/flow/startup_model_data.h"

#include <cstdio>

#include "engine/core/sound_system.h"
#include "engine/core/velm_app.h"
#include "game/content/model_data_keys.h"

namespace kelvo {

namespace {

constexpr std::size_t kRacerSounds = 3;

} // namespace

SoundMaker AppSoundMaker() {
    return [](const std::string& fileName) -> velm::CSound* {
        velm::CVelmApp* app = velm::GetApp();
        velm::CSoundSystem* sound = app != nullptr ? app->GetSoundSystem() : nullptr;
        return sound != nullptr ? sound->CreateSound3D(fileName, common::CVector3()) : nullptr;
    };
}

void LoadStartupModelData(CModelDataMgr& manager) {
    for (const SModelDataFiles& files : StartupModelDataFiles()) {
        manager.Load(files.m_key, files.m_modelFile, files.m_instanceFile);
    }
    for (std::uint32_t type = 1; type <= 6; ++type) {
        SModelData racer;
        const std::string key = ModelDataKeyFromType(type);
        if (manager.Get(key, racer) && racer.m_sounds.size() < kRacerSounds) {
            std::fprintf(stderr, "Model data %s: %zu of the %zu racer sounds\n", key.c_str(), racer.m_sounds.size(),
                         kRacerSounds);
        }
    }
}

} // namespace kelvo
