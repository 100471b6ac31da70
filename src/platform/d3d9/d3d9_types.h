// The plain Direct3D 9 value types shared by the device stand-in and the D3DX math: vectors,
// matrices (row-major, row vectors), viewports and colours. Layouts match what callers index.
#pragma once

#include "platform/win32/win32.h"

struct D3DVECTOR {
    float x;
    float y;
    float z;
};

// Row vectors: a point transforms as p * M, translation lives in _41.._43.
struct D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};

struct D3DCOLORVALUE {
    float r;
    float g;
    float b;
    float a;
};

struct D3DVIEWPORT9 {
    DWORD X;
    DWORD Y;
    DWORD Width;
    DWORD Height;
    float MinZ;
    float MaxZ;
};

// 0xAARRGGBB
using D3DCOLOR = DWORD;

#define D3DCOLOR_ARGB(a, r, g, b)                                                                                 \
    ((D3DCOLOR)(((((DWORD)(a)) & 0xffu) << 24) | ((((DWORD)(r)) & 0xffu) << 16) | ((((DWORD)(g)) & 0xffu) << 8) | \
                (((DWORD)(b)) & 0xffu)))
#define D3DCOLOR_RGBA(r, g, b, a) D3DCOLOR_ARGB(a, r, g, b)
#define D3DCOLOR_XRGB(r, g, b) D3DCOLOR_ARGB(0xff, r, g, b)
#define D3DCOLOR_COLORVALUE(r, g, b, a) \
    D3DCOLOR_RGBA((DWORD)((r)*255.f), (DWORD)((g)*255.f), (DWORD)((b)*255.f), (DWORD)((a)*255.f))
