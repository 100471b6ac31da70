#include "platform/fmod/fmod.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/fmod/sound_files.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

// Polls the system until `done` holds or a generous time has passed.
template <class F>
bool WaitFor(FMOD_SYSTEM* system, F done, std::chrono::milliseconds limit = 8000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        FMOD_System_update(system);
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

bool Playing(FMOD_CHANNEL* channel) {
    FMOD_BOOL playing = 0;
    FMOD_Channel_isPlaying(channel, &playing);
    return playing != 0;
}

class FmodTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ALSOFT_DRIVERS", "null", 0);
        ASSERT_EQ(FMOD_System_Create(&m_system), FMOD_OK);
        ASSERT_EQ(FMOD_System_init(m_system, 100, FMOD_INIT_3D_RIGHTHANDED, nullptr), FMOD_OK);
        ASSERT_TRUE(tktest::WriteTone(m_dir.Path() + "/tone.wav", tktest::kWav, 3.0));
        ASSERT_TRUE(tktest::WriteTone(m_dir.Path() + "/short.wav", tktest::kWav, 0.2));
    }
    void TearDown() override { FMOD_System_release(m_system); }

    FMOD_SOUND* Load(const std::string& name, FMOD_MODE mode = FMOD_HARDWARE) {
        FMOD_SOUND* sound = nullptr;
        EXPECT_EQ(FMOD_System_createSound(m_system, (m_dir.Path() + "/" + name).c_str(), mode, nullptr, &sound),
                  FMOD_OK);
        return sound;
    }
    FMOD_CHANNEL* Play(FMOD_SOUND* sound, bool paused = false) {
        FMOD_CHANNEL* channel = nullptr;
        EXPECT_EQ(FMOD_System_playSound(m_system, FMOD_CHANNEL_FREE, sound, paused ? 1 : 0, &channel), FMOD_OK);
        return channel;
    }

    tktest::CTempDir m_dir;
    FMOD_SYSTEM* m_system = nullptr;
};

TEST_F(FmodTest, FilesThatAreMissingOrNotAudioAreRefused) {
    m_dir.Write("notes.wav", "these are not samples");
    m_dir.Write("empty.ogg", "");
    const struct {
        const char* name;
        FMOD_RESULT result;
    } cases[] = {
        {"missing.wav", FMOD_ERR_FILE_NOTFOUND}, {"notes.wav", FMOD_ERR_FORMAT}, {"empty.ogg", FMOD_ERR_FORMAT}};
    for (const auto& c : cases) {
        for (bool stream : {false, true}) {
            FMOD_SOUND* sound = reinterpret_cast<FMOD_SOUND*>(this);
            const std::string path = m_dir.Path() + "/" + c.name;
            const FMOD_RESULT result = stream ? FMOD_System_createStream(m_system, path.c_str(), 0x20, nullptr, &sound)
                                              : FMOD_System_createSound(m_system, path.c_str(), 0x20, nullptr, &sound);
            EXPECT_EQ(result, c.result) << c.name;
            EXPECT_EQ(sound, nullptr) << c.name;
        }
    }
}

TEST_F(FmodTest, WavOggAndMp3Load) {
    const struct {
        const char* name;
        int format;
    } cases[] = {{"a.wav", tktest::kWav}, {"b.ogg", tktest::kOgg}, {"c.mp3", tktest::kMp3}};
    for (const auto& c : cases) {
        ASSERT_TRUE(tktest::WriteTone(m_dir.Path() + "/" + c.name, c.format, 0.5, 2)) << c.name;
        FMOD_SOUND* sound = Load(c.name);
        ASSERT_NE(sound, nullptr) << c.name;
        unsigned int length = 0;
        FMOD_Sound_getLength(sound, &length, FMOD_TIMEUNIT_MS);
        EXPECT_GE(length, 450u) << c.name;
        EXPECT_LE(length, 700u) << c.name;
        EXPECT_TRUE(Playing(Play(sound))) << c.name;
    }
}

