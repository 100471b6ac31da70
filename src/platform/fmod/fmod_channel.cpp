#include <algorithm>

#include "platform/fmod/fmod_internal.h"

using fmodsim::SChannel;

namespace fmodsim {
namespace {

using Clock = std::chrono::steady_clock;

bool Loops(const FMOD_SOUND* sound) { return (sound->mode & (FMOD_LOOP_NORMAL | FMOD_LOOP_BIDI)) != 0; }

bool Is3D(const FMOD_SOUND* sound) { return (sound->mode & FMOD_3D) != 0; }

double SilentSeconds(const SChannel& channel) {
    const Clock::time_point now = channel.paused ? channel.pausedAt : Clock::now();
    return std::chrono::duration<double>(now - channel.started - channel.pausedTotal).count();
}

void Free(SChannel& channel) {
    channel.inUse = false;
    channel.sound = nullptr;
    ++channel.generation;
    if (channel.generation == 0) {
        channel.generation = 1;
    }
}

} // namespace

void FeedStream(SChannel& channel) {
    ALint processed = 0;
    alGetSourcei(channel.source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(channel.source, 1, &buffer);
        ALint bytes = 0;
        alGetBufferi(buffer, AL_SIZE, &bytes);
        channel.streamFramesDone +=
            static_cast<std::uint64_t>(bytes) / (sizeof(short) * static_cast<unsigned>(channel.sound->channels));
        if (!channel.streamEnded && FillStreamBuffer(channel.sound, buffer)) {
            alSourceQueueBuffers(channel.source, 1, &buffer);
        } else {
            channel.streamEnded = true;
        }
    }
    ALint queued = 0;
    ALint state = AL_STOPPED;
    alGetSourcei(channel.source, AL_BUFFERS_QUEUED, &queued);
    alGetSourcei(channel.source, AL_SOURCE_STATE, &state);
    if (queued > 0 && !channel.paused && state != AL_PLAYING) {
        alSourcePlay(channel.source);
    }
}

bool RefreshChannel(FMOD_SYSTEM* system, SChannel& channel) {
    if (!channel.inUse) {
        return false;
    }
    FMOD_SOUND* sound = channel.sound;
    bool playing = true;
    if (HasOutput(system) && channel.source != 0) {
        if (sound->stream) {
            FeedStream(channel);
        }
        ALint state = AL_STOPPED;
        alGetSourcei(channel.source, AL_SOURCE_STATE, &state);
        playing = channel.paused || state == AL_PLAYING || state == AL_PAUSED;
    } else if (!Loops(sound) && sound->rate > 0) {
        playing = SilentSeconds(channel) < static_cast<double>(sound->frames) / sound->rate;
    }
    if (!playing) {
        StopChannel(system, channel);
    }
    return playing;
}

void StopChannel(FMOD_SYSTEM* system, SChannel& channel) {
    if (HasOutput(system) && channel.source != 0) {
        alSourceStop(channel.source);
        alSourcei(channel.source, AL_BUFFER, 0);
    }
    Free(channel);
}

void ApplyChannel3D(FMOD_SYSTEM* system, SChannel& channel) {
    if (!HasOutput(system) || channel.source == 0 || channel.sound == nullptr) {
        return;
    }
    const ALuint source = channel.source;
    if (!Is3D(channel.sound)) {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        return;
    }
    const FMOD_VECTOR p = ToOpenAL(system, channel.position);
    const FMOD_VECTOR v = ToOpenAL(system, channel.velocity);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
    alSource3f(source, AL_POSITION, p.x, p.y, p.z);
    alSource3f(source, AL_VELOCITY, v.x, v.y, v.z);
    // Inverse roll-off from the minimum distance, no further fall beyond the maximum.
    alSourcef(source, AL_REFERENCE_DISTANCE, channel.sound->minDistance);
    alSourcef(source, AL_MAX_DISTANCE, channel.sound->maxDistance);
    alSourcef(source, AL_ROLLOFF_FACTOR, system->rolloffScale);
}

} // namespace fmodsim

