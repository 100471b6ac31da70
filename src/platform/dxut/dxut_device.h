// The sample framework's device half: it picks a device through the game's acceptability and
// settings callbacks, creates it (OpenGL in the game's window, or the recording null device
// when no OpenGL window exists or TK_D3D9_DEVICE=null), presents each frame, saves screenshot
// frames, and drives device loss and reset (device-lost callback, Reset, device-reset callback)
// when the window changes size. The framework holds the device until DXUTDestroyDevice.
// Main thread only.
#pragma once

#include "platform/d3d9/d3d9.h"

struct DXUTDeviceSettings {
    UINT AdapterOrdinal = D3DADAPTER_DEFAULT;
    D3DDEVTYPE DeviceType = D3DDEVTYPE_HAL;
    D3DFORMAT AdapterFormat = D3DFMT_X8R8G8B8;
    DWORD BehaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    D3DPRESENT_PARAMETERS pp;
};

using LPDXUTCALLBACKISDEVICEACCEPTABLE = bool (*)(D3DCAPS9* caps, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                                                  bool windowed, void* userContext);
using LPDXUTCALLBACKMODIFYDEVICESETTINGS = bool (*)(DXUTDeviceSettings* settings, const D3DCAPS9* caps,
                                                    void* userContext);

// Tries the candidate devices in order (OpenGL, then the null device) and each back-buffer
// format; the first one the acceptability callback takes is set up by the settings callback
// and created. A width or height of 0 takes the window's. D3DERR_NOTAVAILABLE when none is
// accepted or can be made.
HRESULT DXUTCreateDevice(UINT adapter = D3DADAPTER_DEFAULT, bool windowed = true, int width = 0, int height = 0,
                         LPDXUTCALLBACKISDEVICEACCEPTABLE isDeviceAcceptable = nullptr,
                         LPDXUTCALLBACKMODIFYDEVICESETTINGS modifyDeviceSettings = nullptr,
                         void* userContext = nullptr);
// Made on first use; the framework keeps the reference.
IDirect3D9* DXUTGetD3DObject();
D3DPRESENT_PARAMETERS DXUTGetPresentParameters();
DXUTDeviceSettings DXUTGetDeviceSettings();
const D3DSURFACE_DESC* DXUTGetBackBufferSurfaceDesc();

namespace platform {

// Device loss as a display change causes it: the device-lost callback, Reset at the new size,
// then the device-reset callback. A refused Reset leaves the device lost; it is retried before
// each frame and frames are skipped until it succeeds.
HRESULT DXUTResetDevice(UINT width, UINT height);
bool DXUTIsDeviceLost();
// Releases the framework's device and Direct3D object and removes its frame hooks.
void DXUTDestroyDevice();

} // namespace platform
