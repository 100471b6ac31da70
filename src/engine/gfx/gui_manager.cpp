#include "engine/gfx/gui_manager.h"

#include <algorithm>
#include <cstdio>

namespace velm {
namespace gfx {

CGUIManager::~CGUIManager() {
    for (auto& [id, screen] : m_screens) {
        delete screen;
    }
}

bool CGUIManager::AddScreen(int id, CBaseGUI* screen) {
    if (screen == nullptr) {
        return false;
    }
    if (!m_screens.emplace(id, screen).second) {
        std::fprintf(stderr, "GUI manager: screen id %d is taken; the new screen is not entered\n", id);
        return false;
    }
    return true;
}

void CGUIManager::RemoveScreen(int id) {
    const auto found = m_screens.find(id);
    if (found == m_screens.end()) {
        return;
    }
    CBaseGUI* screen = found->second;
    m_screens.erase(found);
    // The draw list must not keep the deleted screen until the next update.
    m_drawList.erase(std::remove(m_drawList.begin(), m_drawList.end(), screen), m_drawList.end());
    delete screen;
}

void CGUIManager::RemoveScreenLater(int id) { m_pendingRemovals.push_back(id); }

CBaseGUI* CGUIManager::GetScreen(int id) const {
    const auto found = m_screens.find(id);
    return found != m_screens.end() ? found->second : nullptr;
}

void CGUIManager::Update(unsigned elapsedMs) {
    for (auto& [id, screen] : m_screens) {
        screen->Update(elapsedMs);
    }
    for (const int id : m_pendingRemovals) {
        RemoveScreen(id);
    }
    m_pendingRemovals.clear();
    m_drawList.clear();
    for (auto& [id, screen] : m_screens) {
        m_drawList.push_back(screen);
    }
}

bool CGUIManager::HandleInput(const input::SInputEvent& event) {
    for (auto& [id, screen] : m_screens) {
        if (screen->HandleInput(event)) {
            return true;
        }
    }
    return false;
}

void CGUIManager::OnLostDevice() {
    for (auto& [id, screen] : m_screens) {
        screen->OnLostDevice();
    }
}

void CGUIManager::OnResetDevice() {
    for (auto& [id, screen] : m_screens) {
        screen->OnResetDevice();
    }
}

void SortByZOrder(std::vector<IScreenUnit*>* units) {
    std::stable_sort(units->begin(), units->end(),
                     [](const IScreenUnit* a, const IScreenUnit* b) { return a->IsBehind(*b); });
}

} // namespace gfx
} // namespace velm