FMOD_RESULT FMOD_System_playSound(FMOD_SYSTEM* system, FMOD_CHANNELINDEX index, FMOD_SOUND* sound, FMOD_BOOL paused,
                                  FMOD_CHANNEL** handle) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (system == nullptr || sound == nullptr || sound->system != system ||
        (index != FMOD_CHANNEL_FREE && index != FMOD_CHANNEL_REUSE)) {
        return FMOD_ERR_INVALID_PARAM;
    }
    if (!system->initialised || system->channels.empty()) {
        return FMOD_ERR_UNINITIALIZED;
    }
    std::vector<SChannel>& channels = system->channels;
    for (SChannel& channel : channels) {
        // A stream has one decoder: it plays on one channel at a time.
        if (channel.inUse && sound->stream && channel.sound == sound) {
            fmodsim::StopChannel(system, channel);
        }
    }
    auto chosen = std::find_if(channels.begin(), channels.end(),
                               [system](SChannel& c) { return !c.inUse || !fmodsim::RefreshChannel(system, c); });
    if (chosen == channels.end()) {
        // All busy: the oldest play gives way.
        chosen = std::min_element(channels.begin(), channels.end(),
                                  [](const SChannel& a, const SChannel& b) { return a.playOrder < b.playOrder; });
        fmodsim::StopChannel(system, *chosen);
    }
    SChannel& channel = *chosen;
    channel.inUse = true;
    channel.sound = sound;
    channel.paused = paused != 0;
    channel.streamEnded = false;
    channel.volume = 1.0f;
    channel.position = FMOD_VECTOR{0.0f, 0.0f, 0.0f};
    channel.velocity = FMOD_VECTOR{0.0f, 0.0f, 0.0f};
    channel.playOrder = ++system->playCounter;
    channel.streamFramesDone = 0;
    channel.started = std::chrono::steady_clock::now();
    channel.pausedAt = channel.started;
    channel.pausedTotal = std::chrono::steady_clock::duration::zero();

    if (fmodsim::HasOutput(system) && channel.source != 0 && sound->frames > 0) {
        const ALuint source = channel.source;
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        alSourcef(source, AL_GAIN, channel.volume);
        fmodsim::ApplyChannel3D(system, channel);
        if (sound->stream) {
            if (channel.streamBuffers[0] == 0) {
                alGenBuffers(fmodsim::kStreamBuffers, channel.streamBuffers);
            }
            sf_seek(sound->file, 0, SEEK_SET);
            alSourcei(source, AL_LOOPING, AL_FALSE);
            for (ALuint buffer : channel.streamBuffers) {
                if (!fmodsim::FillStreamBuffer(sound, buffer)) {
                    channel.streamEnded = true;
                    break;
                }
                alSourceQueueBuffers(source, 1, &buffer);
            }
        } else {
            alSourcei(source, AL_BUFFER, static_cast<ALint>(sound->buffer));
            alSourcei(source, AL_LOOPING, fmodsim::Loops(sound) ? AL_TRUE : AL_FALSE);
        }
        if (!channel.paused) {
            alSourcePlay(source);
        }
    }
    if (handle != nullptr) {
        *handle = fmodsim::MakeHandle(system, static_cast<std::size_t>(chosen - channels.begin()), channel.generation);
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_stop(FMOD_CHANNEL* handle) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    if (channel == nullptr) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    fmodsim::StopChannel(system, *channel);
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_setPaused(FMOD_CHANNEL* handle, FMOD_BOOL paused) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    if (channel == nullptr) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    const bool pause = paused != 0;
    if (pause == channel->paused) {
        return FMOD_OK;
    }
    const auto now = std::chrono::steady_clock::now();
    if (pause) {
        channel->pausedAt = now;
    } else {
        channel->pausedTotal += now - channel->pausedAt;
    }
    channel->paused = pause;
    if (fmodsim::HasOutput(system) && channel->source != 0) {
        if (pause) {
            alSourcePause(channel->source);
        } else {
            alSourcePlay(channel->source);
        }
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_getPaused(FMOD_CHANNEL* handle, FMOD_BOOL* paused) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    if (channel == nullptr || paused == nullptr) {
        return channel == nullptr ? FMOD_ERR_INVALID_HANDLE : FMOD_ERR_INVALID_PARAM;
    }
    *paused = channel->paused ? 1 : 0;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_setVolume(FMOD_CHANNEL* handle, float volume) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    if (channel == nullptr) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    channel->volume = std::clamp(volume, 0.0f, 1.0f);
    if (fmodsim::HasOutput(system) && channel->source != 0) {
        alSourcef(channel->source, AL_GAIN, channel->volume);
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_getVolume(FMOD_CHANNEL* handle, float* volume) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    if (channel == nullptr || volume == nullptr) {
        return channel == nullptr ? FMOD_ERR_INVALID_HANDLE : FMOD_ERR_INVALID_PARAM;
    }
    *volume = channel->volume;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_isPlaying(FMOD_CHANNEL* handle, FMOD_BOOL* playing) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (playing == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    *playing = channel != nullptr ? 1 : 0;
    return channel != nullptr ? FMOD_OK : FMOD_ERR_INVALID_HANDLE;
}

FMOD_RESULT FMOD_Channel_set3DAttributes(FMOD_CHANNEL* handle, const FMOD_VECTOR* position,
                                         const FMOD_VECTOR* velocity) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    if (channel == nullptr) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    if ((channel->sound->mode & FMOD_3D) == 0) {
        return FMOD_ERR_NEEDS3D;
    }
    if (position != nullptr) {
        channel->position = *position;
    }
    if (velocity != nullptr) {
        channel->velocity = *velocity;
    }
    fmodsim::ApplyChannel3D(system, *channel);
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_get3DAttributes(FMOD_CHANNEL* handle, FMOD_VECTOR* position, FMOD_VECTOR* velocity) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    if (channel == nullptr) {
        return FMOD_ERR_INVALID_HANDLE;
    }
    if (position != nullptr) {
        *position = channel->position;
    }
    if (velocity != nullptr) {
        *velocity = channel->velocity;
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_getPosition(FMOD_CHANNEL* handle, unsigned int* position, FMOD_TIMEUNIT unit) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    if (channel == nullptr || position == nullptr || (unit != FMOD_TIMEUNIT_MS && unit != FMOD_TIMEUNIT_PCM)) {
        return channel == nullptr ? FMOD_ERR_INVALID_HANDLE : FMOD_ERR_INVALID_PARAM;
    }
    const FMOD_SOUND* sound = channel->sound;
    std::uint64_t frames = 0;
    if (fmodsim::HasOutput(system) && channel->source != 0) {
        ALint offset = 0;
        alGetSourcei(channel->source, AL_SAMPLE_OFFSET, &offset);
        frames = channel->streamFramesDone + static_cast<std::uint64_t>(std::max(offset, 0));
    } else {
        frames = static_cast<std::uint64_t>(fmodsim::SilentSeconds(*channel) * sound->rate);
    }
    if (sound->frames > 0) {
        frames %= sound->frames;
    }
    *position = unit == FMOD_TIMEUNIT_PCM
                    ? static_cast<unsigned int>(frames)
                    : static_cast<unsigned int>(frames * 1000 / static_cast<unsigned>(sound->rate));
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_getCurrentSound(FMOD_CHANNEL* handle, FMOD_SOUND** sound) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    FMOD_SYSTEM* system = nullptr;
    SChannel* channel = fmodsim::ResolveChannel(handle, &system);
    if (channel == nullptr || sound == nullptr) {
        return channel == nullptr ? FMOD_ERR_INVALID_HANDLE : FMOD_ERR_INVALID_PARAM;
    }
    *sound = channel->sound;
    return FMOD_OK;
}
