#include "engine/core/sound_system.h"

#include <algorithm>
#include <cstdio>

#include "libs/common/vector3.h"
#include "platform/fmod/fmod.h"

namespace velm {
namespace {

constexpr unsigned int kOldestVersion = 0x40105;
constexpr int kChannels = 100;
constexpr float kDopplerScale = 1.0f;
constexpr float kDistanceFactor = 1.0f;
constexpr float kRolloffScale = 0.8f;
constexpr FMOD_MODE kPlainMode = 0x20;
constexpr FMOD_MODE k3DMode = 0x30;
constexpr float kMinDistance = 2.0f;
constexpr float kMaxDistance = 10.0f;

} // namespace

CSoundSystem::CSoundSystem(const std::string& soundsFolder) : m_soundsFolder(soundsFolder) {}

CSoundSystem::~CSoundSystem() { Shutdown(); }

bool CSoundSystem::Init() {
    FMOD_RESULT result = FMOD_System_Create(&m_system);
    if (result != FMOD_OK) {
        std::fprintf(stderr, "Sound system: the sound system could not be created: %s\n", FMOD_ErrorString(result));
        m_system = nullptr;
        return false;
    }
    unsigned int version = 0;
    FMOD_System_getVersion(m_system, &version);
    if (version < kOldestVersion) {
        std::fprintf(stderr, "Sound system: sound library version %08x is older than 4.01.05\n", version);
        return false;
    }
    FMOD_System_init(m_system, kChannels, FMOD_INIT_3D_RIGHTHANDED, nullptr);
    FMOD_System_set3DSettings(m_system, kDopplerScale, kDistanceFactor, kRolloffScale);
    const FMOD_VECTOR position = {m_listenerPosition[0], m_listenerPosition[1], m_listenerPosition[2]};
    const FMOD_VECTOR velocity = {m_listenerVelocity[0], m_listenerVelocity[1], m_listenerVelocity[2]};
    const FMOD_VECTOR forward = {0.0f, 1.0f, 0.0f};
    const FMOD_VECTOR up = {1.0f, 0.0f, 0.0f};
    FMOD_System_set3DListenerAttributes(m_system, 0, &position, &velocity, &forward, &up);
    return true;
}

bool CSoundSystem::Shutdown() {
    if (m_system == nullptr) {
        return true;
    }
    FMOD_System_close(m_system);
    FMOD_System_release(m_system);
    m_system = nullptr;
    // Releasing the system ended every sound; the objects go with it rather than dangle.
    for (std::list<CSound*>* sounds : {&m_sounds, &m_sounds3D}) {
        for (CSound* sound : *sounds) {
            delete sound;
        }
        sounds->clear();
    }
    return true;
}

CSound* CSoundSystem::Create(const std::string& fileName, std::uint32_t kind) {
    CSound* sound = new CSound();
    (kind == CSound::KIND_3D ? m_sounds3D : m_sounds).push_back(sound);
    sound->m_kind = kind;
    const std::string path = m_soundsFolder + fileName;
    FMOD_RESULT result = FMOD_ERR_UNINITIALIZED;
    if (m_system != nullptr) {
        if (kind == CSound::KIND_STREAM) {
            result = FMOD_System_createStream(m_system, path.c_str(), kPlainMode, nullptr, &sound->m_sound);
        } else {
            result = FMOD_System_createSound(m_system, path.c_str(), kind == CSound::KIND_3D ? k3DMode : kPlainMode,
                                             nullptr, &sound->m_sound);
        }
    }
    if (result != FMOD_OK) {
        sound->m_sound = nullptr;
        std::fprintf(stderr, "Sound system: cannot open sound \"%s\": %s\n", path.c_str(), FMOD_ErrorString(result));
    }
    return sound;
}

CSound* CSoundSystem::CreateSound(const std::string& fileName) { return Create(fileName, CSound::KIND_2D); }

CSound* CSoundSystem::CreateStream(const std::string& fileName) { return Create(fileName, CSound::KIND_STREAM); }

CSound* CSoundSystem::CreateSound3D(const std::string& fileName, const common::CVector3& position) {
    CSound* sound = Create(fileName, CSound::KIND_3D);
    sound->SetMinMaxDistance(kMinDistance, kMaxDistance);
    sound->SetPosition(position);
    return sound;
}

void CSoundSystem::PlaySound(CSound* sound, bool paused, int loop) {
    if (sound == nullptr) {
        return;
    }
    if (sound->IsPlaying()) {
        sound->Stop();
    }
    FMOD_Sound_setMode(sound->m_sound, loop == 1 ? FMOD_LOOP_NORMAL : FMOD_LOOP_OFF);
    FMOD_Channel_setVolume(sound->m_channel, sound->m_volume);
    if (m_system != nullptr && sound->m_sound != nullptr) {
        FMOD_System_playSound(m_system, FMOD_CHANNEL_FREE, sound->m_sound, paused ? 1 : 0, &sound->m_channel);
    }
    FMOD_Channel_setVolume(sound->m_channel, sound->m_volume);
    if (sound->m_kind == CSound::KIND_3D) {
        // A 3D sound moved while silent starts where it was last put.
        sound->ApplyAttributes();
    }
}

bool CSoundSystem::ReleaseSound(CSound* sound) {
    if (sound == nullptr) {
        return false;
    }
    m_sounds.remove(sound);
    m_sounds3D.remove(sound);
    if (sound->m_sound != nullptr) {
        FMOD_Sound_release(sound->m_sound);
    }
    delete sound;
    return true;
}

void CSoundSystem::SetListenerPosition(const common::CVector3& position) {
    m_listenerPosition[0] = position.x;
    m_listenerPosition[1] = position.y;
    m_listenerPosition[2] = position.z;
}

void CSoundSystem::SetListenerVelocity(const common::CVector3& velocity) {
    m_listenerVelocity[0] = velocity.x;
    m_listenerVelocity[1] = velocity.y;
    m_listenerVelocity[2] = velocity.z;
}

void CSoundSystem::Update() {
    if (m_system == nullptr) {
        return;
    }
    for (CSound* sound : m_sounds3D) {
        if (sound->IsPlaying()) {
            sound->ApplyAttributes();
        }
    }
    const FMOD_VECTOR position = {m_listenerPosition[0], m_listenerPosition[1], m_listenerPosition[2]};
    const FMOD_VECTOR velocity = {m_listenerVelocity[0], m_listenerVelocity[1], m_listenerVelocity[2]};
    const FMOD_VECTOR forward = {0.0f, 0.0f, 1.0f};
    const FMOD_VECTOR up = {0.0f, 1.0f, 0.0f};
    FMOD_System_set3DListenerAttributes(m_system, 0, &position, &velocity, &forward, &up);
    FMOD_System_update(m_system);
}

} // namespace velm
