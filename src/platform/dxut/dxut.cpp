#include "platform/dxut/dxut.h"

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/dxut/input_script.h"
#include "platform/dxut/message_translator.h"
#include "platform/dxut/run_settings.h"
#include "platform/win32/frame_clock.h"
#include "platform/win32/message_queue.h"
#include "platform/win32/utf8.h"

namespace {

constexpr Uint32 kSdlSystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER;
constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
// Without a fixed frame time and without vsync the loop would spin: no frame is shorter than this.
constexpr double kShortestFrame = 1.0 / 250.0;

template <typename Callback>
struct SCallback {
    Callback function = nullptr;
    void* context = nullptr;
};

struct SFramework {
    SCallback<LPDXUTCALLBACKMSGPROC> msgProc;
    SCallback<LPDXUTCALLBACKFRAMERENDER> frameRender;
    SCallback<LPDXUTCALLBACKFRAMEMOVE> frameMove;
    SCallback<LPDXUTCALLBACKDEVICELOST> deviceLost;
    SCallback<LPDXUTCALLBACKDEVICERESET> deviceReset;
    bool initialised = false;
    bool handleAltEnter = true;
    bool showCursorWhenFullScreen = true;
    bool clipCursorWhenFullScreen = false;
    SDL_Window* window = nullptr;
    // A destroyed window is hidden, not freed: the device may still hold a context on it.
    bool windowDestroyed = false;
    HINSTANCE instance = nullptr;
    bool running = false;
    int exitCode = 0;
    unsigned long frame = 0;
    double time = 0.0;
    float elapsed = 0.0f;
    float fps = 0.0f;
    platform::CMessageTranslator translator;
};

// SDL outlives DXUTReset once OpenGL was loaded: unloading Mesa's EGL library loses memory it
// still holds, so the library stays loaded for the life of the process and SDL with it.
bool s_sdlRunning = false;
bool s_glPinned = false;

SFramework& Framework() {
    static SFramework framework;
    return framework;
}

struct SObserver {
    platform::SdlEventObserver observer;
    void* context;
};

std::vector<SObserver>& Observers() {
    static std::vector<SObserver> observers;
    return observers;
}

platform::SFrameHooks& Hooks() {
    static platform::SFrameHooks hooks{};
    return hooks;
}

struct SFrameObserverSlot {
    platform::FrameObserver observer = nullptr;
    void* context = nullptr;
};

SFrameObserverSlot& FrameObserverSlot() {
    static SFrameObserverSlot slot;
    return slot;
}

platform::ScreenshotWriter& Writer() {
    static platform::ScreenshotWriter writer = nullptr;
    return writer;
}

// Opaque handles: only their identity matters to the game.
HWND WindowHandle() {
    static int token;
    return reinterpret_cast<HWND>(&token);
}

HINSTANCE ModuleHandle() {
    static int token;
    return reinterpret_cast<HINSTANCE>(&token);
}

void ToggleFullScreen() {
    SFramework& fw = Framework();
    const bool fullScreen = (SDL_GetWindowFlags(fw.window) & SDL_WINDOW_FULLSCREEN) != 0;
    if (fullScreen) {
        SDL_SetWindowFullscreen(fw.window, 0);
        SDL_SetWindowGrab(fw.window, SDL_FALSE);
        return;
    }
    if (SDL_SetWindowFullscreen(fw.window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        return;
    }
    if (fw.clipCursorWhenFullScreen) {
        SDL_SetWindowGrab(fw.window, SDL_TRUE);
    }
    if (!fw.showCursorWhenFullScreen) {
        SDL_ShowCursor(SDL_DISABLE);
    }
}

// Delivers one message to the window: the game's callback first, then what the framework's own
// window does with it, unless the callback asked for no further processing.
LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

void DestroyWindow() {
    SFramework& fw = Framework();
    Dispatch(WM_DESTROY, 0, 0);
    fw.windowDestroyed = true;
    SDL_HideWindow(fw.window);
}

LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    SFramework& fw = Framework();
    if (fw.windowDestroyed) {
        return 0;
    }
    bool noFurtherProcessing = false;
    LRESULT result = 0;
    if (fw.msgProc.function != nullptr) {
        result = fw.msgProc.function(WindowHandle(), message, wParam, lParam, &noFurtherProcessing, fw.msgProc.context);
    }
    if (noFurtherProcessing) {
        return result;
    }
    switch (message) {
        case WM_CLOSE:
            DestroyWindow();
            break;
        case WM_SIZE:
            if (Hooks().windowResized != nullptr) {
                Hooks().windowResized(LOWORD(static_cast<DWORD>(lParam)), HIWORD(static_cast<DWORD>(lParam)));
            }
            break;
        case WM_SYSKEYDOWN:
            // Alt+Enter, first press only (bit 30 marks an auto-repeat).
            if (fw.handleAltEnter && wParam == VK_RETURN && (lParam & (1 << 30)) == 0) {
                ToggleFullScreen();
            }
            break;
        default:
            break;
    }
    return result;
}

void PumpSdlEvents() {
    SFramework& fw = Framework();
    SDL_Event event;
    std::vector<platform::SMessage> messages;
    while (SDL_PollEvent(&event) != 0) {
        // A copy: an observer may add or remove observers while it is called.
        const std::vector<SObserver> observers = Observers();
        for (const SObserver& entry : observers) {
            entry.observer(event, entry.context);
        }
        if (fw.windowDestroyed) {
            continue;
        }
        messages.clear();
        fw.translator.Translate(event, messages);
        for (const platform::SMessage& message : messages) {
            platform::PostThreadMessage(message.message, message.wParam, message.lParam);
        }
    }
}

// Dispatches every waiting message; true when the quit message was taken.
bool DrainMessages() {
    platform::SMessage message{};
    while (platform::PeekMessage(message)) {
        if (message.message == WM_QUIT) {
            Framework().exitCode = static_cast<int>(message.wParam);
            return true;
        }
        Dispatch(message.message, message.wParam, message.lParam);
    }
    return false;
}

// Closes the window the way its close button does.
void RequestClose() {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = SDL_GetWindowID(Framework().window);
    if (SDL_PushEvent(&event) != 1) {
        platform::PostThreadMessage(WM_CLOSE, 0, 0);
    }
}

// The loop's own clock is the wall clock: the performance counter follows the frame clock in a
// fixed-step run, and the frame observer's times must still be real there.
double Seconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// Frame move, frame render, the screenshot if one is due, then present; false when the device
// was not usable and nothing was drawn.
bool RunFrame(platform::SFrameTimes* times) {
    SFramework& fw = Framework();
    const platform::SFrameHooks& hooks = Hooks();
    if (hooks.deviceUsable != nullptr && !hooks.deviceUsable()) {
        return false;
    }
    IDirect3DDevice9* device = DXUTGetD3DDevice();
    const double start = Seconds();
    if (fw.frameMove.function != nullptr) {
        fw.frameMove.function(device, fw.time, fw.elapsed, fw.frameMove.context);
    }
    const double moved = Seconds();
    if (fw.frameRender.function != nullptr) {
        fw.frameRender.function(device, fw.time, fw.elapsed, fw.frameRender.context);
    }
    times->move = moved - start;
    times->render = Seconds() - moved;
    return true;
}

void SaveScreenshot(unsigned long frame, bool drawn) {
    const std::string name = "tk_frame_" + std::to_string(frame) + ".png";
    if (!drawn) {
        std::cerr << "TK_SCREENSHOT_FRAMES: frame " << frame << " was not drawn; " << name << " skipped\n";
    } else if (Writer() == nullptr) {
        std::cerr << "TK_SCREENSHOT_FRAMES: no screenshot writer is installed; " << name << " skipped\n";
    } else if (!Writer()(name.c_str())) {
        std::cerr << "TK_SCREENSHOT_FRAMES: " << name << " could not be written\n";
    }
}

struct SRunningGuard {
    SRunningGuard() { Framework().running = true; }
    ~SRunningGuard() {
        Framework().running = false;
        platform::ClearFrameClock();
    }
};

} // namespace

