#include <algorithm>
#include <string>

#include "platform/fmod/fmod_internal.h"
#include "platform/win32/file_path.h"
#include "platform/win32/file_read.h"

using fmodsim::SChannel;

namespace fmodsim {
namespace {

constexpr int kStreamChunkDivisor = 4;

// Mixes one frame of `from` channels down to `to` (1 or 2).
void MixFrame(const short* in, int from, int to, short* out) {
    if (from == to) {
        for (int c = 0; c < to; ++c) {
            out[c] = in[c];
        }
        return;
    }
    if (to == 1) {
        long sum = 0;
        for (int c = 0; c < from; ++c) {
            sum += in[c];
        }
        out[0] = static_cast<short>(sum / from);
        return;
    }
    // More than two channels to stereo: the first two carry on, a mono source is doubled.
    out[0] = in[0];
    out[1] = from > 1 ? in[1] : in[0];
}

FMOD_RESULT Open(FMOD_SYSTEM* system, const char* name, FMOD_MODE mode, bool stream, FMOD_SOUND** out) {
    if (system == nullptr || name == nullptr || out == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    *out = nullptr;
    if (!system->initialised) {
        return FMOD_ERR_UNINITIALIZED;
    }
    const std::string path = platform::ResolvePath(name);
    // A folder, a pipe or a device in a sound's place is refused before the decoder could block on it.
    std::string why;
    if (!platform::CheckReadableFile(path, platform::kMostArtFileBytes, why)) {
        return platform::FileExists(path) ? FMOD_ERR_FILE_BAD : FMOD_ERR_FILE_NOTFOUND;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return FMOD_ERR_FORMAT;
    }
    if (info.channels <= 0 || info.samplerate <= 0 || info.frames <= 0) {
        sf_close(file);
        return FMOD_ERR_FORMAT;
    }
    FMOD_SOUND* sound = new FMOD_SOUND();
    sound->system = system;
    sound->mode = mode;
    sound->stream = stream || (mode & FMOD_CREATESTREAM) != 0;
    sound->fileChannels = info.channels;
    // 3D sounds are placed as one point source, which needs one channel.
    sound->channels = (mode & FMOD_3D) != 0 ? 1 : (info.channels >= 2 ? 2 : 1);
    sound->rate = info.samplerate;
    sound->frames = static_cast<std::uint64_t>(info.frames);
    if (sound->stream) {
        sound->file = file;
    } else {
        std::vector<short> samples;
        const bool read = ReadFrames(file, info.channels, sound->channels, sound->frames, samples);
        sf_close(file);
        if (!read) {
            delete sound;
            return FMOD_ERR_FILE_BAD;
        }
        sound->frames = samples.size() / static_cast<std::size_t>(sound->channels);
        if (HasOutput(system)) {
            alGetError();
            alGenBuffers(1, &sound->buffer);
            alBufferData(sound->buffer, FormatOf(sound->channels), samples.data(),
                         static_cast<ALsizei>(samples.size() * sizeof(short)), sound->rate);
            if (alGetError() != AL_NO_ERROR) {
                alDeleteBuffers(1, &sound->buffer);
                delete sound;
                return FMOD_ERR_MEMORY;
            }
        }
    }
    system->sounds.insert(sound);
    *out = sound;
    return FMOD_OK;
}

} // namespace

ALenum FormatOf(int channels) { return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16; }

bool ReadFrames(SNDFILE* file, int fileChannels, int targetChannels, std::uint64_t maxFrames,
                std::vector<short>& samples) {
    samples.clear();
    std::vector<short> chunk(4096 * static_cast<std::size_t>(fileChannels));
    std::uint64_t left = maxFrames;
    while (left > 0) {
        const sf_count_t want = static_cast<sf_count_t>(std::min<std::uint64_t>(left, 4096));
        const sf_count_t got = sf_readf_short(file, chunk.data(), want);
        if (got <= 0) {
            break;
        }
        const std::size_t base = samples.size();
        samples.resize(base + static_cast<std::size_t>(got) * static_cast<std::size_t>(targetChannels));
        for (sf_count_t f = 0; f < got; ++f) {
            MixFrame(&chunk[static_cast<std::size_t>(f) * static_cast<std::size_t>(fileChannels)], fileChannels,
                     targetChannels,
                     &samples[base + static_cast<std::size_t>(f) * static_cast<std::size_t>(targetChannels)]);
        }
        left -= static_cast<std::uint64_t>(got);
    }
    return !samples.empty();
}

bool FillStreamBuffer(FMOD_SOUND* sound, ALuint buffer) {
    const std::uint64_t chunkFrames = static_cast<std::uint64_t>(sound->rate / kStreamChunkDivisor) + 1;
    std::vector<short> samples;
    ReadFrames(sound->file, sound->fileChannels, sound->channels, chunkFrames, samples);
    const bool loops = (sound->mode & (FMOD_LOOP_NORMAL | FMOD_LOOP_BIDI)) != 0;
    if (samples.empty() && loops) {
        sf_seek(sound->file, 0, SEEK_SET);
        ReadFrames(sound->file, sound->fileChannels, sound->channels, chunkFrames, samples);
    }
    if (samples.empty()) {
        return false;
    }
    alBufferData(buffer, FormatOf(sound->channels), samples.data(),
                 static_cast<ALsizei>(samples.size() * sizeof(short)), sound->rate);
    return true;
}

} // namespace fmodsim

FMOD_RESULT FMOD_System_createSound(FMOD_SYSTEM* system, const char* name, FMOD_MODE mode, FMOD_CREATESOUNDEXINFO*,
                                    FMOD_SOUND** sound) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    return fmodsim::Open(system, name, mode, false, sound);
}

