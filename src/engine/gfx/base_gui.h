// velm::gfx::CBaseGUI: a sprite with child screen units under integer ids, the base of every
// game screen, the cursor and the chat box. The container owns its children; they are updated,
// drawn and offered input in id order after the container's own sprite. Main thread only.
#pragma once

#include <map>

#include "engine/gfx/sprite.h"

namespace velm {
namespace gfx {

class CBaseGUI : public CSprite {
public:
    CBaseGUI() = default;
    explicit CBaseGUI(const std::string& textureFile) : CSprite(textureFile) {}
    ~CBaseGUI() override;

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;
    // True at the first child that consumes the record; the container's own sprite takes none.
    bool HandleInput(const input::SInputEvent& event) override;

    // Takes ownership of unit, except under an id already taken: then the call is logged, the
    // child is not entered and stays the caller's (false).
    bool AddChild(int id, IScreenUnit* unit);
    // Null for an id without child.
    IScreenUnit* GetChild(int id) const;
    const std::map<int, IScreenUnit*>& GetChildren() const { return m_children; }

private:
    std::map<int, IScreenUnit*> m_children;
};

} // namespace gfx
} // namespace velm