void DXUTSetCallbackMsgProc(LPDXUTCALLBACKMSGPROC callback, void* userContext) {
    Framework().msgProc = {callback, userContext};
}

void DXUTSetCallbackFrameRender(LPDXUTCALLBACKFRAMERENDER callback, void* userContext) {
    Framework().frameRender = {callback, userContext};
}

void DXUTSetCallbackFrameMove(LPDXUTCALLBACKFRAMEMOVE callback, void* userContext) {
    Framework().frameMove = {callback, userContext};
}

void DXUTSetCallbackDeviceLost(LPDXUTCALLBACKDEVICELOST callback, void* userContext) {
    Framework().deviceLost = {callback, userContext};
}

void DXUTSetCallbackDeviceReset(LPDXUTCALLBACKDEVICERESET callback, void* userContext) {
    Framework().deviceReset = {callback, userContext};
}

HRESULT DXUTInit(bool, bool, bool, bool handleAltEnter) {
    SFramework& fw = Framework();
    fw.handleAltEnter = handleAltEnter;
    if (fw.initialised) {
        return S_OK;
    }
    if (!s_sdlRunning) {
        if (SDL_Init(kSdlSystems) != 0) {
            std::cerr << "DXUTInit: SDL could not start: " << SDL_GetError() << "\n";
            return E_FAIL;
        }
        s_sdlRunning = true;
    }
    fw.initialised = true;
    return S_OK;
}

