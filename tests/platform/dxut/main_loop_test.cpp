#include <gtest/gtest.h>

#include <SDL.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/dxut/dxut.h"

namespace {

struct SRecord {
    std::vector<UINT> messages;
    WPARAM keyDown = 0;
    int framesMovedAtKeyDown = -1;
    int frameMoves = 0;
    int frameRenders = 0;
    int presents = 0;
    int observedKeyDowns = 0;
    double lastTime = 0.0;
    float lastElapsed = 0.0f;
    IDirect3DDevice9* lastDevice = nullptr;
    int quitCode = -1; // posted from WM_DESTROY when not negative
    bool deviceUsable = true;
    std::vector<std::string> screenshots;
};
SRecord g_record;

LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM, bool*, void* context) {
    EXPECT_EQ(window, DXUTGetHWND());
    EXPECT_EQ(context, &g_record);
    g_record.messages.push_back(message);
    if (message == WM_KEYDOWN && g_record.keyDown == 0) {
        g_record.keyDown = wParam;
        g_record.framesMovedAtKeyDown = g_record.frameMoves;
    }
    if (message == WM_DESTROY && g_record.quitCode >= 0) {
        PostQuitMessage(g_record.quitCode);
    }
    return 0;
}

void FrameMove(IDirect3DDevice9* device, double time, float elapsed, void*) {
    ++g_record.frameMoves;
    g_record.lastTime = time;
    g_record.lastElapsed = elapsed;
    g_record.lastDevice = device;
}

void FrameRender(IDirect3DDevice9*, double, float, void*) { ++g_record.frameRenders; }

void Observe(const SDL_Event& event, void*) {
    if (event.type == SDL_KEYDOWN) {
        ++g_record.observedKeyDowns;
    }
}

IDirect3DDevice9* FakeDevice() { return reinterpret_cast<IDirect3DDevice9*>(&g_record); }
bool DeviceUsable() { return g_record.deviceUsable; }
void Present() { ++g_record.presents; }
bool WriteScreenshot(const char* name) {
    g_record.screenshots.push_back(name);
    return true;
}

const char* const kKnobs[] = {"TK_FRAME_LIMIT", "TK_FIXED_DT", "TK_INPUT_FILE", "TK_SCREENSHOT_FRAMES"};

class MainLoop : public ::testing::Test {
protected:
    void SetUp() override {
        g_record = SRecord{};
        for (const char* knob : kKnobs) {
            unsetenv(knob);
        }
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        DXUTSetCallbackMsgProc(MsgProc, &g_record);
        DXUTSetCallbackFrameMove(FrameMove);
        DXUTSetCallbackFrameRender(FrameRender);
        bool created = SUCCEEDED(DXUTInit(false, false, false, true)) && SUCCEEDED(DXUTCreateWindow(L"Tumbo \u00e9"));
        if (!created) {
            // Without EGL the offscreen driver cannot make windows; the dummy driver always can.
            platform::DXUTReset();
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            DXUTSetCallbackMsgProc(MsgProc, &g_record);
            DXUTSetCallbackFrameMove(FrameMove);
            DXUTSetCallbackFrameRender(FrameRender);
            created = SUCCEEDED(DXUTInit(false, false, false, true)) && SUCCEEDED(DXUTCreateWindow(L"Tumbo \u00e9"));
        }
        ASSERT_TRUE(created);
        setenv("TK_FIXED_DT", "0.01", 1);
    }
    void TearDown() override {
        platform::SetFrameHooks(platform::SFrameHooks{});
        platform::SetScreenshotWriter(nullptr);
        platform::DXUTReset();
        for (const char* knob : kKnobs) {
            unsetenv(knob);
        }
        if (!m_inputFile.empty()) {
            std::remove(m_inputFile.c_str());
        }
    }
    void WriteInput(const std::string& text) {
        m_inputFile = ::testing::TempDir() + "tk_dxut_input_" + std::to_string(getpid()) + ".txt";
        std::ofstream(m_inputFile) << text;
        setenv("TK_INPUT_FILE", m_inputFile.c_str(), 1);
    }
    std::string m_inputFile;
};

