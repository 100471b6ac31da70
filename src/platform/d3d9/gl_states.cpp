#include "platform/d3d9/gl_states.h"

#include <cstring>

#include "platform/d3d9/gl_program.h"

namespace platform {
namespace d3d9 {
namespace {

GLenum BlendFactor(DWORD value) {
    switch (value) {
        case D3DBLEND_ZERO:
            return GL_ZERO;
        case D3DBLEND_SRCCOLOR:
            return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR:
            return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA:
            return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA:
            return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA:
            return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR:
            return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR:
            return GL_ONE_MINUS_DST_COLOR;
        default:
            return GL_ONE;
    }
}

GLenum BlendEquation(DWORD value) {
    switch (value) {
        case D3DBLENDOP_SUBTRACT:
            return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT:
            return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN:
            return GL_MIN;
        case D3DBLENDOP_MAX:
            return GL_MAX;
        default:
            return GL_FUNC_ADD;
    }
}

GLenum CompareFunction(DWORD value) {
    switch (value) {
        case D3DCMP_NEVER:
            return GL_NEVER;
        case D3DCMP_LESS:
            return GL_LESS;
        case D3DCMP_EQUAL:
            return GL_EQUAL;
        case D3DCMP_GREATER:
            return GL_GREATER;
        case D3DCMP_NOTEQUAL:
            return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL:
            return GL_GEQUAL;
        case D3DCMP_ALWAYS:
            return GL_ALWAYS;
        default:
            return GL_LEQUAL;
    }
}

} // namespace

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
        case D3DPT_POINTLIST:
            return GL_POINTS;
        case D3DPT_LINELIST:
            return GL_LINES;
        case D3DPT_LINESTRIP:
            return GL_LINE_STRIP;
        case D3DPT_TRIANGLESTRIP:
            return GL_TRIANGLE_STRIP;
        case D3DPT_TRIANGLEFAN:
            return GL_TRIANGLE_FAN;
        default:
            return GL_TRIANGLES;
    }
}

void CGlStates::Apply(const SDeviceState& state, int planes) {
    const DWORD* rs = state.renderStates;
    const D3DVIEWPORT9& viewport = state.viewport;
    const bool depth = state.depthStencil != nullptr && rs[D3DRS_ZENABLE] != FALSE;
    std::array<DWORD, 20> key = {viewport.X,
                                 viewport.Y,
                                 viewport.Width,
                                 viewport.Height,
                                 0,
                                 0,
                                 depth ? 1u : 0u,
                                 rs[D3DRS_ZFUNC],
                                 rs[D3DRS_ZWRITEENABLE] != FALSE,
                                 rs[D3DRS_CULLMODE],
                                 rs[D3DRS_FILLMODE],
                                 rs[D3DRS_ALPHABLENDENABLE] != FALSE,
                                 rs[D3DRS_SRCBLEND],
                                 rs[D3DRS_DESTBLEND],
                                 rs[D3DRS_BLENDOP],
                                 rs[D3DRS_COLORWRITEENABLE],
                                 static_cast<DWORD>(planes),
                                 0,
                                 0,
                                 0};
    std::memcpy(&key[4], &viewport.MinZ, sizeof(float));
    std::memcpy(&key[5], &viewport.MaxZ, sizeof(float));
    if (m_known && key == m_states) {
        return;
    }
    m_states = key;
    m_known = true;
    glViewport(static_cast<GLint>(viewport.X), static_cast<GLint>(viewport.Y), static_cast<GLsizei>(viewport.Width),
               static_cast<GLsizei>(viewport.Height));
    glDepthRange(viewport.MinZ, viewport.MaxZ);
    if (depth) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(rs[D3DRS_ZWRITEENABLE] != FALSE ? GL_TRUE : GL_FALSE);
    if (rs[D3DRS_CULLMODE] == D3DCULL_NONE) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_FRONT : GL_BACK);
    }
    const DWORD fill = rs[D3DRS_FILLMODE];
    glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_WIREFRAME ? GL_LINE : fill == D3DFILL_POINT ? GL_POINT : GL_FILL);
    if (rs[D3DRS_ALPHABLENDENABLE] != FALSE) {
        glEnable(GL_BLEND);
        glBlendFunc(BlendFactor(rs[D3DRS_SRCBLEND]), BlendFactor(rs[D3DRS_DESTBLEND]));
        glBlendEquation(BlendEquation(rs[D3DRS_BLENDOP]));
    } else {
        glDisable(GL_BLEND);
    }
    const DWORD write = rs[D3DRS_COLORWRITEENABLE];
    glColorMask((write & 1) != 0, (write & 2) != 0, (write & 4) != 0, (write & 8) != 0);
    // The enabled planes reach the program packed from distance 0.
    for (int plane = 0; plane < kMaxClipPlanes; ++plane) {
        if (plane < planes) {
            glEnable(GL_CLIP_DISTANCE0 + plane);
        } else {
            glDisable(GL_CLIP_DISTANCE0 + plane);
        }
    }
}

} // namespace d3d9
} // namespace platform
