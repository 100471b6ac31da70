// The D3DX surface the graphics engine includes: math, effects, texture files, meshes and mesh
// hierarchies on the device stand-in. Main thread only, except the math, which is pure.
#pragma once

#include "platform/d3d9/d3dx9_anim.h"
#include "platform/d3d9/d3dx9_effect.h"
#include "platform/d3d9/d3dx9_math.h"
#include "platform/d3d9/d3dx9_mesh.h"
#include "platform/d3d9/d3dx9_tex.h"
