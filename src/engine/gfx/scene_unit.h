// What a model and its view need of the graphics unit that draws them: animation control, the
// per-frame update and carrying another unit on a named frame. The graphics engine's units
// implement it; models and views use no more of graphics than this. Main thread only.
#pragma once

#include <cstdint>
#include <string>

namespace velm {

class ISceneUnit {
public:
    virtual ~ISceneUnit() = default;

    // The index of the animation set playing; negative when the unit has none.
    virtual int GetCurrentAnimation() const = 0;
    // True when the animation set changed.
    virtual bool SetAnimation(std::uint32_t index, bool loop) = 0;
    virtual bool IsAnimationDone() = 0;
    virtual void ResetAnimation() = 0;
    virtual void SetAnimationDone(bool done) = 0;
    virtual void SetAnimationSpeed(float speed) = 0;
    virtual void Update(double time, float elapsed) = 0;
    // The carried unit is not owned: whoever drops it first detaches it.
    virtual void AttachToFrame(ISceneUnit* unit, std::uint8_t followFrame, const std::string& frameName) = 0;
    virtual void DetachFromFrame(ISceneUnit* unit) = 0;
};

} // namespace velm
