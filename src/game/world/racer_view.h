// kelvo::CRacerView, the racer's drawing and its three positional sounds (hurt, slap, fall),
// which follow the racer while they play. Owns its scene unit; the sounds belong to the sound
// system. Main thread only.
#pragma once

#include <string>
#include <vector>

#include "engine/core/view.h"

namespace velm {
class CSound;
}

namespace kelvo {

class CRacerView : public velm::CView {
public:
    // Starts the paddling animation (4, looping) on the unit.
    CRacerView(velm::CModel* model, velm::ISceneUnit* sceneObject);

    void Update(double time, float elapsed) override;

    // The first three entries of the creation record's sound list: hurt, slap, fall.
    void SetupSounds(const std::vector<std::string>& sounds);
    // Sounds the sound system already holds (a model-data record's); not owned, any may be null.
    void SetSounds(velm::CSound* hurt, velm::CSound* slap, velm::CSound* fall) {
        m_hurt = hurt;
        m_slap = slap;
        m_fall = fall;
    }
    void PlayHurtSound();
    void PlaySlapSound();
    void PlayFallSound();
    void PauseFallSound();

private:
    void Play(velm::CSound* sound, int loop);

    velm::CSound* m_hurt = nullptr;
    velm::CSound* m_slap = nullptr;
    velm::CSound* m_fall = nullptr;
};

// The shared view step: the unit's animation, then (unless carried by a parent) the model's
// pose onto the unit.
void UpdateUnitFromModel(velm::CModel* model, velm::ISceneUnit* unit, double time, float elapsed);
// The sound system of the running application, or null.
velm::CSound* Create3DSound(const std::string& fileName, velm::CModel* model);

} // namespace kelvo
