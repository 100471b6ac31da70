// The engine's 60-byte mesh vertex and its full declaration, for device tests and benchmarks that
// feed the device stand-in the way the renderer does. Plain data; no device is touched here.
#pragma once

#include "platform/d3d9/d3d9.h"

namespace tktest {

struct SEngineVertex {
    float position[3];
    float normal[3];
    float uv[2];
    float tangent[3];
    float binormal[3];
    D3DCOLOR colour;
};
static_assert(sizeof(SEngineVertex) == 60, "the engine vertex");

const D3DVERTEXELEMENT9 kEngineVertex[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 32, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TANGENT, 0},
    {0, 44, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_BINORMAL, 0},
    {0, 56, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END(),
};

} // namespace tktest
