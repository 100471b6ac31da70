// Test sounds written on the fly with libsndfile (no audio file is kept in the tree), and a way
// to run one test of this program in a fresh process with its own OpenAL configuration.
#pragma once

#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace tktest {

// A sine tone of `seconds`; false when libsndfile cannot write that format.
inline bool WriteTone(const std::string& path, int format, double seconds, int channels = 1, int rate = 44100) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const sf_count_t frames = static_cast<sf_count_t>(seconds * rate);
    std::vector<float> samples(static_cast<std::size_t>(frames * channels));
    for (sf_count_t f = 0; f < frames; ++f) {
        const float value = 0.5f * static_cast<float>(std::sin(2.0 * 3.14159265358979 * 440.0 * f / rate));
        for (int c = 0; c < channels; ++c) {
            samples[static_cast<std::size_t>(f * channels + c)] = value;
        }
    }
    const bool written = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return written;
}

constexpr int kWav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kOgg = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
constexpr int kMp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;

// Runs this test program again with only `filter`, the given variables set and the listed ones
// removed; returns its exit status (0 when the child's tests passed).
inline int RunTestInChild(const std::string& filter, const std::vector<std::pair<std::string, std::string>>& set,
                          const std::vector<std::string>& unset) {
    const pid_t child = fork();
    if (child == 0) {
        for (const auto& variable : unset) {
            unsetenv(variable.c_str());
        }
        for (const auto& variable : set) {
            setenv(variable.first.c_str(), variable.second.c_str(), 1);
        }
        const std::string filterArgument = "--gtest_filter=" + filter;
        char* const argv[] = {const_cast<char*>("child"), const_cast<char*>(filterArgument.c_str()), nullptr};
        execv("/proc/self/exe", argv);
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tktest
