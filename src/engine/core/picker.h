// velm::CPicker, the editing tools' selection: a left click casts a ray from the camera's eye
// through the cursor against every model's bounding sphere and selects the nearest model hit.
// The selection is kept as an object id and looked up on every use, so removing the selected
// model from the game leaves no dangling pointer. Main thread only; one per process through
// common::CSingleton<velm::CPicker>.
#pragma once

#include <cstdint>
#include <functional>

#include "libs/common/geometry.h"
#include "libs/common/vector3.h"

namespace velm {

class CModel;
class CVelmGame;
namespace input {
struct SInputEvent;
}

class CPicker {
public:
    // Where the cursor stands in screen pixels; false when there is no cursor to read.
    using CursorSource = std::function<bool(int& x, int& y)>;

    // Always false: the record goes on to the manipulator.
    bool HandleInput(const input::SInputEvent& event);
    // Unprojects the screen point through the graphics core's view and projection and the
    // device's viewport and picks along the ray from the active camera's eye.
    void Pick(const common::CVector3& screenPoint);
    // Walks the game's models in id order; on equal distances the lower id keeps the pick.
    void PickAlongRay(const common::CVector3& origin, const common::CVector3& direction);
    // A ray starting inside the sphere hits at the far side.
    static bool RaySphere(const common::CVector3& origin, const common::CVector3& direction,
                          const common::CSphere& sphere, float& distance);

    // The selected model, or null when nothing is selected or it has left the game.
    CModel* GetSelected() const;
    bool HasSelected() const { return GetSelected() != nullptr; }
    void Select(std::uint32_t id);
    void ClearSelection();

    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    void SetCursorSource(CursorSource source) { m_cursor = std::move(source); }
    // The game whose models are picked; null (the default) means the application's game.
    void SetGame(CVelmGame* game) { m_game = game; }

private:
    CVelmGame* Game() const;
    void SetMark(std::uint32_t id, std::uint8_t flag) const;

    std::uint32_t m_selectedId = 0;
    bool m_hasSelection = false;
    bool m_enabled = false;
    CursorSource m_cursor;
    CVelmGame* m_game = nullptr;
};

} // namespace velm
