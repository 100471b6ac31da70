#include "game/world/sounding_view.h"

#include "engine/core/model.h"
#include "engine/core/sound.h"
#include "engine/core/sound_system.h"
#include "engine/core/velm_app.h"

namespace kelvo {

void CSoundingView::FollowModel() {
    if (m_sound != nullptr && m_stopped == 0) {
        m_sound->SetPosition(m_model->GetPosition());
    }
}

void CSoundingView::Play(int loop) {
    m_stopped = 0;
    velm::CVelmApp* app = velm::GetApp();
    if (m_sound != nullptr && app != nullptr && app->GetSoundSystem() != nullptr) {
        app->GetSoundSystem()->PlaySound(m_sound, false, loop);
    }
}

void CSoundingView::Stop() {
    m_stopped = 1;
    if (m_sound != nullptr) {
        m_sound->Stop();
    }
}

} // namespace kelvo
