// Turns one pass of a parsed effect into the vertex and fragment GLSL the OpenGL device links,
// and turns the compiler's log back into "file:line: message" lines. Pure text work.
//
// Every stage sees the effect's parameters as uniforms of the same names (structs as struct
// uniforms, matrices as mat4 uploaded as Direct3D stores them, so `Matrix * vec4(p, 1.0)` is
// Direct3D's mul(p, Matrix)). The vertex stage reads tk_Position, tk_Normal, tk_TexCoord,
// tk_Tangent, tk_Binormal, tk_Color and tk_TexCoord1, writes gl_Position in Direct3D clip space
// (z from 0 to w); clip planes and the move to OpenGL's conventions are added after it. The
// fragment stage writes tk_FragColor; the alpha test of the render states is applied after it.
// The sources are templates: a back end defines TK_CLIP_PLANES (how many planes are on, 0 to 6,
// given to tk_ClipPlane in order) and TK_ALPHA_TEST (0 or 1) after the #version line to make
// the variant a draw needs; left undefined they mean no plane and no test. Each texture
// parameter X comes with `uniform bool tk_Bound_X`, true while a texture is bound to it, so
// that code can stand in for a slot the unit leaves empty.
#pragma once

#include <string>

#include "platform/d3d9/effect_parser.h"

namespace platform {
namespace d3d9 {

std::string VertexSource(const SEffectDecl& effect, const SPassDecl& pass);
std::string FragmentSource(const SEffectDecl& effect, const SPassDecl& pass);

// Compiler logs name lines as "0:12(3)" (Mesa) or "0(12)"; each such line is rewritten as
// "file:12: ...", the others are kept under the file name.
std::string LocateLog(const std::string& log, const std::string& fileName);

} // namespace d3d9
} // namespace platform
