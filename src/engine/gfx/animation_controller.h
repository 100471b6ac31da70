// velm::gfx::CAnimationController: one model's animation, one track playing one animation set
// with a speed, a loop flag and a "done" test for sets that play once. It owns its
// ID3DXAnimationController (one reference). Main thread only.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3dx9_anim.h"

namespace velm {
namespace gfx {

class CAnimationController {
public:
    CAnimationController() = default;
    virtual ~CAnimationController();
    CAnimationController(const CAnimationController&) = delete;
    CAnimationController& operator=(const CAnimationController&) = delete;

    // After loading: every track off but track 0, the set count from the controller's maximum.
    void InitTracks();
    // Restarts the time; true only when the set changed.
    bool SetAnimation(std::uint32_t set, bool loop);
    // A set played once stops on its last keys at its end and stays there until reset or changed.
    void AdvanceAnimation(float elapsed, void* callbackHandler);
    bool IsAnimationDone() const;
    void ResetAnimation();
    void SetAnimationSpeed(float speed);
    void SetAnimationDone(bool done) { m_done = done; }
    bool GetAnimationDone() const { return m_done; }

    // Takes over one reference of the controller (null forgets it).
    void SetController(ID3DXAnimationController* controller);
    ID3DXAnimationController* GetController() const { return m_controller; }
    std::uint32_t GetSetCount() const { return m_setCount; }
    std::uint32_t GetCurrentSet() const { return m_currentSet; }
    double GetPosition() const { return m_position; }
    bool IsLooping() const { return m_loop != 0; }

private:
    void StopAtTheEnd(void* callbackHandler);

    ID3DXAnimationController* m_controller = nullptr;
    std::uint32_t m_currentSet = 0;
    std::uint32_t m_setCount = 0;
    double m_position = 0.0;
    std::uint8_t m_loop = 1;
    std::uint8_t m_done = 0;
};

} // namespace gfx
} // namespace velm
