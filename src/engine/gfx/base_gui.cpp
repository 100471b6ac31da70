#include "engine/gfx/base_gui.h"

#include <cstdio>

namespace velm {
namespace gfx {

CBaseGUI::~CBaseGUI() {
    for (auto& [id, child] : m_children) {
        delete child;
    }
}

void CBaseGUI::OnLostDevice() {
    CSprite::OnLostDevice();
    for (auto& [id, child] : m_children) {
        child->OnLostDevice();
    }
}

void CBaseGUI::OnResetDevice() {
    CSprite::OnResetDevice();
    for (auto& [id, child] : m_children) {
        child->OnResetDevice();
    }
}

void CBaseGUI::Update(unsigned elapsedMs) {
    CSprite::Update(elapsedMs);
    for (auto& [id, child] : m_children) {
        child->Update(elapsedMs);
    }
}

void CBaseGUI::Render(double time, float elapsed) {
    CSprite::Render(time, elapsed);
    for (auto& [id, child] : m_children) {
        child->Render(time, elapsed);
    }
}

bool CBaseGUI::HandleInput(const input::SInputEvent& event) {
    for (auto& [id, child] : m_children) {
        if (child->HandleInput(event)) {
            return true;
        }
    }
    return false;
}

bool CBaseGUI::AddChild(int id, IScreenUnit* unit) {
    if (unit == nullptr) {
        return false;
    }
    if (!m_children.emplace(id, unit).second) {
        std::fprintf(stderr, "Screen unit: child id %d is taken; the new child is not entered\n", id);
        return false;
    }
    return true;
}

IScreenUnit* CBaseGUI::GetChild(int id) const {
    const auto found = m_children.find(id);
    return found != m_children.end() ? found->second : nullptr;
}

} // namespace gfx
} // namespace velm
