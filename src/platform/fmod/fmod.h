// The FMOD Ex stand-in: channels mixed by OpenAL Soft, files decoded by libsndfile, 3D sound with
// inverse roll-off; a channel handle goes stale once its play ends, and with no audio device the
// system runs silently with the same results. Streams are decoded on a thread of each system's own
// (OpenAL mixes on another), so they play on between updates; every call takes the stand-in's one
// lock, so calls may come from any thread.
#pragma once

typedef struct FMOD_SYSTEM FMOD_SYSTEM;
typedef struct FMOD_SOUND FMOD_SOUND;
typedef struct FMOD_CHANNEL FMOD_CHANNEL;

typedef int FMOD_BOOL;
typedef unsigned int FMOD_MODE;
typedef unsigned int FMOD_INITFLAGS;
typedef unsigned int FMOD_TIMEUNIT;
typedef int FMOD_CHANNELINDEX;

enum FMOD_RESULT {
    FMOD_OK = 0,
    FMOD_ERR_CHANNEL_STOLEN,
    FMOD_ERR_FILE_BAD,
    FMOD_ERR_FILE_NOTFOUND,
    FMOD_ERR_FORMAT,
    FMOD_ERR_INITIALIZED,
    FMOD_ERR_INVALID_HANDLE,
    FMOD_ERR_INVALID_PARAM,
    FMOD_ERR_MEMORY,
    FMOD_ERR_UNINITIALIZED,
    FMOD_ERR_NEEDS3D,
};

struct FMOD_VECTOR {
    float x;
    float y;
    float z;
};

enum FMOD_OUTPUTTYPE {
    FMOD_OUTPUTTYPE_AUTODETECT = 0,
    FMOD_OUTPUTTYPE_NOSOUND,
    FMOD_OUTPUTTYPE_OPENAL,
};

// Extra creation information; the stand-in reads none of it.
struct FMOD_CREATESOUNDEXINFO;

constexpr unsigned int FMOD_VERSION = 0x00044400u;

constexpr FMOD_MODE FMOD_DEFAULT = 0x00000000u;
constexpr FMOD_MODE FMOD_LOOP_OFF = 0x00000001u;
constexpr FMOD_MODE FMOD_LOOP_NORMAL = 0x00000002u;
constexpr FMOD_MODE FMOD_LOOP_BIDI = 0x00000004u;
constexpr FMOD_MODE FMOD_2D = 0x00000008u;
constexpr FMOD_MODE FMOD_3D = 0x00000010u;
constexpr FMOD_MODE FMOD_HARDWARE = 0x00000020u;
constexpr FMOD_MODE FMOD_SOFTWARE = 0x00000040u;
constexpr FMOD_MODE FMOD_CREATESTREAM = 0x00000080u;

constexpr FMOD_INITFLAGS FMOD_INIT_NORMAL = 0x00000000u;
constexpr FMOD_INITFLAGS FMOD_INIT_3D_RIGHTHANDED = 0x00000002u;

constexpr FMOD_CHANNELINDEX FMOD_CHANNEL_FREE = -1;
constexpr FMOD_CHANNELINDEX FMOD_CHANNEL_REUSE = -2;

constexpr FMOD_TIMEUNIT FMOD_TIMEUNIT_MS = 0x00000001u;
constexpr FMOD_TIMEUNIT FMOD_TIMEUNIT_PCM = 0x00000002u;

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system);
FMOD_RESULT FMOD_System_getVersion(FMOD_SYSTEM* system, unsigned int* version);
FMOD_RESULT FMOD_System_init(FMOD_SYSTEM* system, int maxChannels, FMOD_INITFLAGS flags, void* extraDriverData);
FMOD_RESULT FMOD_System_close(FMOD_SYSTEM* system);
FMOD_RESULT FMOD_System_release(FMOD_SYSTEM* system);
FMOD_RESULT FMOD_System_update(FMOD_SYSTEM* system);
FMOD_RESULT FMOD_System_set3DSettings(FMOD_SYSTEM* system, float dopplerScale, float distanceFactor,
                                      float rolloffScale);
