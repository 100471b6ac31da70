// The insides of the FMOD stand-in shared by its sources: the system with its channel table,
// sounds with their decoded or streamed audio, and the channel-handle encoding. Every entry point
// and each system's stream feeder hold the one state lock while they touch any of it.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <sndfile.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/fmod/fmod.h"

namespace fmodsim {

constexpr int kStreamBuffers = 4;

struct SChannel {
    FMOD_SOUND* sound = nullptr;
    ALuint source = 0;
    ALuint streamBuffers[kStreamBuffers] = {};
    // Bumped whenever the channel is freed, so older handles stop matching.
    std::uint32_t generation = 1;
    bool inUse = false;
    bool paused = false;
    bool streamEnded = false;
    float volume = 1.0f;
    FMOD_VECTOR position = {0.0f, 0.0f, 0.0f};
    FMOD_VECTOR velocity = {0.0f, 0.0f, 0.0f};
    std::uint64_t playOrder = 0;
    // Frames of a stream already played out of buffers that have been unqueued.
    std::uint64_t streamFramesDone = 0;
    // The silent clock, used when no device is open.
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point pausedAt;
    std::chrono::steady_clock::duration pausedTotal{};
};

} // namespace fmodsim

struct FMOD_SYSTEM {
    bool initialised = false;
    std::uint16_t handleId = 0;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool rightHanded = false;
    float dopplerScale = 1.0f;
    float distanceFactor = 1.0f;
    float rolloffScale = 1.0f;
    FMOD_VECTOR listener[4] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    std::vector<fmodsim::SChannel> channels;
    std::set<FMOD_SOUND*> sounds;
    std::uint64_t playCounter = 0;
    // Keeps the streams' buffers fed while the system has an audio device.
    std::thread feeder;
    std::condition_variable_any feederWake;
    bool feederStop = false;
};

struct FMOD_SOUND {
    FMOD_SYSTEM* system = nullptr;
    FMOD_MODE mode = FMOD_DEFAULT;
    bool stream = false;
    float minDistance = 1.0f;
    float maxDistance = 10000.0f;
    int channels = 1;
    int rate = 44100;
    std::uint64_t frames = 0;
    ALuint buffer = 0;
    // Streams keep their file open and decode as they play.
    SNDFILE* file = nullptr;
    int fileChannels = 1;
};

namespace fmodsim {

// Recursive, as entry points call one another (a release closes its system and its sounds).
std::recursive_mutex& StateMutex();
using CStateLock = std::lock_guard<std::recursive_mutex>;

// Starts the system's stream feeder (under the lock, once the device is open).
void StartStreamFeeder(FMOD_SYSTEM* system);
// Stops and joins it; called without the lock, which the feeder may be waiting for.
void StopStreamFeeder(FMOD_SYSTEM* system);

bool HasOutput(const FMOD_SYSTEM* system);
// The channel a handle names, or null when the handle is stale or foreign.
SChannel* ResolveChannel(FMOD_CHANNEL* handle, FMOD_SYSTEM** system);
FMOD_CHANNEL* MakeHandle(const FMOD_SYSTEM* system, std::size_t index, std::uint32_t generation);
// True while the channel is playing or paused; frees it once it has finished.
bool RefreshChannel(FMOD_SYSTEM* system, SChannel& channel);
// Refills the buffers a playing stream has played out; restarts its source after an underrun.
void FeedStream(SChannel& channel);
void StopChannel(FMOD_SYSTEM* system, SChannel& channel);
void ApplyChannel3D(FMOD_SYSTEM* system, SChannel& channel);
FMOD_VECTOR ToOpenAL(const FMOD_SYSTEM* system, const FMOD_VECTOR& v);

// Decoding: the whole file into `samples` (16-bit, interleaved, `targetChannels` wide).
bool ReadFrames(SNDFILE* file, int fileChannels, int targetChannels, std::uint64_t maxFrames,
                std::vector<short>& samples);
// Fills one stream buffer; false when the stream has nothing more (end without looping).
bool FillStreamBuffer(FMOD_SOUND* sound, ALuint buffer);
ALenum FormatOf(int channels);

} // namespace fmodsim
