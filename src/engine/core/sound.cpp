#include "engine/core/sound.h"

#include "libs/common/vector3.h"
#include "platform/fmod/fmod.h"

namespace velm {

void CSound::Pause() { FMOD_Channel_setPaused(m_channel, 1); }

void CSound::Stop() { FMOD_Channel_stop(m_channel); }

void CSound::SetVolume(float volume) {
    FMOD_Channel_setVolume(m_channel, volume);
    m_volume = volume;
}

bool CSound::IsPlaying() const {
    FMOD_BOOL playing = 0;
    FMOD_Channel_isPlaying(m_channel, &playing);
    return playing != 0;
}

bool CSound::SetMinMaxDistance(float minDistance, float maxDistance) {
    FMOD_Sound_set3DMinMaxDistance(m_sound, minDistance, maxDistance);
    return true;
}

void CSound::SetPosition(const common::CVector3& position) {
    m_position[0] = position.x;
    m_position[1] = position.y;
    m_position[2] = position.z;
    ApplyAttributes();
}

void CSound::ApplyAttributes() {
    const FMOD_VECTOR position = {m_position[0], m_position[1], m_position[2]};
    const FMOD_VECTOR velocity = {m_velocity[0], m_velocity[1], m_velocity[2]};
    FMOD_Channel_set3DAttributes(m_channel, &position, &velocity);
}

} // namespace velm
