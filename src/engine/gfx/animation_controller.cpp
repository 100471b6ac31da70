#include "engine/gfx/animation_controller.h"

namespace velm {
namespace gfx {

CAnimationController::~CAnimationController() {
    SetController(nullptr);
    m_done = 0;
    m_loop = 1;
}

void CAnimationController::SetController(ID3DXAnimationController* controller) {
    if (m_controller != nullptr) {
        m_controller->Release();
    }
    m_controller = controller;
}

void CAnimationController::InitTracks() {
    if (m_controller == nullptr) {
        return;
    }
    for (UINT track = 0; track < m_controller->GetMaxNumTracks(); ++track) {
        m_controller->SetTrackEnable(track, FALSE);
    }
    m_controller->SetTrackEnable(0, TRUE);
    m_setCount = m_controller->GetMaxNumAnimationSets();
    m_done = 0;
}

bool CAnimationController::SetAnimation(std::uint32_t set, bool loop) {
    m_loop = loop ? 1 : 0;
    if (m_controller != nullptr) {
        m_controller->ResetTime();
        m_done = 0;
    }
    if (set == m_currentSet || set >= m_setCount || m_controller == nullptr) {
        return false;
    }
    ID3DXAnimationSet* animationSet = nullptr;
    if (FAILED(m_controller->GetAnimationSet(set, &animationSet))) {
        return false;
    }
    m_currentSet = set;
    m_controller->SetTrackAnimationSet(0, animationSet);
    m_controller->SetTrackEnable(0, TRUE);
    animationSet->Release();
    return true;
}

void CAnimationController::AdvanceAnimation(float elapsed, void* callbackHandler) {
    if (m_loop == 0) {
        m_done = IsAnimationDone() ? 1 : 0;
    }
    if (m_controller != nullptr && m_done == 0) {
        m_controller->AdvanceTime(static_cast<double>(elapsed), callbackHandler);
        if (m_loop == 0) {
            StopAtTheEnd(callbackHandler);
        }
        D3DXTRACK_DESC desc;
        if (SUCCEEDED(m_controller->GetTrackDesc(0, &desc))) {
            m_position = desc.Position;
        }
    }
}

// The file's sets repeat, so an advance past the period would show a pose wrapped back towards
// the start and freeze there; a set played once is held on its last keys instead.
void CAnimationController::StopAtTheEnd(void* callbackHandler) {
    D3DXTRACK_DESC desc;
    ID3DXAnimationSet* animationSet = nullptr;
    if (FAILED(m_controller->GetTrackDesc(0, &desc)) ||
        FAILED(m_controller->GetAnimationSet(m_currentSet, &animationSet))) {
        return;
    }
    const double period = animationSet->GetPeriod();
    animationSet->Release();
    if (desc.Position > period) {
        m_controller->SetTrackPosition(0, period);
        m_controller->AdvanceTime(0.0, callbackHandler);
    }
}

bool CAnimationController::IsAnimationDone() const {
    if (m_controller == nullptr) {
        return false;
    }
    D3DXTRACK_DESC desc;
    if (FAILED(m_controller->GetTrackDesc(0, &desc))) {
        return false;
    }
    ID3DXAnimationSet* animationSet = nullptr;
    if (FAILED(m_controller->GetAnimationSet(m_currentSet, &animationSet))) {
        return false;
    }
    const bool done = animationSet->GetPeriod() <= desc.Position;
    animationSet->Release();
    return done;
}

void CAnimationController::ResetAnimation() {
    if (m_controller != nullptr) {
        m_controller->ResetTime();
    }
    m_position = 0.0;
    m_done = 0;
}

void CAnimationController::SetAnimationSpeed(float speed) {
    if (m_controller != nullptr) {
        m_controller->SetTrackSpeed(0, speed);
    }
}

} // namespace gfx
} // namespace velm
