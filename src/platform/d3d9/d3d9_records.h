// The plain records the device stand-in exchanges with its callers: capabilities, presentation
// parameters, surface descriptions, locked rectangles, vertex elements, lights and materials.
// Records only; no behaviour.
#pragma once

#include "platform/d3d9/d3d9_constants.h"
#include "platform/d3d9/d3d9_types.h"

struct D3DCAPS9 {
    D3DDEVTYPE DeviceType = D3DDEVTYPE_HAL;
    UINT AdapterOrdinal = 0;
    UINT PresentationIntervals = 0;
    DWORD DevCaps = 0;
    DWORD PrimitiveMiscCaps = 0;
    DWORD RasterCaps = 0;
    DWORD ShadeCaps = 0;
    DWORD TextureCaps = 0;
    DWORD MaxTextureWidth = 0;
    DWORD MaxTextureHeight = 0;
    DWORD TextureOpCaps = 0;
    DWORD MaxActiveLights = 0;
    DWORD MaxUserClipPlanes = 0;
    DWORD MaxPrimitiveCount = 0;
    DWORD MaxVertexIndex = 0;
    DWORD VertexShaderVersion = 0;
    DWORD PixelShaderVersion = 0;
};

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth = 0;
    UINT BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
    UINT BackBufferCount = 0;
    D3DMULTISAMPLE_TYPE MultiSampleType = D3DMULTISAMPLE_NONE;
    DWORD MultiSampleQuality = 0;
    D3DSWAPEFFECT SwapEffect = D3DSWAPEFFECT_DISCARD;
    HWND hDeviceWindow = nullptr;
    BOOL Windowed = TRUE;
    BOOL EnableAutoDepthStencil = FALSE;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    DWORD Flags = 0;
    UINT FullScreen_RefreshRateInHz = 0;
    UINT PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    D3DRESOURCETYPE Type = D3DRTYPE_SURFACE;
    DWORD Usage = 0;
    D3DPOOL Pool = D3DPOOL_DEFAULT;
    D3DMULTISAMPLE_TYPE MultiSampleType = D3DMULTISAMPLE_NONE;
    DWORD MultiSampleQuality = 0;
    UINT Width = 0;
    UINT Height = 0;
};

struct D3DLOCKED_RECT {
    INT Pitch = 0;
    void* pBits = nullptr;
};

struct D3DVERTEXELEMENT9 {
    WORD Stream;
    WORD Offset;
    BYTE Type;
    BYTE Method;
    BYTE Usage;
    BYTE UsageIndex;
};
#define D3DDECL_END() \
    { 0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0 }

using D3DLIGHTTYPE = DWORD;
constexpr D3DLIGHTTYPE D3DLIGHT_POINT = 1;
constexpr D3DLIGHTTYPE D3DLIGHT_SPOT = 2;
constexpr D3DLIGHTTYPE D3DLIGHT_DIRECTIONAL = 3;

struct D3DLIGHT9 {
    D3DLIGHTTYPE Type;
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Ambient;
    D3DVECTOR Position;
    D3DVECTOR Direction;
    float Range;
    float Falloff;
    float Attenuation0;
    float Attenuation1;
    float Attenuation2;
    float Theta;
    float Phi;
};

struct D3DMATERIAL9 {
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Ambient;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Emissive;
    float Power;
};

struct D3DVERTEXBUFFER_DESC {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    D3DRESOURCETYPE Type = D3DRTYPE_VERTEXBUFFER;
    DWORD Usage = 0;
    D3DPOOL Pool = D3DPOOL_DEFAULT;
    UINT Size = 0;
    DWORD FVF = 0;
};

struct D3DINDEXBUFFER_DESC {
    D3DFORMAT Format = D3DFMT_INDEX16;
    D3DRESOURCETYPE Type = D3DRTYPE_INDEXBUFFER;
    DWORD Usage = 0;
    D3DPOOL Pool = D3DPOOL_DEFAULT;
    UINT Size = 0;
};
