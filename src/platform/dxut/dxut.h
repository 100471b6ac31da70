// The sample framework the game runs on: callback registration, init, the window, the main loop
// and its exit code. Everything here runs on the main thread. The loop pumps SDL events into
// window messages for the message callback, then calls frame move and frame render once per
// frame; it ends when it takes the quit message, whose code becomes the exit code.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

union SDL_Event;
struct SDL_Window;

using LPDXUTCALLBACKMSGPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          bool* noFurtherProcessing, void* userContext);
using LPDXUTCALLBACKFRAMERENDER = void (*)(IDirect3DDevice9* device, double time, float elapsed, void* userContext);
using LPDXUTCALLBACKFRAMEMOVE = void (*)(IDirect3DDevice9* device, double time, float elapsed, void* userContext);
using LPDXUTCALLBACKDEVICELOST = void (*)(void* userContext);
using LPDXUTCALLBACKDEVICERESET = HRESULT (*)(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer,
                                              void* userContext);

void DXUTSetCallbackMsgProc(LPDXUTCALLBACKMSGPROC callback, void* userContext = nullptr);
void DXUTSetCallbackFrameRender(LPDXUTCALLBACKFRAMERENDER callback, void* userContext = nullptr);
void DXUTSetCallbackFrameMove(LPDXUTCALLBACKFRAMEMOVE callback, void* userContext = nullptr);
void DXUTSetCallbackDeviceLost(LPDXUTCALLBACKDEVICELOST callback, void* userContext = nullptr);
void DXUTSetCallbackDeviceReset(LPDXUTCALLBACKDEVICERESET callback, void* userContext = nullptr);

HRESULT DXUTInit(bool parseCommandLine = true, bool handleDefaultHotkeys = true, bool showMsgBoxOnError = true,
                 bool handleAltEnter = true);
void DXUTSetCursorSettings(bool showCursorWhenFullScreen, bool clipCursorWhenFullScreen);
HRESULT DXUTCreateWindow(const WCHAR* title = L"Direct3D Window", HINSTANCE instance = nullptr, HICON icon = nullptr,
                         HMENU menu = nullptr, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT);
HRESULT DXUTMainLoop(void* accelerators = nullptr);
int DXUTGetExitCode();
HWND DXUTGetHWND();
HINSTANCE DXUTGetHINSTANCE();
double DXUTGetTime();
float DXUTGetElapsedTime();
float DXUTGetFPS();
IDirect3DDevice9* DXUTGetD3DDevice();

namespace platform {

// The number of the frame the main loop is running, counted from 1; 0 before the first frame.
unsigned long GetFrameNumber();

// Observers see every SDL event the main loop pumps, before it becomes a window message
// (the input stand-in reads its devices this way). Called on the main thread.
using SdlEventObserver = void (*)(const SDL_Event& event, void* context);
void AddSdlEventObserver(SdlEventObserver observer, void* context);
void RemoveSdlEventObserver(SdlEventObserver observer, void* context);

// The device stand-in installs the writer of screenshot frames; without one they are skipped.
using ScreenshotWriter = bool (*)(const char* fileName);
void SetScreenshotWriter(ScreenshotWriter writer);

// Seconds the parts of one frame took, for measuring the game from inside its own process.
struct SFrameTimes {
    double move = 0.0;    // the frame-move callback
    double render = 0.0;  // the frame-render callback
    double present = 0.0; // the device's present (the device finishing the frame)
};
// Called after every frame of the main loop with its number, whether it was drawn and its times;
// a null observer removes the one installed. Kept across DXUTReset, like the frame hooks.
using FrameObserver = void (*)(unsigned long frame, bool drawn, const SFrameTimes& times, void* context);
void SetFrameObserver(FrameObserver observer, void* context);

// The game's window (created by DXUTCreateWindow, with OpenGL enabled when the video driver
// offers it); null before then.
SDL_Window* GetSdlWindow();

// How the device stand-in takes part in each frame. Null members are skipped: with no hooks the
// frame callbacks run every frame with a null device.
struct SFrameHooks {
    IDirect3DDevice9* (*device)(); // the device the frame callbacks receive
    bool (*deviceUsable)();        // frame move and render run only while true
    void (*present)();             // after frame render
    void (*windowResized)(int width, int height);
};
void SetFrameHooks(const SFrameHooks& hooks);

// The device stand-in tells the game of a device loss and a reset through the callbacks the
// game registered; the reset's result is the callback's (S_OK without one).
void NotifyDeviceLost();
HRESULT NotifyDeviceReset(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer);

// Puts the framework back to its state before DXUTInit (tests run several loops in one process).
// Frame hooks, the screenshot writer and event observers belong to the modules that installed
// them and stay.
void DXUTReset();

} // namespace platform
