// The shipped sounds: every sound the game creates at start-up and every sound a data file names
// exists under data/sounds/ and opens through the sound system with a length that fits its use.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "engine/core/sound_system.h"
#include "game/content/content_fixtures.h"
#include "game/content/model_data_mgr.h"
#include "game/flow/startup_model_data.h"
#include "platform/fmod/fmod.h"

namespace {

std::string SourceDir() {
    const char* source = std::getenv("TK_SOURCE_DIR");
    return source != nullptr ? std::string(source) : std::string();
}

struct SExpectedSound {
    const char* m_name;
    bool m_stream;
    unsigned int m_minMs;
    unsigned int m_maxMs;
};

// The sounds the game opens itself at start-up: two music streams, the river loop, the
// geyser and rock falls, and the five countdown words.
const SExpectedSound kStartupSounds[] = {
    {"music/intro_short.wav", true, 15000, 60000},
    {"sfx/environment/runnnig_river.wav", false, 2000, 20000},
    {"music/Breakdown.mp3", true, 15000, 60000},
    {"sfx/environment/geyser_explode.wav", false, 500, 5000},
    {"sfx/environment/falling_rocks.wav", false, 500, 5000},
    {"sfx/general_racer_sounds/ready.wav", false, 200, 1500},
    {"sfx/general_racer_sounds/three.wav", false, 200, 1500},
    {"sfx/general_racer_sounds/two.wav", false, 200, 1500},
    {"sfx/general_racer_sounds/one.wav", false, 200, 1500},
    {"sfx/general_racer_sounds/go.wav", false, 200, 1500},
};

// Sound names in the data files: what the model-data manager hands to its sound maker, and any
// other element value under xmlfiles/ that names a sound file.
std::set<std::string> NamesInDataFiles() {
    std::set<std::string> names;
    const std::string folder = SourceDir() + "/data/files/xmlfiles/";
    std::vector<std::unique_ptr<velm::CSound>> made;
    kelvo::CModelDataMgr models(folder, [&](const std::string& name) {
        names.insert(name);
        made.push_back(std::make_unique<velm::CSound>());
        return made.back().get();
    });
    kelvo::LoadStartupModelData(models);
    const std::regex soundValue(R"(>\s*([^<>]+\.(wav|ogg|mp3))\s*<)", std::regex::icase);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".xml") {
            continue;
        }
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            std::smatch match;
            if (std::regex_search(line, match, soundValue)) {
                names.insert(match[1]);
            }
        }
    }
    return names;
}

class SoundFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(SourceDir().empty()) << "TK_SOURCE_DIR is not set";
        setenv("ALSOFT_DRIVERS", "null", 0);
        m_sounds = std::make_unique<velm::CSoundSystem>(SourceDir() + "/data/sounds/");
        ASSERT_TRUE(m_sounds->Init());
    }
    void TearDown() override { EXPECT_TRUE(m_sounds->Shutdown()); }

    // Opens the sound as the game would and checks its length in milliseconds.
    void ExpectLoads(const std::string& name, bool stream, unsigned int minMs, unsigned int maxMs) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(std::filesystem::is_regular_file(SourceDir() + "/data/sounds/" + name));
        velm::CSound* sound = stream ? m_sounds->CreateStream(name) : m_sounds->CreateSound3D(name, {});
        ASSERT_NE(sound->GetHandle(), nullptr);
        unsigned int ms = 0;
        ASSERT_EQ(FMOD_Sound_getLength(sound->GetHandle(), &ms, FMOD_TIMEUNIT_MS), FMOD_OK);
        EXPECT_GE(ms, minMs);
        EXPECT_LE(ms, maxMs);
        EXPECT_TRUE(m_sounds->ReleaseSound(sound));
    }

    std::unique_ptr<velm::CSoundSystem> m_sounds;
};

TEST_F(SoundFilesTest, EverySoundTheGameOpensAtStartUpLoads) {
    for (const SExpectedSound& expected : kStartupSounds) {
        ExpectLoads(expected.m_name, expected.m_stream, expected.m_minMs, expected.m_maxMs);
    }
}

TEST_F(SoundFilesTest, EverySoundTheDataFilesNameLoadsAsAShortEffect) {
    const std::set<std::string> names = NamesInDataFiles();
    // Six racers' hurt and slap, their shared fall, six items, the geyser, the boulder and the jug.
    EXPECT_GE(names.size(), 22u);
    for (const std::string& name : names) {
        // Objects carry their sounds as positional ones.
        ExpectLoads(name, false, 30, 5000);
    }
}

} // namespace
