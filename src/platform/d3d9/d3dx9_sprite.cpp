#include "platform/d3d9/d3dx9_sprite.h"

#include <cstdio>
#include <cstring>

namespace platform {
namespace d3d9 {
namespace {

const D3DVERTEXELEMENT9 kScreenDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

// Direct3D screen coordinate q is OpenGL window coordinate q + 0.5, since Direct3D 9 puts pixel
// centres on whole numbers; the back end's targets keep row 0 on top, so y is not flipped.
const char kVertexSource[] =
    "#version 330 core\n"
    "uniform vec4 tk_ScreenViewport;\n"
    "in vec3 tk_Position;\nin vec4 tk_Color;\nin vec2 tk_TexCoord;\n"
    "out vec4 v_colour;\nout vec2 v_uv;\n"
    "void main() {\n"
    "    vec2 p = (tk_Position.xy + 0.5 - tk_ScreenViewport.xy) / tk_ScreenViewport.zw * 2.0 - 1.0;\n"
    "    gl_Position = vec4(p, 0.0, 1.0);\n"
    "    v_colour = tk_Color;\n"
    "    v_uv = tk_TexCoord;\n"
    "}\n";

const char kFragmentSource[] =
    "#version 330 core\n"
    "uniform sampler2D tk_ScreenTexture;\nuniform int tk_ScreenTextured;\n"
    "in vec4 v_colour;\nin vec2 v_uv;\nout vec4 tk_FragColor;\n"
    "void main() {\n"
    "    vec4 c = v_colour;\n"
    "    if (tk_ScreenTextured != 0) c *= texture(tk_ScreenTexture, v_uv);\n"
    "    tk_FragColor = c;\n"
    "}\n";

// The states a screen draw sets, restored afterwards.
const D3DRENDERSTATETYPE kSavedStates[] = {
    D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_DESTBLEND,       D3DRS_BLENDOP,  D3DRS_ZENABLE,
    D3DRS_ZWRITEENABLE,     D3DRS_CULLMODE, D3DRS_CLIPPLANEENABLE, D3DRS_FILLMODE, D3DRS_COLORWRITEENABLE};

} // namespace

CScreenDrawer::CScreenDrawer(IDirect3DDevice9* device) : m_device(device) {
    m_device->AddRef();
    m_device->CreateVertexDeclaration(kScreenDeclaration, &m_declaration);
    m_names[0] = "tk_ScreenViewport";
    m_names[1] = "tk_ScreenTexture";
    m_names[2] = "tk_ScreenTextured";
    SUniformBinding viewport;
    viewport.name = &m_names[0];
    viewport.type = EUniformType::Float;
    viewport.components = 4;
    viewport.floats = m_viewport;
    SUniformBinding texture;
    texture.name = &m_names[1];
    texture.type = EUniformType::Sampler2D;
    SUniformBinding textured;
    textured.name = &m_names[2];
    textured.type = EUniformType::Int;
    textured.ints = &m_textured;
    m_uniforms = {viewport, texture, textured};
}

CScreenDrawer::~CScreenDrawer() {
    if (m_program != 0) {
        m_device->Backend().DestroyProgram(m_program);
    }
    if (m_buffer != nullptr) {
        m_buffer->Release();
    }
    if (m_declaration != nullptr) {
        m_declaration->Release();
    }
    m_device->Release();
}

bool CScreenDrawer::Prepare(std::size_t bytes) {
    if (m_program == 0 && !m_programFailed) {
        std::string log;
        m_program = m_device->Backend().CreateProgram(kVertexSource, kFragmentSource, &log);
        if (m_program == 0) {
            m_programFailed = true;
            std::fprintf(stderr, "D3DX screen drawing: program refused: %s\n", log.c_str());
        }
    }
    if (m_program == 0 || m_declaration == nullptr) {
        return false;
    }
    if (bytes > m_bufferBytes) {
        if (m_buffer != nullptr) {
            m_buffer->Release();
            m_buffer = nullptr;
        }
        const UINT size = static_cast<UINT>(bytes * 2);
        if (FAILED(m_device->CreateVertexBuffer(size, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED,
                                                &m_buffer, nullptr))) {
            m_bufferBytes = 0;
            return false;
        }
        m_bufferBytes = size;
    }
    return true;
}

void CScreenDrawer::Draw(D3DPRIMITIVETYPE type, UINT primitives, const std::vector<SScreenVertex>& vertices,
                         IDirect3DBaseTexture9* texture, bool alphaBlend) {
    const std::size_t bytes = vertices.size() * sizeof(SScreenVertex);
    if (primitives == 0 || vertices.empty() || !Prepare(bytes)) {
        return;
    }
    void* data = nullptr;
    if (FAILED(m_buffer->Lock(0, static_cast<UINT>(bytes), &data, D3DLOCK_DISCARD))) {
        return;
    }
    std::memcpy(data, vertices.data(), bytes);
    m_buffer->Unlock();

    const SDeviceState& state = m_device->State();
    DWORD saved[sizeof(kSavedStates) / sizeof(kSavedStates[0])];
    for (std::size_t i = 0; i < sizeof(kSavedStates) / sizeof(kSavedStates[0]); ++i) {
        m_device->GetRenderState(kSavedStates[i], &saved[i]);
    }
    IDirect3DVertexDeclaration9* savedDeclaration = state.vertexDeclaration;
    IDirect3DVertexBuffer9* savedStream = state.stream0;
    const UINT savedOffset = state.stream0Offset;
    const UINT savedStride = state.stream0Stride;
    const SProgramBinding savedProgram = state.program;

    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, alphaBlend ? TRUE : FALSE);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    m_device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    m_device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    m_device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    const D3DVIEWPORT9& viewport = state.viewport;
    m_viewport[0] = static_cast<float>(viewport.X);
    m_viewport[1] = static_cast<float>(viewport.Y);
    m_viewport[2] = static_cast<float>(viewport.Width > 0 ? viewport.Width : 1);
    m_viewport[3] = static_cast<float>(viewport.Height > 0 ? viewport.Height : 1);
    m_uniforms[1].texture = texture;
    m_textured = texture != nullptr ? 1 : 0;
    m_device->SetVertexDeclaration(m_declaration);
    m_device->SetStreamSource(0, m_buffer, 0, sizeof(SScreenVertex));
    m_device->BindProgram({m_program, &m_uniforms});
    m_device->DrawPrimitive(type, 0, primitives);