TEST_F(MainLoop, InjectedKeyReachesTheGameAndDestroyEndsTheLoopWithItsQuitCode) {
    EXPECT_STREQ(SDL_GetWindowTitle(platform::GetSdlWindow()), "Tumbo \xC3\xA9");
    WriteInput("# keys\n2 key_down F5\nthis is not an event\n2 key_up F5\n");
    setenv("TK_FRAME_LIMIT", "5", 1);
    platform::AddSdlEventObserver(Observe, nullptr);
    g_record.quitCode = 7;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(DXUTMainLoop(), S_OK);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    platform::RemoveSdlEventObserver(Observe, nullptr);

    EXPECT_NE(errors.find(":3: "), std::string::npos) << errors;
    EXPECT_EQ(g_record.frameMoves, 5);
    EXPECT_EQ(g_record.frameRenders, 5);
    EXPECT_DOUBLE_EQ(g_record.lastTime, 5 * 0.01);
    EXPECT_FLOAT_EQ(g_record.lastElapsed, 0.01f);
    EXPECT_EQ(g_record.lastDevice, nullptr);
    EXPECT_EQ(g_record.keyDown, VK_F1 + 4);
    EXPECT_EQ(g_record.framesMovedAtKeyDown, 1);
    EXPECT_EQ(g_record.observedKeyDowns, 1);
    ASSERT_GE(g_record.messages.size(), 2u);
    EXPECT_EQ(g_record.messages[g_record.messages.size() - 2], WM_CLOSE);
    EXPECT_EQ(g_record.messages.back(), WM_DESTROY);
    EXPECT_EQ(DXUTGetExitCode(), 7);
}

TEST_F(MainLoop, HooksSupplyTheDeviceAndPresentAndTheFrameworkQuitsWhenTheGameDoesNot) {
    setenv("TK_FRAME_LIMIT", "4", 1);
    setenv("TK_SCREENSHOT_FRAMES", "2,4,9", 1);
    platform::SetFrameHooks({FakeDevice, DeviceUsable, Present, nullptr});
    platform::SetScreenshotWriter(WriteScreenshot);
    EXPECT_EQ(DXUTMainLoop(), S_OK);
    EXPECT_EQ(g_record.frameMoves, 4);
    EXPECT_EQ(g_record.presents, 4);
    EXPECT_EQ(g_record.lastDevice, FakeDevice());
    EXPECT_EQ(g_record.screenshots, (std::vector<std::string>{"tk_frame_2.png", "tk_frame_4.png"}));
    EXPECT_EQ(g_record.messages.back(), WM_DESTROY);
    EXPECT_EQ(DXUTGetExitCode(), 0);
}

struct SObserved {
    std::vector<unsigned long> frames;
    std::vector<bool> drawn;
    bool timesOrdered = true;
};

// A frame move that takes a measurable while shows up in the move time and nowhere else.
void SlowFrameMove(IDirect3DDevice9* device, double time, float elapsed, void* context) {
    FrameMove(device, time, elapsed, context);
    SDL_Delay(3);
}

void ObserveFrame(unsigned long frame, bool drawn, const platform::SFrameTimes& times, void* context) {
    auto* observed = static_cast<SObserved*>(context);
    observed->frames.push_back(frame);
    observed->drawn.push_back(drawn);
    if (drawn && !(times.move >= 0.002 && times.render >= 0.0 && times.present >= 0.0)) {
        observed->timesOrdered = false;
    }
}

TEST_F(MainLoop, TheFrameObserverSeesEveryFrameWithItsTimesAndCanBeRemoved) {
    setenv("TK_FRAME_LIMIT", "3", 1);
    DXUTSetCallbackFrameMove(SlowFrameMove, &g_record);
    platform::SetFrameHooks({FakeDevice, DeviceUsable, Present, nullptr});
    SObserved observed;
    platform::SetFrameObserver(ObserveFrame, &observed);
    EXPECT_EQ(DXUTMainLoop(), S_OK);
    platform::SetFrameObserver(nullptr, nullptr);
    EXPECT_EQ(observed.frames, (std::vector<unsigned long>{1, 2, 3}));
    EXPECT_EQ(observed.drawn, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(observed.timesOrdered);
}

TEST_F(MainLoop, NoFramesRunWhileTheDeviceIsUnusable) {
    setenv("TK_FRAME_LIMIT", "3", 1);
    g_record.deviceUsable = false;
    platform::SetFrameHooks({FakeDevice, DeviceUsable, Present, nullptr});
    EXPECT_EQ(DXUTMainLoop(), S_OK);
    EXPECT_EQ(g_record.frameMoves, 0);
    EXPECT_EQ(g_record.frameRenders, 0);
    EXPECT_EQ(g_record.presents, 0);
}

TEST_F(MainLoop, WithoutAFixedFrameTimeTheClockAdvances) {
    unsetenv("TK_FIXED_DT");
    setenv("TK_FRAME_LIMIT", "3", 1);
    EXPECT_EQ(DXUTMainLoop(), S_OK);
    EXPECT_EQ(g_record.frameMoves, 3);
    EXPECT_GT(g_record.lastTime, 0.0);
    EXPECT_GE(g_record.lastElapsed, 0.0f);
    EXPECT_DOUBLE_EQ(DXUTGetTime(), g_record.lastTime);
}

} // namespace