void DXUTSetCursorSettings(bool showCursorWhenFullScreen, bool clipCursorWhenFullScreen) {
    Framework().showCursorWhenFullScreen = showCursorWhenFullScreen;
    Framework().clipCursorWhenFullScreen = clipCursorWhenFullScreen;
}

HRESULT DXUTCreateWindow(const WCHAR* title, HINSTANCE instance, HICON, HMENU, int x, int y) {
    SFramework& fw = Framework();
    // As the original framework does, a window asked for before DXUTInit initialises first.
    if (!fw.initialised && FAILED(DXUTInit())) {
        return E_FAIL;
    }
    const std::string utf8Title = platform::WideToUtf8(title);
    if (fw.window != nullptr) {
        // The device may have made the window already: it still takes the game's title.
        SDL_SetWindowTitle(fw.window, utf8Title.c_str());
        return S_OK;
    }
    fw.instance = instance;
    const int left = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x;
    const int top = y == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y;
    // On Mesa, the driver's own work for each call (state, vertex shading and triangle set-up on a
    // software renderer) runs on a thread of its own instead of the game's, which then goes on with
    // the frame. Mesa reads this when the window's display is opened; a value already in the
    // environment (mesa_glthread=false) is kept. Other drivers ignore it.
    setenv("mesa_glthread", "true", 0);
    // The device stand-in renders with OpenGL 3.3 core into this window; a back buffer with depth
    // and stencil is what the original device is created with.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    const Uint32 flags = SDL_WINDOW_RESIZABLE;
    fw.window =
        SDL_CreateWindow(utf8Title.c_str(), left, top, kDefaultWidth, kDefaultHeight, flags | SDL_WINDOW_OPENGL);
    if (fw.window != nullptr && !s_glPinned) {
        s_glPinned = SDL_GL_LoadLibrary(nullptr) == 0;
    }
    if (fw.window == nullptr) {
        // This video driver has no OpenGL: a plain window, and the device stand-in draws nothing into it.
        fw.window = SDL_CreateWindow(utf8Title.c_str(), left, top, kDefaultWidth, kDefaultHeight, flags);
    }
    if (fw.window == nullptr) {
        std::cerr << "DXUTCreateWindow: SDL could not create the window: " << SDL_GetError() << "\n";
        return E_FAIL;
    }
    fw.windowDestroyed = false;
    SDL_StartTextInput();
    return S_OK;
}

