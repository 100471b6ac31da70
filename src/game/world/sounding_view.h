// kelvo::CSoundingView: the base of the views that carry one positional sound, which follows the
// model while it plays and stays where it was once stopped. Main thread only.
#pragma once

#include <cstdint>

#include "engine/core/view.h"

namespace velm {
class CSound;
}

namespace kelvo {

class CSoundingView : public velm::CView {
public:
    using velm::CView::CView;
    void Play(int loop);
    void Stop();
    velm::CSound* GetSound() const { return m_sound; }
    // A sound the sound system already holds (a model-data record's); not owned.
    void SetSound(velm::CSound* sound) { m_sound = sound; }

protected:
    // Moves a playing sound to the model's position.
    void FollowModel();

    velm::CSound* m_sound = nullptr;

private:
    std::uint8_t m_stopped = 0;
};

} // namespace kelvo