TEST_F(FmodTest, AStaleChannelHandleNeverSteersTheNextPlay) {
    FMOD_SOUND* first = Load("tone.wav");
    FMOD_SOUND* second = Load("tone.wav");
    FMOD_CHANNEL* old = Play(first);
    ASSERT_EQ(FMOD_Channel_stop(old), FMOD_OK);
    FMOD_CHANNEL* current = Play(second);
    EXPECT_EQ(FMOD_Channel_stop(old), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_setVolume(old, 0.0f), FMOD_ERR_INVALID_HANDLE);
    EXPECT_TRUE(Playing(current));
    float volume = 0.0f;
    FMOD_Channel_getVolume(current, &volume);
    EXPECT_EQ(volume, 1.0f);
    EXPECT_EQ(FMOD_Channel_stop(nullptr), FMOD_ERR_INVALID_HANDLE);
}

TEST_F(FmodTest, TheHundredAndFirstPlayTakesTheOldestChannel) {
    FMOD_SOUND* sound = Load("tone.wav");
    FMOD_Sound_setMode(sound, FMOD_LOOP_NORMAL);
    std::vector<FMOD_CHANNEL*> channels;
    for (int i = 0; i < 101; ++i) {
        channels.push_back(Play(sound));
    }
    int playing = 0;
    FMOD_System_getChannelsPlaying(m_system, &playing);
    EXPECT_EQ(playing, 100);
    EXPECT_FALSE(Playing(channels.front()));
    EXPECT_TRUE(Playing(channels[1]));
    EXPECT_TRUE(Playing(channels.back()));
}

TEST_F(FmodTest, PausedChannelsCountAsPlayingAndVolumeIsClamped) {
    FMOD_CHANNEL* channel = Play(Load("short.wav"), true);
    FMOD_BOOL paused = 0;
    FMOD_Channel_getPaused(channel, &paused);
    EXPECT_TRUE(paused);
    std::this_thread::sleep_for(400ms);
    FMOD_System_update(m_system);
    EXPECT_TRUE(Playing(channel));
    FMOD_Channel_setVolume(channel, 2.0f);
    float volume = 0.0f;
    FMOD_Channel_getVolume(channel, &volume);
    EXPECT_EQ(volume, 1.0f);
    FMOD_Channel_setPaused(channel, 0);
    EXPECT_TRUE(WaitFor(m_system, [&] { return !Playing(channel); }));
}

TEST_F(FmodTest, StreamsPlayToTheirEndOrLoop) {
    ASSERT_TRUE(tktest::WriteTone(m_dir.Path() + "/music.ogg", tktest::kOgg, 0.6, 2));
    FMOD_SOUND* once = nullptr;
    FMOD_SOUND* looped = nullptr;
    const std::string path = m_dir.Path() + "/music.ogg";
    ASSERT_EQ(FMOD_System_createStream(m_system, path.c_str(), 0x20, nullptr, &once), FMOD_OK);
    ASSERT_EQ(FMOD_System_createStream(m_system, path.c_str(), 0x20, nullptr, &looped), FMOD_OK);
    FMOD_Sound_setMode(looped, FMOD_LOOP_NORMAL);
    FMOD_CHANNEL* onceChannel = Play(once);
    FMOD_CHANNEL* loopChannel = Play(looped);
    EXPECT_TRUE(WaitFor(m_system, [&] { return !Playing(onceChannel); }));
    // Looping on after the single play has gone past its end.
    WaitFor(
        m_system, [] { return false; }, 300ms);
    EXPECT_TRUE(Playing(loopChannel));
}

// The stream feeder runs beside the caller's threads: plays, pauses, stops and updates from two
// threads while it feeds must neither race (a thread sanitizer watches) nor wedge the release.
TEST_F(FmodTest, CallsFromTwoThreadsMeetTheStreamFeederSafely) {
    ASSERT_TRUE(tktest::WriteTone(m_dir.Path() + "/music.wav", tktest::kWav, 0.7));
    const std::string path = m_dir.Path() + "/music.wav";
    FMOD_SOUND* looped = nullptr;
    FMOD_SOUND* other = nullptr;
    ASSERT_EQ(FMOD_System_createStream(m_system, path.c_str(), 0x20, nullptr, &looped), FMOD_OK);
    ASSERT_EQ(FMOD_System_createStream(m_system, path.c_str(), 0x20, nullptr, &other), FMOD_OK);
    FMOD_Sound_setMode(looped, FMOD_LOOP_NORMAL);
    FMOD_CHANNEL* channel = Play(looped);
    std::thread second([&] {
        for (int i = 0; i < 150; ++i) {
            FMOD_CHANNEL* played = nullptr;
            FMOD_System_playSound(m_system, FMOD_CHANNEL_FREE, other, i % 2, &played);
            FMOD_Channel_setPaused(played, 0);
            unsigned int position = 0;
            FMOD_Channel_getPosition(played, &position, FMOD_TIMEUNIT_MS);
            if (i % 5 == 0) {
                FMOD_Channel_stop(played);
            }
            std::this_thread::sleep_for(2ms);
        }
    });
    for (int i = 0; i < 150; ++i) {
        FMOD_Channel_setVolume(channel, 0.5f);
        FMOD_Channel_setPaused(channel, i % 30 == 0 ? 1 : 0);
        FMOD_System_update(m_system);
        std::this_thread::sleep_for(2ms);
    }
    second.join();
    FMOD_Channel_setPaused(channel, 0);
    EXPECT_TRUE(Playing(channel));
}