HRESULT DXUTMainLoop(void*) {
    SFramework& fw = Framework();
    if (!fw.initialised || fw.running) {
        return E_FAIL;
    }
    if (fw.window == nullptr && FAILED(DXUTCreateWindow())) {
        return E_FAIL;
    }
    const SRunningGuard running;
    const platform::SRunSettings settings = platform::ReadRunSettings(std::cerr);
    platform::CInputScript script;
    if (!settings.inputFile.empty()) {
        script.Load(settings.inputFile, std::cerr);
    }
    const Uint32 windowId = SDL_GetWindowID(fw.window);
    const bool fixedTime = settings.fixedFrameTime > 0.0;
    const double start = Seconds();
    double frameStart = start;
    double fpsStart = 0.0;
    unsigned long fpsFrames = 0;
    unsigned long& frame = fw.frame;
    frame = 0;
    std::size_t nextScreenshot = 0;
    fw.time = 0.0;
    fw.elapsed = 0.0f;
    fw.fps = 0.0f;
    for (;;) {
        // On fixed steps the next frame's events; on the real clock those whose 60-a-second frame
        // has come by now, this frame's time (see input_script.h).
        const double upcoming = fixedTime ? 0.0 : Seconds();
        script.Inject(fixedTime ? frame + 1 : platform::CInputScript::FrameAt(upcoming - start), windowId);
        PumpSdlEvents();
        if (DrainMessages()) {
            break;
        }
        if (fw.windowDestroyed) {
            // The game did not end the loop when its window went away: the framework does.
            PostQuitMessage(0);
            continue;
        }
        ++frame;
        if (fixedTime) {
            fw.elapsed = static_cast<float>(settings.fixedFrameTime);
            fw.time = static_cast<double>(frame) * settings.fixedFrameTime;
            // The game's timers read the frame clock too, or a fixed-step run would not repeat.
            platform::SetFrameClock(fw.time);
        } else {
            fw.elapsed = static_cast<float>(upcoming - start - fw.time);
            fw.time = upcoming - start;
            frameStart = upcoming;
        }
        ++fpsFrames;
        if (fw.time - fpsStart >= 1.0) {
            fw.fps = static_cast<float>(static_cast<double>(fpsFrames) / (fw.time - fpsStart));
            fpsStart = fw.time;
            fpsFrames = 0;
        }
        platform::SFrameTimes times;
        const bool drawn = RunFrame(&times);
        while (nextScreenshot < settings.screenshotFrames.size() &&
               settings.screenshotFrames[nextScreenshot] <= frame) {
            SaveScreenshot(settings.screenshotFrames[nextScreenshot], drawn);
            ++nextScreenshot;
        }
        if (drawn && Hooks().present != nullptr) {
            const double presentStart = Seconds();
            Hooks().present();
            times.present = Seconds() - presentStart;
        }
        if (const SFrameObserverSlot& slot = FrameObserverSlot(); slot.observer != nullptr) {
            slot.observer(frame, drawn, times, slot.context);
        }
        if (settings.frameLimit != 0 && frame == settings.frameLimit) {
            RequestClose();
        }
        if (!fixedTime) {
            const double spent = Seconds() - frameStart;
            if (spent < kShortestFrame) {
                std::this_thread::sleep_for(std::chrono::duration<double>(kShortestFrame - spent));
            }
        }
    }
    return S_OK;
}

int DXUTGetExitCode() { return Framework().exitCode; }

HWND DXUTGetHWND() { return WindowHandle(); }

HINSTANCE DXUTGetHINSTANCE() {
    const HINSTANCE instance = Framework().instance;
    return instance != nullptr ? instance : ModuleHandle();
}

double DXUTGetTime() { return Framework().time; }

float DXUTGetElapsedTime() { return Framework().elapsed; }

float DXUTGetFPS() { return Framework().fps; }

unsigned long platform::GetFrameNumber() { return Framework().frame; }

IDirect3DDevice9* DXUTGetD3DDevice() { return Hooks().device != nullptr ? Hooks().device() : nullptr; }

namespace platform {

void AddSdlEventObserver(SdlEventObserver observer, void* context) {
    if (observer != nullptr) {
        Observers().push_back({observer, context});
    }
}

void RemoveSdlEventObserver(SdlEventObserver observer, void* context) {
    auto& observers = Observers();
    for (auto it = observers.begin(); it != observers.end(); ++it) {
        if (it->observer == observer && it->context == context) {
            observers.erase(it);
            return;
        }
    }
}

void SetScreenshotWriter(ScreenshotWriter writer) { Writer() = writer; }

void SetFrameObserver(FrameObserver observer, void* context) { FrameObserverSlot() = {observer, context}; }

SDL_Window* GetSdlWindow() { return Framework().window; }

void SetFrameHooks(const SFrameHooks& hooks) { Hooks() = hooks; }

void NotifyDeviceLost() {
    const SFramework& fw = Framework();
    if (fw.deviceLost.function != nullptr) {
        fw.deviceLost.function(fw.deviceLost.context);
    }
}

HRESULT NotifyDeviceReset(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer) {
    const SFramework& fw = Framework();
    if (fw.deviceReset.function == nullptr) {
        return S_OK;
    }
    return fw.deviceReset.function(device, backBuffer, fw.deviceReset.context);
}

void DXUTReset() {
    SFramework& fw = Framework();
    if (fw.window != nullptr) {
        SDL_DestroyWindow(fw.window);
    }
    if (s_sdlRunning && !s_glPinned) {
        SDL_QuitSubSystem(kSdlSystems);
        s_sdlRunning = false;
    } else if (s_sdlRunning) {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    ClearMessages();
    fw = SFramework{};
}

} // namespace platform
