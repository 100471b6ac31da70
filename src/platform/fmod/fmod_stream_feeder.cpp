// Each system with an audio device decodes its streams on a thread of its own, so that a stream
// plays on whether or not the game updates the system: a channel's queue holds about a second of
// audio, and the feeder tops it up several times within that second.
#include "platform/fmod/fmod_internal.h"

namespace fmodsim {
namespace {

constexpr std::chrono::milliseconds kFeedPeriod{50};

using SetThreadContextFunction = ALCboolean(ALC_APIENTRY*)(ALCcontext*);

// The feeder makes the system's context its own where OpenAL lets a thread have one, so that it
// never depends on which context is current for the process.
SetThreadContextFunction ThreadContextSetter(ALCdevice* device) {
    if (device == nullptr || alcIsExtensionPresent(device, "ALC_EXT_thread_local_context") == ALC_FALSE) {
        return nullptr;
    }
    return reinterpret_cast<SetThreadContextFunction>(alcGetProcAddress(device, "alcSetThreadContext"));
}

void Feed(FMOD_SYSTEM* system, ALCcontext* context, SetThreadContextFunction setContext) {
    if (setContext != nullptr) {
        setContext(context);
    }
    std::unique_lock<std::recursive_mutex> lock(StateMutex());
    while (!system->feederStop) {
        for (SChannel& channel : system->channels) {
            if (channel.inUse && channel.source != 0 && channel.sound != nullptr && channel.sound->stream &&
                !channel.paused) {
                FeedStream(channel);
            }
        }
        system->feederWake.wait_for(lock, kFeedPeriod, [system] { return system->feederStop; });
    }
    lock.unlock();
    if (setContext != nullptr) {
        setContext(nullptr);
    }
}

} // namespace

std::recursive_mutex& StateMutex() {
    // Never destroyed: a system left unreleased at exit keeps its feeder, which must still find
    // the lock after static destruction.
    static auto* mutex = new std::recursive_mutex();
    return *mutex;
}

void StartStreamFeeder(FMOD_SYSTEM* system) {
    if (!HasOutput(system) || system->feeder.joinable()) {
        return;
    }
    system->feederStop = false;
    system->feeder = std::thread(&Feed, system, system->context, ThreadContextSetter(system->device));
}

void StopStreamFeeder(FMOD_SYSTEM* system) {
    if (!system->feeder.joinable()) {
        return;
    }
    {
        const CStateLock lock(StateMutex());
        system->feederStop = true;
    }
    system->feederWake.notify_all();
    system->feeder.join();
}

} // namespace fmodsim