TEST_F(FmodTest, ReleasingASoundStopsItsChannels) {
    FMOD_SOUND* sound = Load("tone.wav");
    FMOD_CHANNEL* channel = Play(sound);
    ASSERT_EQ(FMOD_Sound_release(sound), FMOD_OK);
    EXPECT_FALSE(Playing(channel));
}

TEST_F(FmodTest, ThreeDAttributesNeedAThreeDSound) {
    FMOD_CHANNEL* flat = Play(Load("tone.wav"));
    const FMOD_VECTOR where = {1.0f, 2.0f, 3.0f};
    EXPECT_EQ(FMOD_Channel_set3DAttributes(flat, &where, nullptr), FMOD_ERR_NEEDS3D);
    FMOD_SOUND* placed = Load("tone.wav", FMOD_HARDWARE | FMOD_3D);
    EXPECT_EQ(FMOD_Sound_set3DMinMaxDistance(placed, 5.0f, 1.0f), FMOD_ERR_INVALID_PARAM);
    FMOD_CHANNEL* channel = Play(placed);
    EXPECT_EQ(FMOD_Channel_set3DAttributes(channel, &where, nullptr), FMOD_OK);
    FMOD_VECTOR got{};
    FMOD_Channel_get3DAttributes(channel, &got, nullptr);
    EXPECT_EQ(got.z, 3.0f);
}

// Runs only inside a child started by the tests below, with the OpenAL set-up they choose.
class FmodChildTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("TK_FMOD_CHILD") == nullptr) {
            GTEST_SKIP() << "runs in a child process";
        }
    }
};

TEST_F(FmodChildTest, WithoutADeviceEverythingStillWorks) {
    FMOD_SYSTEM* system = nullptr;
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    ASSERT_EQ(FMOD_System_init(system, 100, FMOD_INIT_3D_RIGHTHANDED, nullptr), FMOD_OK);
    FMOD_OUTPUTTYPE output = FMOD_OUTPUTTYPE_AUTODETECT;
    FMOD_System_getOutput(system, &output);
    EXPECT_EQ(output, FMOD_OUTPUTTYPE_NOSOUND);
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(FMOD_System_createSound(system, std::getenv("TK_FMOD_SOUND"), 0x20, nullptr, &sound), FMOD_OK);
    FMOD_CHANNEL* channel = nullptr;
    ASSERT_EQ(FMOD_System_playSound(system, FMOD_CHANNEL_FREE, sound, 0, &channel), FMOD_OK);
    EXPECT_TRUE(Playing(channel));
    EXPECT_TRUE(WaitFor(system, [&] { return !Playing(channel); }));
    FMOD_System_release(system);
}