FMOD_RESULT FMOD_System_createStream(FMOD_SYSTEM* system, const char* name, FMOD_MODE mode, FMOD_CREATESOUNDEXINFO*,
                                     FMOD_SOUND** sound) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    return fmodsim::Open(system, name, mode, true, sound);
}

FMOD_RESULT FMOD_Sound_release(FMOD_SOUND* sound) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (sound == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    FMOD_SYSTEM* system = sound->system;
    for (SChannel& channel : system->channels) {
        if (channel.inUse && channel.sound == sound) {
            fmodsim::StopChannel(system, channel);
        }
    }
    if (sound->buffer != 0 && fmodsim::HasOutput(system)) {
        alDeleteBuffers(1, &sound->buffer);
    }
    if (sound->file != nullptr) {
        sf_close(sound->file);
    }
    system->sounds.erase(sound);
    delete sound;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_setMode(FMOD_SOUND* sound, FMOD_MODE mode) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (sound == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    constexpr FMOD_MODE loopBits = FMOD_LOOP_OFF | FMOD_LOOP_NORMAL | FMOD_LOOP_BIDI;
    if ((mode & loopBits) != 0) {
        sound->mode = (sound->mode & ~loopBits) | (mode & loopBits);
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_getMode(FMOD_SOUND* sound, FMOD_MODE* mode) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (sound == nullptr || mode == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    *mode = sound->mode;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_set3DMinMaxDistance(FMOD_SOUND* sound, float minDistance, float maxDistance) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (sound == nullptr || minDistance < 0.0f || maxDistance < minDistance) {
        return FMOD_ERR_INVALID_PARAM;
    }
    sound->minDistance = minDistance;
    sound->maxDistance = maxDistance;
    for (SChannel& channel : sound->system->channels) {
        if (channel.inUse && channel.sound == sound) {
            fmodsim::ApplyChannel3D(sound->system, channel);
        }
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_get3DMinMaxDistance(FMOD_SOUND* sound, float* minDistance, float* maxDistance) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (sound == nullptr) {
        return FMOD_ERR_INVALID_PARAM;
    }
    if (minDistance != nullptr) {
        *minDistance = sound->minDistance;
    }
    if (maxDistance != nullptr) {
        *maxDistance = sound->maxDistance;
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_getLength(FMOD_SOUND* sound, unsigned int* length, FMOD_TIMEUNIT unit) {
    const fmodsim::CStateLock lock(fmodsim::StateMutex());
    if (sound == nullptr || length == nullptr || (unit != FMOD_TIMEUNIT_MS && unit != FMOD_TIMEUNIT_PCM)) {
        return FMOD_ERR_INVALID_PARAM;
    }
    *length = unit == FMOD_TIMEUNIT_PCM
                  ? static_cast<unsigned int>(sound->frames)
                  : static_cast<unsigned int>(sound->frames * 1000 / static_cast<unsigned>(sound->rate));
    return FMOD_OK;
}
