// The D3DX surface the graphics engine includes: math, effects, texture files, meshes, mesh
// hierarchies, sprites, fonts and lines on the device stand-in. Main thread only, except the
// math, which is pure.
#pragma once

#include "platform/d3d9/d3dx9_anim.h"
#include "platform/d3d9/d3dx9_effect.h"
#include "platform/d3d9/d3dx9_font.h"
#include "platform/d3d9/d3dx9_line.h"
#include "platform/d3d9/d3dx9_math.h"
#include "platform/d3d9/d3dx9_mesh.h"
#include "platform/d3d9/d3dx9_sprite.h"
#include "platform/d3d9/d3dx9_tex.h"
