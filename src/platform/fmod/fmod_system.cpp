#include <cstdio>

#include "platform/fmod/fmod_internal.h"

using fmodsim::SChannel;

namespace fmodsim {
namespace {

// Live systems by handle id (index + 1), so a channel handle can name its system.
std::vector<FMOD_SYSTEM*> s_systems;

void ApplyListener(FMOD_SYSTEM* system) {
    if (!HasOutput(system)) {
        return;
    }
    const FMOD_VECTOR p = ToOpenAL(system, system->listener[0]);
    const FMOD_VECTOR v = ToOpenAL(system, system->listener[1]);
    const FMOD_VECTOR f = ToOpenAL(system, system->listener[2]);
    const FMOD_VECTOR u = ToOpenAL(system, system->listener[3]);
    alListener3f(AL_POSITION, p.x, p.y, p.z);
    alListener3f(AL_VELOCITY, v.x, v.y, v.z);
    const ALfloat orientation[6] = {f.x, f.y, f.z, u.x, u.y, u.z};
    alListenerfv(AL_ORIENTATION, orientation);
}

void OpenOutput(FMOD_SYSTEM* system) {
    system->device = alcOpenDevice(nullptr);
    if (system->device != nullptr) {
        system->context = alcCreateContext(system->device, nullptr);
        if (system->context == nullptr || alcMakeContextCurrent(system->context) == ALC_FALSE) {
            if (system->context != nullptr) {
                alcDestroyContext(system->context);
                system->context = nullptr;
            }
            alcCloseDevice(system->device);
            system->device = nullptr;
        }
    }
    if (system->device == nullptr) {
        std::fprintf(stderr, "Sound: no audio device could be opened; running without sound\n");
        return;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
}

void CloseOutput(FMOD_SYSTEM* system) {
    if (system->context == nullptr) {
        return;
    }
    alcMakeContextCurrent(system->context);
    for (SChannel& channel : system->channels) {
        if (channel.source != 0) {
            alSourceStop(channel.source);
            alSourcei(channel.source, AL_BUFFER, 0);
            alDeleteSources(1, &channel.source);
            channel.source = 0;
        }
        if (channel.streamBuffers[0] != 0) {
            alDeleteBuffers(kStreamBuffers, channel.streamBuffers);
        }
    }
    for (FMOD_SOUND* sound : system->sounds) {
        if (sound->buffer != 0) {
            alDeleteBuffers(1, &sound->buffer);
            sound->buffer = 0;
        }
    }
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(system->context);
    alcCloseDevice(system->device);
    system->context = nullptr;
    system->device = nullptr;
}

} // namespace

bool HasOutput(const FMOD_SYSTEM* system) { return system->context != nullptr; }

FMOD_VECTOR ToOpenAL(const FMOD_SYSTEM* system, const FMOD_VECTOR& v) {
    // OpenAL is right-handed; a left-handed caller's z points the other way.
    return system->rightHanded ? v : FMOD_VECTOR{v.x, v.y, -v.z};
}

// A handle packs system id (16 bits), channel index (16 bits) and generation (32 bits).
static_assert(sizeof(void*) == 8, "channel handles need 64-bit pointers");

FMOD_CHANNEL* MakeHandle(const FMOD_SYSTEM* system, std::size_t index, std::uint32_t generation) {
    const std::uint64_t value =
        (static_cast<std::uint64_t>(system->handleId) << 48) | (static_cast<std::uint64_t>(index) << 32) | generation;
    return reinterpret_cast<FMOD_CHANNEL*>(static_cast<std::uintptr_t>(value));
}

SChannel* ResolveChannel(FMOD_CHANNEL* handle, FMOD_SYSTEM** system) {
    const std::uint64_t value = reinterpret_cast<std::uintptr_t>(handle);
    const std::size_t id = static_cast<std::size_t>(value >> 48);
    const std::size_t index = static_cast<std::size_t>((value >> 32) & 0xFFFFu);
    const std::uint32_t generation = static_cast<std::uint32_t>(value & 0xFFFFFFFFu);
    if (id == 0 || id > s_systems.size() || s_systems[id - 1] == nullptr) {
        return nullptr;
    }
    FMOD_SYSTEM* owner = s_systems[id - 1];
    if (index >= owner->channels.size()) {
        return nullptr;
    }
    SChannel& channel = owner->channels[index];
    if (!channel.inUse || channel.generation != generation || !RefreshChannel(owner, channel)) {
        return nullptr;
    }
    *system = owner;
    return &channel;
}

} // namespace fmodsim

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    FMOD_SYSTEM* created = new FMOD_SYSTEM();
    std::size_t slot = 0;
    while (slot < fmodsim::s_systems.size() && fmodsim::s_systems[slot] != nullptr) {
        ++slot;
    }
    if (slot == fmodsim::s_systems.size()) {
        fmodsim::s_systems.push_back(nullptr);
    }
    fmodsim::s_systems[slot] = created;
    created->handleId = static_cast<std::uint16_t>(slot + 1);
    *system = created;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_getVersion(FMOD_SYSTEM* system, unsigned int* version) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr || version == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    *version = FMOD_VERSION;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_init(FMOD_SYSTEM* system, int maxChannels, FMOD_INITFLAGS flags, void*) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr || maxChannels <= 0 || maxChannels > 4093) {
        return FMOD_ERR_INVALID_PARAM;
    }
    if (system->initialised) {
        return FMOD_ERR_INITIALIZED;
    }
    system->rightHanded = (flags & FMOD_INIT_3D_RIGHTHANDED) != 0;
    system->channels.assign(static_cast<std::size_t>(maxChannels), SChannel());
    fmodsim::OpenOutput(system);
    if (fmodsim::HasOutput(system)) {
        for (SChannel& channel : system->channels) {
            alGetError();
            alGenSources(1, &channel.source);
            if (alGetError() != AL_NO_ERROR) {
                channel.source = 0;
            }
        }
    }
    system->initialised = true;
    fmodsim::ApplyListener(system);
    fmodsim::StartStreamFeeder(system);
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_close(FMOD_SYSTEM* system) {
    if (system == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    // Before the lock: the feeder may be waiting for it.
    fmodsim::StopStreamFeeder(system);
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    for (SChannel& channel : system->channels) {
        if (channel.inUse) {
            fmodsim::StopChannel(system, channel);
        }
    }
    fmodsim::CloseOutput(system);
    system->channels.clear();
    system->initialised = false;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_release(FMOD_SYSTEM* system) {
    if (system == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    // Before the lock: the feeder may be waiting for it.
    fmodsim::StopStreamFeeder(system);
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_System_close(system);
    // Closing the system ends its sounds.
    const std::set<FMOD_SOUND*> sounds = system->sounds;
    for (FMOD_SOUND* sound : sounds) {
        FMOD_Sound_release(sound);
    }
    fmodsim::s_systems[system->handleId - 1] = nullptr;
    delete system;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_update(FMOD_SYSTEM* system) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    if (!system->initialised) {
        return FMOD_ERR_UNINITIALIZED;
    }
    for (SChannel& channel : system->channels) {
        if (channel.inUse) {
            fmodsim::RefreshChannel(system, channel);
        }
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_set3DSettings(FMOD_SYSTEM* system, float dopplerScale, float distanceFactor,
                                      float rolloffScale) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr || dopplerScale < 0.0f || distanceFactor <= 0.0f || rolloffScale < 0.0f) {
        return FMOD_ERR_INVALID_PARAM;
    }
    system->dopplerScale = dopplerScale;
    system->distanceFactor = distanceFactor;
    system->rolloffScale = rolloffScale;
    if (fmodsim::HasOutput(system)) {
        alDopplerFactor(dopplerScale);
        // Distances are in units of 1 / distance factor metres.
        alSpeedOfSound(343.3f * distanceFactor);
        for (SChannel& channel : system->channels) {
            if (channel.inUse) {
                fmodsim::ApplyChannel3D(system, channel);
            }
        }
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_set3DListenerAttributes(FMOD_SYSTEM* system, int listener, const FMOD_VECTOR* position,
                                                const FMOD_VECTOR* velocity, const FMOD_VECTOR* forward,
                                                const FMOD_VECTOR* up) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr || listener != 0) {
        return FMOD_ERR_INVALID_PARAM;
    }
    const FMOD_VECTOR* given[4] = {position, velocity, forward, up};
    for (int i = 0; i < 4; ++i) {
        if (given[i] != nullptr) {
            system->listener[i] = *given[i];
        }
    }
    fmodsim::ApplyListener(system);
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_get3DListenerAttributes(FMOD_SYSTEM* system, int listener, FMOD_VECTOR* position,
                                                FMOD_VECTOR* velocity, FMOD_VECTOR* forward, FMOD_VECTOR* up) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr || listener != 0) {
        return FMOD_ERR_INVALID_PARAM;
    }
    FMOD_VECTOR* wanted[4] = {position, velocity, forward, up};
    for (int i = 0; i < 4; ++i) {
        if (wanted[i] != nullptr) {
            *wanted[i] = system->listener[i];
        }
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_getChannelsPlaying(FMOD_SYSTEM* system, int* channels) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr || channels == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    int playing = 0;
    for (SChannel& channel : system->channels) {
        if (channel.inUse && fmodsim::RefreshChannel(system, channel)) {
            ++playing;
        }
    }
    *channels = playing;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_getOutput(FMOD_SYSTEM* system, FMOD_OUTPUTTYPE* output) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr || output == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    *output = fmodsim::HasOutput(system) ? FMOD_OUTPUTTYPE_OPENAL : FMOD_OUTPUTTYPE_NOSOUND;
    return FMOD_OK;
}

const char* FMOD_ErrorString(FMOD_RESULT result) {
    switch (result) {
        case FMOD_OK:
            return "No errors.";
        case FMOD_ERR_CHANNEL_STOLEN:
            return "The channel was stolen by another play.";
        case FMOD_ERR_FILE_BAD:
            return "Error loading file.";
        case FMOD_ERR_FILE_NOTFOUND:
            return "File not found.";
        case FMOD_ERR_FORMAT:
            return "Unsupported file or audio format.";
        case FMOD_ERR_INITIALIZED:
            return "The system is already initialized.";
        case FMOD_ERR_INVALID_HANDLE:
            return "An invalid object handle was used.";
        case FMOD_ERR_INVALID_PARAM:
            return "An invalid parameter was passed to this function.";
        case FMOD_ERR_MEMORY:
            return "Not enough memory or resources.";
        case FMOD_ERR_UNINITIALIZED:
            return "The system is not initialized.";
        case FMOD_ERR_NEEDS3D:
            return "Tried to call a 3D function on a sound that is not 3D.";
    }
    return "Unknown error.";
}