TEST_F(FmodChildTest, RendersToTheWaveWriter) {
    FMOD_SYSTEM* system = nullptr;
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    ASSERT_EQ(FMOD_System_init(system, 100, FMOD_INIT_3D_RIGHTHANDED, nullptr), FMOD_OK);
    FMOD_OUTPUTTYPE output = FMOD_OUTPUTTYPE_AUTODETECT;
    FMOD_System_getOutput(system, &output);
    ASSERT_EQ(output, FMOD_OUTPUTTYPE_OPENAL);
    const FMOD_VECTOR origin = {0, 0, 0}, forward = {0, 0, 1}, up = {0, 1, 0};
    FMOD_System_set3DListenerAttributes(system, 0, &origin, &origin, &forward, &up);
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(FMOD_System_createSound(system, std::getenv("TK_FMOD_SOUND"), 0x30, nullptr, &sound), FMOD_OK);
    FMOD_Sound_set3DMinMaxDistance(sound, 2.0f, 10.0f);
    FMOD_CHANNEL* channel = nullptr;
    ASSERT_EQ(FMOD_System_playSound(system, FMOD_CHANNEL_FREE, sound, 1, &channel), FMOD_OK);
    const FMOD_VECTOR where = {std::strtof(std::getenv("TK_FMOD_X"), nullptr), 0.0f, 0.0f};
    FMOD_Channel_set3DAttributes(channel, &where, &origin);
    FMOD_Channel_setPaused(channel, 0);
    EXPECT_TRUE(WaitFor(system, [&] { return !Playing(channel); }));
    FMOD_System_release(system);
}

// A looping stream and a one-shot stream, then no call at all into the system for
// TK_FMOD_SECONDS of wall time: the streams must be fed without the game's updates.
TEST_F(FmodChildTest, StreamsPlayOnWithoutUpdates) {
    FMOD_SYSTEM* system = nullptr;
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    ASSERT_EQ(FMOD_System_init(system, 100, FMOD_INIT_3D_RIGHTHANDED, nullptr), FMOD_OK);
    FMOD_OUTPUTTYPE output = FMOD_OUTPUTTYPE_AUTODETECT;
    FMOD_System_getOutput(system, &output);
    ASSERT_EQ(output, FMOD_OUTPUTTYPE_OPENAL);
    FMOD_SOUND* looped = nullptr;
    FMOD_SOUND* once = nullptr;
    ASSERT_EQ(FMOD_System_createStream(system, std::getenv("TK_FMOD_SOUND"), 0x20, nullptr, &looped), FMOD_OK);
    ASSERT_EQ(FMOD_System_createStream(system, std::getenv("TK_FMOD_SOUND"), 0x20, nullptr, &once), FMOD_OK);
    FMOD_Sound_setMode(looped, FMOD_LOOP_NORMAL);
    FMOD_CHANNEL* loopChannel = nullptr;
    FMOD_CHANNEL* onceChannel = nullptr;
    ASSERT_EQ(FMOD_System_playSound(system, FMOD_CHANNEL_FREE, looped, 0, &loopChannel), FMOD_OK);
    ASSERT_EQ(FMOD_System_playSound(system, FMOD_CHANNEL_FREE, once, 0, &onceChannel), FMOD_OK);
    std::this_thread::sleep_for(std::chrono::duration<double>(std::strtod(std::getenv("TK_FMOD_SECONDS"), nullptr)));
    // The looped stream goes on; the other ended on its own and its channel is free again.
    EXPECT_TRUE(Playing(loopChannel));
    EXPECT_FALSE(Playing(onceChannel));
    FMOD_System_release(system);
}

// Sums the squares of each channel of a stereo file.
std::pair<double, double> ChannelEnergy(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr || info.channels != 2) {
        if (file != nullptr) {
            sf_close(file);
        }
        return {0.0, 0.0};
    }
    std::vector<float> frame(2);
    double left = 0.0, right = 0.0;
    while (sf_readf_float(file, frame.data(), 1) == 1) {
        left += frame[0] * frame[0];
        right += frame[1] * frame[1];
    }
    sf_close(file);
    return {left, right};
}

// The RMS level in dBFS of each `seconds` window of a recording, both channels together.
std::vector<double> WindowLevels(const std::string& path, double seconds) {
    std::vector<double> levels;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return levels;
    }
    const auto frames = static_cast<sf_count_t>(seconds * info.samplerate);
    std::vector<float> window(static_cast<std::size_t>(frames * info.channels));
    while (sf_readf_float(file, window.data(), frames) == frames) {
        double sum = 0.0;
        for (float sample : window) {
            sum += static_cast<double>(sample) * sample;
        }
        const double rms = std::sqrt(sum / static_cast<double>(window.size()));
        levels.push_back(rms > 0.0 ? 20.0 * std::log10(rms) : -200.0);
    }
    sf_close(file);
    return levels;
}

