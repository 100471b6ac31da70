// velm::gfx::CGUIManager: the game's table of screens by integer id. It owns the screens it has
// entered, updates them once a frame, offers input to them in id order until one consumes it,
// removes screens at once or at its next update, and gives the frame its draw list.
// Main thread only.
#pragma once

#include <list>
#include <map>
#include <vector>

#include "engine/gfx/base_gui.h"

namespace velm {
namespace gfx {

class CGUIManager {
public:
    CGUIManager() = default;
    ~CGUIManager();
    CGUIManager(const CGUIManager&) = delete;
    CGUIManager& operator=(const CGUIManager&) = delete;

    // Takes ownership of screen, except under an id already taken: then the call is logged, the
    // screen is not entered and stays the caller's (false).
    bool AddScreen(int id, CBaseGUI* screen);
    // Deletes the screen now; an absent id does nothing.
    void RemoveScreen(int id);
    // For a screen whose own code is running: removed at the next Update, after that update.
    void RemoveScreenLater(int id);
    CBaseGUI* GetScreen(int id) const;

    void Update(unsigned elapsedMs);
    bool HandleInput(const input::SInputEvent& event);
    void OnLostDevice();
    void OnResetDevice();
    // Ids for the screens, from 0 up: each call gives the next.
    int NextId() { return m_nextId++; }
    // Every screen in id order, as of the last Update.
    const std::vector<IScreenUnit*>& GetDrawList() const { return m_drawList; }

private:
    std::map<int, CBaseGUI*> m_screens;
    std::vector<IScreenUnit*> m_drawList;
    std::list<int> m_pendingRemovals;
    int m_nextId = 0;
};

// Sorts units by ascending z-order, keeping list order for equal z-orders (the frame's order).
void SortByZOrder(std::vector<IScreenUnit*>* units);

} // namespace gfx
} // namespace velm