    m_device->BindProgram(savedProgram);
    m_device->SetStreamSource(0, savedStream, savedOffset, savedStride);
    m_device->SetVertexDeclaration(savedDeclaration);
    for (std::size_t i = 0; i < sizeof(kSavedStates) / sizeof(kSavedStates[0]); ++i) {
        m_device->SetRenderState(kSavedStates[i], saved[i]);
    }
}

} // namespace d3d9
} // namespace platform

ID3DXSprite::ID3DXSprite(IDirect3DDevice9* device) : m_drawer(device) { D3DXMatrixIdentity(&m_transform); }

HRESULT ID3DXSprite::Begin(DWORD flags) {
    if (m_begun) {
        return D3DERR_INVALIDCALL;
    }
    m_flags = flags;
    m_begun = true;
    return D3D_OK;
}

HRESULT ID3DXSprite::Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* centre,
                          const D3DXVECTOR3* position, D3DCOLOR colour) {
    if (!m_begun || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const float textureWidth = static_cast<float>(texture->GetWidth());
    const float textureHeight = static_cast<float>(texture->GetHeight());
    RECT area = {0, 0, static_cast<LONG>(texture->GetWidth()), static_cast<LONG>(texture->GetHeight())};
    if (source != nullptr) {
        area = *source;
    }
    if (area.right <= area.left || area.bottom <= area.top || textureWidth <= 0.0f || textureHeight <= 0.0f) {
        if (!m_warnedEmpty) {
            std::fprintf(stderr, "ID3DXSprite::Draw: source rectangle of %d x %d pixels; nothing drawn\n",
                         static_cast<int>(area.right - area.left), static_cast<int>(area.bottom - area.top));
            m_warnedEmpty = true;
        }
        return D3DERR_INVALIDCALL;
    }
    const D3DXVECTOR3 origin =
        (position != nullptr ? *position : D3DXVECTOR3()) - (centre != nullptr ? *centre : D3DXVECTOR3());
    const float width = static_cast<float>(area.right - area.left);
    const float height = static_cast<float>(area.bottom - area.top);
    const float corners[4][2] = {{0.0f, 0.0f}, {width, 0.0f}, {width, height}, {0.0f, height}};
    SQuad quad;
    quad.texture = texture;
    for (int i = 0; i < 4; ++i) {
        D3DXVECTOR3 local(origin.x + corners[i][0], origin.y + corners[i][1], origin.z);
        D3DXVECTOR3 placed;
        D3DXVec3TransformCoord(&placed, &local, &m_transform);
        quad.corners[i] = {placed.x,
                           placed.y,
                           placed.z,
                           colour,
                           (static_cast<float>(area.left) + corners[i][0]) / textureWidth,
                           (static_cast<float>(area.top) + corners[i][1]) / textureHeight};
    }
    m_queue.push_back(quad);
    return D3D_OK;
}

HRESULT ID3DXSprite::Flush() {
    if (!m_begun) {
        return D3DERR_INVALIDCALL;
    }
    std::size_t first = 0;
    while (first < m_queue.size()) {
        std::size_t end = first;
        std::vector<platform::d3d9::SScreenVertex> vertices;
        while (end < m_queue.size() && m_queue[end].texture == m_queue[first].texture) {
            const auto& c = m_queue[end].corners;
            vertices.insert(vertices.end(), {c[0], c[1], c[2], c[0], c[2], c[3]});
            ++end;
        }
        m_drawer.Draw(D3DPT_TRIANGLELIST, static_cast<UINT>((end - first) * 2), vertices, m_queue[first].texture,
                      (m_flags & D3DXSPRITE_ALPHABLEND) != 0);
        first = end;
    }
    m_queue.clear();
    return D3D_OK;
}

HRESULT ID3DXSprite::End() {
    if (!m_begun) {
        return D3DERR_INVALIDCALL;
    }
    Flush();
    m_begun = false;
    return D3D_OK;
}

HRESULT ID3DXSprite::SetTransform(const D3DXMATRIX* transform) {
    if (transform == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_transform = *transform;
    return D3D_OK;
}

HRESULT ID3DXSprite::GetTransform(D3DXMATRIX* transform) const {
    if (transform == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *transform = m_transform;
    return D3D_OK;
}

// The sprite's buffers live in memory the device keeps across a reset; a pending batch is
// dropped with the frame it belonged to.
HRESULT ID3DXSprite::OnLostDevice() {
    m_queue.clear();
    m_begun = false;
    return D3D_OK;
}

HRESULT ID3DXSprite::OnResetDevice() { return D3D_OK; }

HRESULT ID3DXSprite::GetDevice(IDirect3DDevice9** device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_drawer.Device()->AddRef();
    *device = m_drawer.Device();
    return D3D_OK;
}

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite) {
    if (device == nullptr || sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *sprite = new ID3DXSprite(device);
    return D3D_OK;
}