TEST(FmodOutputTest, AStreamPlaysOnWithoutUpdates) {
    tktest::CTempDir dir;
    // Shorter than the span, so the looping stream wraps round several times unattended.
    ASSERT_TRUE(tktest::WriteTone(dir.Path() + "/music.wav", tktest::kWav, 1.5));
    const std::string output = dir.Path() + "/out.wav";
    const std::string config = dir.Write("alsoft.conf",
                                         "[general]\ndrivers = wave\nchannels = stereo\n"
                                         "frequency = 44100\n[wave]\nfile = " +
                                             output + "\n");
    constexpr double kSeconds = 8.0;
    const int status = tktest::RunTestInChild("FmodChildTest.StreamsPlayOnWithoutUpdates",
                                              {{"TK_FMOD_CHILD", "1"},
                                               {"ALSOFT_CONF", config},
                                               {"TK_FMOD_SOUND", dir.Path() + "/music.wav"},
                                               {"TK_FMOD_SECONDS", std::to_string(kSeconds)}},
                                              {"ALSOFT_DRIVERS"});
    EXPECT_EQ(status, 0);
    // The device renders in real time: the recording holds the whole unattended span. From the
    // first sound to the last whole window before the release, no half second may fall silent
    // (a stream fed only by updates plays out its queue, about a second, then stops).
    const std::vector<double> levels = WindowLevels(output, 0.5);
    const auto first = std::find_if(levels.begin(), levels.end(), [](double db) { return db > -40.0; });
    ASSERT_NE(first, levels.end()) << "nothing was rendered";
    const auto span = std::distance(first, levels.end()) - 1;
    ASSERT_GE(span, static_cast<long>((kSeconds - 1.0) / 0.5)) << "the recording is shorter than the span";
    std::string heard;
    std::string silent;
    for (auto it = first; it != levels.end(); ++it) {
        heard += std::to_string(static_cast<int>(*it)) + " ";
        if (it < first + span && *it <= -40.0) {
            silent += std::to_string(0.5 * static_cast<double>(it - levels.begin())) + " s ";
        }
    }
    EXPECT_TRUE(silent.empty()) << "silent at " << silent << "; dBFS per half second from the first sound: " << heard;
}

TEST(FmodOutputTest, RunsSilentlyWhenNoDeviceOpens) {
    tktest::CTempDir dir;
    ASSERT_TRUE(tktest::WriteTone(dir.Path() + "/short.wav", tktest::kWav, 0.3));
    const int status = tktest::RunTestInChild(
        "FmodChildTest.WithoutADeviceEverythingStillWorks",
        {{"TK_FMOD_CHILD", "1"}, {"ALSOFT_DRIVERS", "no-such-driver"}, {"TK_FMOD_SOUND", dir.Path() + "/short.wav"}},
        {"ALSOFT_CONF"});
    EXPECT_EQ(status, 0);
}

TEST(FmodOutputTest, ASourceOnTheListenersLeftIsLouderOnTheLeft) {
    tktest::CTempDir dir;
    ASSERT_TRUE(tktest::WriteTone(dir.Path() + "/tone.wav", tktest::kWav, 0.4));
    // Right-handed, facing +z with +y up: +x is on the listener's left.
    for (const char* x : {"3", "-3"}) {
        const std::string output = dir.Path() + "/out" + x + ".wav";
        const std::string config = dir.Write("alsoft.conf",
                                             "[general]\ndrivers = wave\nchannels = stereo\n"
                                             "frequency = 44100\nhrtf = false\nstereo-encoding = panpot\n"
                                             "[wave]\nfile = " +
                                                 output + "\n");
        const int status = tktest::RunTestInChild("FmodChildTest.RendersToTheWaveWriter",
                                                  {{"TK_FMOD_CHILD", "1"},
                                                   {"ALSOFT_CONF", config},
                                                   {"TK_FMOD_SOUND", dir.Path() + "/tone.wav"},
                                                   {"TK_FMOD_X", x}},
                                                  {"ALSOFT_DRIVERS"});
        ASSERT_EQ(status, 0) << x;
        const auto [left, right] = ChannelEnergy(output);
        ASSERT_GT(left + right, 1.0) << "nothing was rendered at x = " << x;
        if (std::string(x) == "3") {
            EXPECT_GT(left, 2.0 * right);
        } else {
            EXPECT_GT(right, 2.0 * left);
        }
    }
}

} // namespace
