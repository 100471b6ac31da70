// Stand-ins the engine-core tests share: a graphics unit that records what is asked of it, a
// game whose operations all do nothing until a test overrides them, and one application per
// test suite.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/velm_app.h"
#include "engine/core/velm_game.h"
#include "engine/gfx/scene_unit.h"
#include "platform/dxut/dxut.h"

namespace tktest {

class CFakeUnit : public velm::ISceneUnit {
public:
    int GetCurrentAnimation() const override { return m_current; }
    bool SetAnimation(std::uint32_t index, bool) override {
        m_calls.push_back("set " + std::to_string(index));
        m_current = static_cast<int>(index);
        return m_setResult;
    }
    bool IsAnimationDone() override { return true; }
    void ResetAnimation() override { m_calls.push_back("reset"); }
    void SetAnimationDone(bool) override { m_calls.push_back("flag"); }
    void SetAnimationSpeed(float) override { m_calls.push_back("speed"); }
    void Update(double, float) override { m_calls.push_back("update"); }
    void AttachToFrame(velm::ISceneUnit* unit, std::uint8_t, const std::string&) override { m_carried.push_back(unit); }
    void DetachFromFrame(velm::ISceneUnit* unit) override {
        for (auto it = m_carried.begin(); it != m_carried.end(); ++it) {
            if (*it == unit) {
                m_carried.erase(it);
                return;
            }
        }
    }

    int m_current = -1;
    bool m_setResult = false;
    std::vector<std::string> m_calls;
    std::vector<velm::ISceneUnit*> m_carried;
};

class CStubGame : public velm::CVelmGame {
public:
    std::wstring GetTitle() override { return L"Tumbo Kelvo"; }
    void OnResetDevice() override {}
    void OnLostDevice() override {}
    void Update(double, float) override {}
    void Render(double, float) override {}
    void Init() override {}
    LRESULT MsgProc(UINT, WPARAM, LPARAM) override { return 0; }
    velm::CVelmCamera* GetCamera() override { return nullptr; }
    void* GetCursor() override { return nullptr; }
    void OnLoadingFinished() override {}
};

class CEmptyLoader : public velm::ACLoader<velm::gfx::CVelmGfx::SVelmGfxInitInfo> {
public:
    void Load(const std::string&) override {}
};

// One application of type App for the whole suite: the framework starts once per process.
template <typename App>
class CAppSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("ALSOFT_DRIVERS", "null", 0);
        platform::DXUTReset();
        s_app = new App();
        velm::SetApp(s_app);
        s_started = s_app->Init(s_loader, "config.xml");
    }
    static void TearDownTestSuite() {
        s_app->Shutdown();
        velm::SetApp(nullptr);
        delete s_app;
        s_app = nullptr;
        platform::DXUTReset();
    }
    void SetUp() override {
        ASSERT_TRUE(s_started) << s_app->GetFailureText();
        m_game = s_app->GetGame();
    }

    static inline App* s_app = nullptr;
    static inline CEmptyLoader s_loader;
    static inline bool s_started = false;
    velm::CVelmGame* m_game = nullptr;
};

} // namespace tktest
