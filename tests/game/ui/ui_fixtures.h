// Shared pieces of the game-screen tests: a screen host with a cursor the test moves, a line-up of
// bodies that only stand, and clicks on a screen's children.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/model.h"
#include "engine/gfx/base_gui.h"
#include "engine/gfx/button.h"
#include "engine/gfx/cursor.h"
#include "engine/phy/rigid_body.h"
#include "game/ui/screen_host.h"
#include "game/world/kelvo_model.h"
#include "support/source_file.h"

namespace tktest {

class CStandingModel : public kelvo::CKelvoModel {
public:
    explicit CStandingModel(std::uint32_t id) : CKelvoModel(std::make_shared<velm::phy::CRigidBody>(), id) {}
    void Update(double, float) override {}
};

// Records what the screens ask of the game.
class CTestScreenHost : public kelvo::IScreenHost {
public:
    CTestScreenHost() : m_cursor("no_such_cursor.xml", true) { kelvo::SetScreenHost(this); }
    ~CTestScreenHost() override { kelvo::SetScreenHost(nullptr); }

    velm::gfx::CCursor* GetCursor() override { return m_cursor.IsShown() ? &m_cursor : nullptr; }
    void SetSelectedCharacter(std::uint32_t character) override { m_selected.push_back(character); }
    std::vector<velm::CModel*> GetCharSelRacers() override { return m_lineUp; }
    void PlayCountdownSound(int stage) override { m_sounds.push_back(stage); }
    void ResetRaceClock() override { ++m_clockResets; }
    void StartRaceClock() override { ++m_clockStarts; }
    void PostQuit() override { ++m_quits; }

    void MoveCursor(int x, int y) { m_cursor.SetPosition(x, y); }

    velm::gfx::CCursor m_cursor;
    std::vector<velm::CModel*> m_lineUp;
    std::vector<std::uint32_t> m_selected;
    std::vector<int> m_sounds;
    int m_clockResets = 0;
    int m_clockStarts = 0;
    int m_quits = 0;
};

inline velm::input::SInputEvent Mouse(std::uint32_t value) { return {210, value, 0, 0}; }

inline velm::gfx::CButton* Child(const velm::gfx::CBaseGUI& screen, int id) {
    return dynamic_cast<velm::gfx::CButton*>(screen.GetChild(id));
}

// Presses and releases the left button with the cursor at (x, y), offered to the whole screen;
// true when the press was taken.
inline bool ClickAt(CTestScreenHost& host, velm::gfx::CBaseGUI& screen, int x, int y) {
    host.MoveCursor(x, y);
    const bool taken = screen.HandleInput(Mouse(0));
    screen.HandleInput(Mouse(1));
    return taken;
}

// Clicks the middle of a child.
inline bool ClickChild(CTestScreenHost& host, velm::gfx::CBaseGUI& screen, int id) {
    velm::gfx::CButton* button = Child(screen, id);
    EXPECT_NE(button, nullptr) << id;
    if (button == nullptr) {
        return false;
    }
    return ClickAt(host, screen, button->GetX() + button->GetWidth() / 2, button->GetY() + button->GetHeight() / 2);
}

} // namespace tktest
