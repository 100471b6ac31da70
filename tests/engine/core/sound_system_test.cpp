#include "engine/core/sound_system.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "libs/common/vector3.h"
#include "platform/fmod/fmod.h"
#include "platform/fmod/sound_files.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

class SoundSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ALSOFT_DRIVERS", "null", 0);
        ASSERT_TRUE(tktest::WriteTone(m_dir.Path() + "/long.wav", tktest::kWav, 3.0));
        m_sound = new velm::CSoundSystem(m_dir.Path() + "/");
        ASSERT_TRUE(m_sound->Init());
    }
    void TearDown() override {
        EXPECT_TRUE(m_sound->Shutdown());
        delete m_sound;
    }

    tktest::CTempDir m_dir;
    velm::CSoundSystem* m_sound = nullptr;
};

TEST_F(SoundSystemTest, EachCreateGivesItsKind) {
    EXPECT_EQ(m_sound->CreateSound("long.wav")->GetKind(), velm::CSound::KIND_2D);
    EXPECT_EQ(m_sound->CreateStream("long.wav")->GetKind(), velm::CSound::KIND_STREAM);
    velm::CSound* placed = m_sound->CreateSound3D("long.wav", common::CVector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(placed->GetKind(), velm::CSound::KIND_3D);
    float minDistance = 0.0f, maxDistance = 0.0f;
    FMOD_Sound_get3DMinMaxDistance(placed->GetHandle(), &minDistance, &maxDistance);
    EXPECT_EQ(minDistance, 2.0f);
    EXPECT_EQ(maxDistance, 10.0f);
}

TEST_F(SoundSystemTest, PlayingAgainRestartsOnOneChannel) {
    velm::CSound* sound = m_sound->CreateSound("long.wav");
    m_sound->PlaySound(sound, false, 0);
    FMOD_CHANNEL* first = sound->GetChannel();
    unsigned int before = 0;
    // The mixer runs in real time: wait until the play is well under way.
    for (int i = 0; i < 500 && before < 200; ++i) {
        std::this_thread::sleep_for(10ms);
        FMOD_Channel_getPosition(first, &before, FMOD_TIMEUNIT_MS);
    }
    ASSERT_GE(before, 200u);
    m_sound->PlaySound(sound, false, 0);
    unsigned int after = 0;
    FMOD_Channel_getPosition(sound->GetChannel(), &after, FMOD_TIMEUNIT_MS);
    EXPECT_LT(after, before);
    int playing = 0;
    FMOD_System_getChannelsPlaying(m_sound->GetSystem(), &playing);
    EXPECT_EQ(playing, 1);
    EXPECT_TRUE(sound->IsPlaying());
}

TEST_F(SoundSystemTest, VolumeSetBeforeThePlayIsApplied) {
    velm::CSound* sound = m_sound->CreateSound("long.wav");
    sound->SetVolume(0.5f);
    m_sound->PlaySound(sound, false, 1);
    float volume = 0.0f;
    FMOD_Channel_getVolume(sound->GetChannel(), &volume);
    EXPECT_EQ(volume, 0.5f);
    FMOD_MODE mode = 0;
    FMOD_Sound_getMode(sound->GetHandle(), &mode);
    EXPECT_NE(mode & FMOD_LOOP_NORMAL, 0u);
}

TEST_F(SoundSystemTest, PauseAndStop) {
    velm::CSound* sound = m_sound->CreateSound("long.wav");
    m_sound->PlaySound(sound, false, 0);
    sound->Pause();
    FMOD_BOOL paused = 0;
    FMOD_Channel_getPaused(sound->GetChannel(), &paused);
    EXPECT_TRUE(paused);
    EXPECT_TRUE(sound->IsPlaying());
    sound->Stop();
    EXPECT_FALSE(sound->IsPlaying());
}

TEST_F(SoundSystemTest, AThreeDSoundMovedWhileSilentStartsWhereItWasPut) {
    velm::CSound* sound = m_sound->CreateSound3D("long.wav", common::CVector3());
    sound->SetPosition(common::CVector3(4.0f, 5.0f, 6.0f));
    m_sound->PlaySound(sound, false, 0);
    FMOD_VECTOR where{};
    FMOD_Channel_get3DAttributes(sound->GetChannel(), &where, nullptr);
    EXPECT_EQ(where.x, 4.0f);
    EXPECT_EQ(where.z, 6.0f);
}

TEST_F(SoundSystemTest, TheListenerFollowsOnlyInPositionAndVelocity) {
    m_sound->SetListenerPosition(common::CVector3(1.0f, 2.0f, 3.0f));
    m_sound->SetListenerVelocity(common::CVector3(0.0f, 0.0f, -1.0f));
    m_sound->Update();
    FMOD_VECTOR position{}, velocity{}, forward{}, up{};
    FMOD_System_get3DListenerAttributes(m_sound->GetSystem(), 0, &position, &velocity, &forward, &up);
    EXPECT_EQ(position.y, 2.0f);
    EXPECT_EQ(velocity.z, -1.0f);
    EXPECT_EQ(forward.z, 1.0f);
    EXPECT_EQ(forward.y, 0.0f);
    EXPECT_EQ(up.y, 1.0f);
    EXPECT_EQ(up.x, 0.0f);
}

TEST_F(SoundSystemTest, FilesThatAreMissingOrNotAudioGiveSilentSounds) {
    m_dir.Write("text.wav", "not a sound");
    for (const char* name : {"missing.wav", "text.wav"}) {
        testing::internal::CaptureStderr();
        velm::CSound* sound = m_sound->CreateSound(name);
        const std::string printed = testing::internal::GetCapturedStderr();
        ASSERT_NE(sound, nullptr);
        EXPECT_FALSE(sound->IsLoaded());
        EXPECT_NE(printed.find(name), std::string::npos) << printed;
        m_sound->PlaySound(sound, false, 1);
        sound->SetVolume(0.3f);
        EXPECT_FALSE(sound->IsPlaying());
        EXPECT_TRUE(m_sound->ReleaseSound(sound));
    }
}

TEST_F(SoundSystemTest, ReleasingNothingFails) {
    EXPECT_FALSE(m_sound->ReleaseSound(nullptr));
    EXPECT_TRUE(m_sound->ReleaseSound(m_sound->CreateStream("long.wav")));
}

} // namespace
