// velm::gfx::IScreenUnit: everything drawn in 2D over the scene (menus, HUD, console, cursor,
// chat box). Units are updated with whole milliseconds, drawn in ascending z-order and offered
// input records, which a unit consumes by returning true. Main thread only.
#pragma once

#include "engine/input/input_event.h"

namespace velm {
namespace gfx {

class IScreenUnit {
public:
    virtual ~IScreenUnit() = default;

    virtual void OnLostDevice() = 0;
    virtual void OnResetDevice() = 0;
    virtual void Update(unsigned elapsedMs) = 0;
    virtual void Render(double time, float elapsed) = 0;
    virtual int GetZOrder() const = 0;
    virtual void SetZOrder(int z) = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    bool IsBehind(const IScreenUnit& other) const { return GetZOrder() < other.GetZOrder(); }
    virtual bool HandleInput(const input::SInputEvent& event) = 0;
};

} // namespace gfx
} // namespace velm
