// velm::CSound, one sound file opened by the sound system (a 2D sound, a stream or a 3D sound)
// with the channel of its last play, its 3D position and velocity and its volume. The sound
// system creates and releases it; a sound whose file could not be opened is silent but usable.
// Main thread only.
#pragma once

#include <cstdint>

namespace common {
class CVector3;
}

struct FMOD_SOUND;
struct FMOD_CHANNEL;

namespace velm {

class CSound {
public:
    enum EKind : std::uint32_t { KIND_3D = 1, KIND_STREAM = 2, KIND_2D = 3, KIND_NONE = 4 };

    CSound() = default;
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    void Pause();
    void Stop();
    // Sets the current channel's volume and keeps the value for every later play.
    void SetVolume(float volume);
    float GetVolume() const { return m_volume; }
    bool IsPlaying() const;
    bool SetMinMaxDistance(float minDistance, float maxDistance);
    // Keeps the position and places the current channel there.
    void SetPosition(const common::CVector3& position);

    std::uint32_t GetKind() const { return m_kind; }
    // False when the file could not be opened as audio.
    bool IsLoaded() const { return m_sound != nullptr; }
    // The channel of the last play; stale (and harmless) once that play has ended.
    FMOD_CHANNEL* GetChannel() const { return m_channel; }
    FMOD_SOUND* GetHandle() const { return m_sound; }

private:
    friend class CSoundSystem;

    void ApplyAttributes();

    FMOD_SOUND* m_sound = nullptr;
    FMOD_CHANNEL* m_channel = nullptr;
    float m_position[3] = {0.0f, 0.0f, 0.0f};
    float m_velocity[3] = {0.0f, 0.0f, 0.0f};
    float m_volume = 1.0f;
    std::uint32_t m_kind = KIND_NONE;
};

} // namespace velm