FMOD_RESULT FMOD_System_set3DListenerAttributes(FMOD_SYSTEM* system, int listener, const FMOD_VECTOR* position,
                                                const FMOD_VECTOR* velocity, const FMOD_VECTOR* forward,
                                                const FMOD_VECTOR* up);
FMOD_RESULT FMOD_System_get3DListenerAttributes(FMOD_SYSTEM* system, int listener, FMOD_VECTOR* position,
                                                FMOD_VECTOR* velocity, FMOD_VECTOR* forward, FMOD_VECTOR* up);
FMOD_RESULT FMOD_System_createSound(FMOD_SYSTEM* system, const char* name, FMOD_MODE mode,
                                    FMOD_CREATESOUNDEXINFO* exInfo, FMOD_SOUND** sound);
FMOD_RESULT FMOD_System_createStream(FMOD_SYSTEM* system, const char* name, FMOD_MODE mode,
                                     FMOD_CREATESOUNDEXINFO* exInfo, FMOD_SOUND** sound);
FMOD_RESULT FMOD_System_playSound(FMOD_SYSTEM* system, FMOD_CHANNELINDEX index, FMOD_SOUND* sound, FMOD_BOOL paused,
                                  FMOD_CHANNEL** channel);
FMOD_RESULT FMOD_System_getChannelsPlaying(FMOD_SYSTEM* system, int* channels);
// FMOD_OUTPUTTYPE_NOSOUND when no audio device could be opened.
FMOD_RESULT FMOD_System_getOutput(FMOD_SYSTEM* system, FMOD_OUTPUTTYPE* output);

FMOD_RESULT FMOD_Sound_release(FMOD_SOUND* sound);
FMOD_RESULT FMOD_Sound_setMode(FMOD_SOUND* sound, FMOD_MODE mode);
FMOD_RESULT FMOD_Sound_getMode(FMOD_SOUND* sound, FMOD_MODE* mode);
FMOD_RESULT FMOD_Sound_set3DMinMaxDistance(FMOD_SOUND* sound, float minDistance, float maxDistance);
FMOD_RESULT FMOD_Sound_get3DMinMaxDistance(FMOD_SOUND* sound, float* minDistance, float* maxDistance);
FMOD_RESULT FMOD_Sound_getLength(FMOD_SOUND* sound, unsigned int* length, FMOD_TIMEUNIT unit);

FMOD_RESULT FMOD_Channel_stop(FMOD_CHANNEL* channel);
FMOD_RESULT FMOD_Channel_setPaused(FMOD_CHANNEL* channel, FMOD_BOOL paused);
FMOD_RESULT FMOD_Channel_getPaused(FMOD_CHANNEL* channel, FMOD_BOOL* paused);
FMOD_RESULT FMOD_Channel_setVolume(FMOD_CHANNEL* channel, float volume);
FMOD_RESULT FMOD_Channel_getVolume(FMOD_CHANNEL* channel, float* volume);
FMOD_RESULT FMOD_Channel_isPlaying(FMOD_CHANNEL* channel, FMOD_BOOL* playing);
FMOD_RESULT FMOD_Channel_set3DAttributes(FMOD_CHANNEL* channel, const FMOD_VECTOR* position,
                                         const FMOD_VECTOR* velocity);
FMOD_RESULT FMOD_Channel_get3DAttributes(FMOD_CHANNEL* channel, FMOD_VECTOR* position, FMOD_VECTOR* velocity);
FMOD_RESULT FMOD_Channel_getPosition(FMOD_CHANNEL* channel, unsigned int* position, FMOD_TIMEUNIT unit);
FMOD_RESULT FMOD_Channel_getCurrentSound(FMOD_CHANNEL* channel, FMOD_SOUND** sound);

const char* FMOD_ErrorString(FMOD_RESULT result);
