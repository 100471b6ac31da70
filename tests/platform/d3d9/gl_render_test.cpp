#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/d3d9/d3dx9.h"
#include "platform/d3d9/test_support.h"
#include "support/engine_vertex.h"

namespace {

using tk_test::CDeviceHolder;

using SVertex = tktest::SEngineVertex;

const D3DVERTEXELEMENT9 kElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 56, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END(),
};

constexpr UINT kSize = 64;

struct SPixel {
    int r;
    int g;
    int b;
};

SPixel At(const std::vector<std::uint8_t>& bgra, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * kSize + static_cast<std::size_t>(x)) * 4;
    return {bgra[i + 2], bgra[i + 1], bgra[i + 0]};
}

void ExpectNear(const SPixel& pixel, const SPixel& expected, const char* where) {
    EXPECT_NEAR(pixel.r, expected.r, 6) << where;
    EXPECT_NEAR(pixel.g, expected.g, 6) << where;
    EXPECT_NEAR(pixel.b, expected.b, 6) << where;
}

class GlRender : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        if (!m_device.MakeGl(kSize, kSize, &reason)) {
            GTEST_SKIP() << "no offscreen OpenGL: " << reason;
        }
    }

    // Draws a screen-wide quad at depth z through the "Blend" technique of quad.fx, the left
    // half only when the clip plane is on; with the given texture, or one red on top and green
    // below.
    void DrawQuad(float z, bool clip, const char* technique = "Blend", int onlyPass = -1,
                  IDirect3DTexture9* given = nullptr) {
        ID3DXEffect* effect = nullptr;
        ASSERT_EQ(D3DXCreateEffectFromFileA(m_device.Get(), tk_test::DataPath("quad.fx").c_str(), nullptr, nullptr, 0,
                                            nullptr, &effect, nullptr),
                  D3D_OK);
        IDirect3DTexture9* texture = given;
        if (texture != nullptr) {
            texture->AddRef();
        } else {
            ASSERT_EQ(m_device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
            D3DLOCKED_RECT locked;
            ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
            for (int y = 0; y < 8; ++y) {
                auto* row = static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch;
                for (int x = 0; x < 8; ++x) {
                    const bool top = y < 4;
                    row[x * 4 + 0] = 0;
                    row[x * 4 + 1] = top ? 0 : 255;
                    row[x * 4 + 2] = top ? 255 : 0;
                    row[x * 4 + 3] = 128;
                }
            }
            texture->UnlockRect(0);
        }
        const SVertex corners[4] = {
            {{-1, 1, z}, {}, {0, 0}, {}, {}, 0xFFFFFFFF},
            {{1, 1, z}, {}, {1, 0}, {}, {}, 0xFFFFFFFF},
            {{1, -1, z}, {}, {1, 1}, {}, {}, 0xFFFFFFFF},
            {{-1, -1, z}, {}, {0, 1}, {}, {}, 0xFFFFFFFF},
        };
        const WORD order[6] = {0, 1, 2, 0, 2, 3}; // clockwise on screen: front faces
        IDirect3DVertexBuffer9* vertices = nullptr;
        IDirect3DIndexBuffer9* indices = nullptr;
        IDirect3DVertexDeclaration9* declaration = nullptr;
        m_device->CreateVertexBuffer(sizeof(corners), D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &vertices, nullptr);
        m_device->CreateIndexBuffer(sizeof(order), D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices,
                                    nullptr);
        m_device->CreateVertexDeclaration(kElements, &declaration);
        void* data = nullptr;
        vertices->Lock(0, 0, &data, D3DLOCK_DISCARD);
        std::memcpy(data, corners, sizeof(corners));
        vertices->Unlock();
        indices->Lock(0, 0, &data, D3DLOCK_DISCARD);
        std::memcpy(data, order, sizeof(order));
        indices->Unlock();

        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        effect->SetMatrix(effect->GetParameterBySemantic(nullptr, "WORLDVIEWPROJECTION"), &identity);
        effect->SetTexture(effect->GetParameterByName(nullptr, "g_Texture1"), texture);
        effect->SetTechnique(technique);
        if (m_clipMask == 1) {
            const float keepLeft[4] = {-1.0f, 0.0f, 0.0f, 0.0f};
            m_device->SetClipPlane(0, keepLeft);
        }
        m_device->SetRenderState(D3DRS_CLIPPLANEENABLE, clip ? m_clipMask : 0);
        m_device->SetVertexDeclaration(declaration);
        m_device->SetStreamSource(0, vertices, 0, sizeof(SVertex));
        m_device->SetIndices(indices);
        m_device->BeginScene();
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        UINT passes = 0;
        effect->Begin(&passes, 0);
        for (UINT pass = 0; pass < passes; ++pass) {
            if (onlyPass >= 0 && pass != static_cast<UINT>(onlyPass)) {
                continue;
            }
            effect->BeginPass(pass);
            effect->CommitChanges();
            EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
            effect->EndPass();
        }
        effect->End();
        m_device->EndScene();
        m_device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
        effect->Release();
        texture->Release();
        vertices->Release();
        indices->Release();
        declaration->Release();
    }

    std::vector<std::uint8_t> BackBuffer() {
        std::vector<std::uint8_t> bgra = m_device.ReadBackBuffer();
        EXPECT_FALSE(bgra.empty());
        return bgra;
    }

    CDeviceHolder m_device;
    DWORD m_clipMask = 1;
};

TEST_F(GlRender, TexturedQuadIsBlendedUprightAndCutByTheClipPlane) {
    DrawQuad(0.5f, true);
    const std::vector<std::uint8_t> pixels = BackBuffer();
    ASSERT_EQ(pixels.size(), kSize * kSize * 4);
    // Texture alpha 128 over the blue clear: half texture, half blue.
    ExpectNear(At(pixels, 16, 16), {128, 0, 127}, "top left: red texture rows on top");
    ExpectNear(At(pixels, 16, 48), {0, 128, 127}, "bottom left: green texture rows below");
    ExpectNear(At(pixels, 48, 16), {0, 0, 255}, "top right: clipped away");
    ExpectNear(At(pixels, 48, 48), {0, 0, 255}, "bottom right: clipped away");
}

// The reflection pass uses plane 1 alone: the program gets the enabled planes and nothing of
// plane 0, which here would keep nothing.
TEST_F(GlRender, OnlyEnabledClipPlanesCutAndTheNextDrawDropsThem) {
    const float keepNothing[4] = {0.0f, 0.0f, 0.0f, -1.0f};
    m_device->SetClipPlane(1, keepNothing);
    DrawQuad(0.5f, false);
    ExpectNear(At(BackBuffer(), 48, 16), {128, 0, 127}, "no plane enabled");
    const float keepLeft[4] = {-1.0f, 0.0f, 0.0f, 0.0f};
    m_device->SetClipPlane(1, keepLeft);
    m_device->SetClipPlane(0, keepNothing);
    m_clipMask = 2;
    DrawQuad(0.5f, true);
    const std::vector<std::uint8_t> pixels = BackBuffer();
    ExpectNear(At(pixels, 16, 16), {128, 0, 127}, "plane 1 keeps the left");
    ExpectNear(At(pixels, 48, 16), {0, 0, 255}, "and cuts the right");
}

TEST_F(GlRender, DepthBelowZeroIsClippedAsDirect3DDoes) {
    DrawQuad(-0.1f, false);
    ExpectNear(At(BackBuffer(), 16, 16), {0, 0, 255}, "z < 0 lies before the near plane");
    DrawQuad(0.99f, false);
    ExpectNear(At(BackBuffer(), 48, 16), {128, 0, 127}, "z just below 1 is drawn");
}

TEST_F(GlRender, SavedPngReadsBackWithTheSamePixelsUpright) {
    DrawQuad(0.5f, true);
    const std::vector<std::uint8_t> pixels = BackBuffer();
    const std::string file = ::testing::TempDir() + "gl_render_backbuffer.png";
    ASSERT_TRUE(platform::d3d9::SaveBackBufferPng(m_device.Get(), file.c_str()));
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* png = stbi_load(file.c_str(), &width, &height, &channels, 4);
    ASSERT_NE(png, nullptr);
    ASSERT_EQ(width, static_cast<int>(kSize));
    ASSERT_EQ(height, static_cast<int>(kSize));
    int mismatches = 0;
    for (std::size_t i = 0; i < kSize * kSize; ++i) {
        mismatches += png[i * 4 + 0] != pixels[i * 4 + 2] || png[i * 4 + 1] != pixels[i * 4 + 1] ||
                      png[i * 4 + 2] != pixels[i * 4 + 0] || png[i * 4 + 3] != 255;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(png[(16 * kSize + 16) * 4 + 0], 100) << "the red rows are at the top of the file";
    stbi_image_free(png);
    std::remove(file.c_str());
}

TEST_F(GlRender, GlslCompileErrorIsLoggedWithFileAndLine) {
    ::testing::internal::CaptureStderr();
    ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(1);
    ID3DXBuffer* errors = nullptr;
    const HRESULT result = D3DXCreateEffectFromFileA(m_device.Get(), tk_test::DataPath("bad_glsl.fx").c_str(), nullptr,
                                                     nullptr, 0, nullptr, &effect, &errors);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(FAILED(result));
    EXPECT_EQ(effect, nullptr);
    EXPECT_NE(log.find("bad_glsl.fx:17:"), std::string::npos) << log;
    ASSERT_NE(errors, nullptr);
    EXPECT_NE(std::string(static_cast<const char*>(errors->GetBufferPointer())).find("bad_glsl.fx:17:"),
              std::string::npos);
    errors->Release();
}

TEST_F(GlRender, CapsPassTheEngineRequirements) {
    D3DCAPS9 caps;
    m_device->GetDeviceCaps(&caps);
    EXPECT_GE(caps.MaxTextureWidth, 1024u);
    EXPECT_GE(caps.PixelShaderVersion, D3DPS_VERSION(2, 0));
    EXPECT_FALSE(m_device->IsNull());
}

// A configured screen size once reached the driver unchecked and smashed its stack.
TEST_F(GlRender, OversizedBackBufferIsRefusedAndTheDeviceRecovers) {
    for (const auto& [width, height] : {std::pair<UINT, UINT>{99999999u, 768u}, {768u, 99999999u}}) {
        D3DPRESENT_PARAMETERS huge = tk_test::Parameters(width, height);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(m_device->Reset(&huge), D3DERR_DEVICELOST);
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("99999999"), std::string::npos) << log;
        EXPECT_NE(log.find("exceeds the largest texture"), std::string::npos) << log;
        D3DPRESENT_PARAMETERS usual = tk_test::Parameters(kSize, kSize);
        ASSERT_EQ(m_device->Reset(&usual), D3D_OK);
        m_device->BeginScene();
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
        m_device->EndScene();
        ExpectNear(At(BackBuffer(), 5, 5), {0, 255, 0}, "after the refused reset");
    }
}

// The renderer's pattern: one pair of buffers, relocked with discard for every draw.
TEST_F(GlRender, EveryDiscardedLockDrawsItsOwnGeometry) {
    const char* root = std::getenv("TK_SOURCE_DIR");
    const std::string path = std::string(root != nullptr ? root : "../../../..") + "/data/files/fx/DeviceBench.fx";
    ID3DXEffect* effect = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileA(m_device.Get(), path.c_str(), nullptr, nullptr, 0, nullptr, &effect, nullptr),
              D3D_OK);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    effect->SetMatrix("WorldViewProjection", &identity);
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    m_device->CreateVertexBuffer(1000 * sizeof(SVertex), D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &vertices, nullptr);
    m_device->CreateIndexBuffer(1000 * 2, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices, nullptr);
    m_device->CreateVertexDeclaration(kElements, &declaration);
    m_device->SetVertexDeclaration(declaration);
    m_device->SetStreamSource(0, vertices, 0, sizeof(SVertex));
    m_device->SetIndices(indices);
    m_device->BeginScene();
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    const struct {
        float left;
        D3DCOLOR colour;
    } quads[] = {{-1.0f, 0xFFFF0000}, {0.0f, 0xFF00FF00}};
    for (const auto& quad : quads) {
        const SVertex corners[4] = {
            {{quad.left, 1, 0.5f}, {}, {}, {}, {}, quad.colour},
            {{quad.left + 1, 1, 0.5f}, {}, {}, {}, {}, quad.colour},
            {{quad.left + 1, -1, 0.5f}, {}, {}, {}, {}, quad.colour},
            {{quad.left, -1, 0.5f}, {}, {}, {}, {}, quad.colour},
        };
        const WORD order[6] = {0, 1, 2, 0, 2, 3};
        void* data = nullptr;
        vertices->Lock(0, 0, &data, D3DLOCK_DISCARD);
        std::memcpy(data, corners, sizeof(corners));
        vertices->Unlock();
        indices->Lock(0, 0, &data, D3DLOCK_DISCARD);
        std::memcpy(data, order, sizeof(order));
        indices->Unlock();
        effect->CommitChanges();
        EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    }
    effect->EndPass();
    effect->End();
    m_device->EndScene();
    const std::vector<std::uint8_t> pixels = BackBuffer();
    ExpectNear(At(pixels, 16, 32), {255, 0, 0}, "first draw");
    ExpectNear(At(pixels, 48, 32), {0, 255, 0}, "second draw from the relocked buffers");
    effect->Release();
    vertices->Release();
    indices->Release();
    declaration->Release();
}

// The renderer's buffers, streamed through the vertex-colour effect: each quad is four vertices
// at a slot of the vertex buffer and the six indices at the start of the index buffer.
class GlStream : public GlRender {
protected:
    static constexpr UINT kVertices = 16384;

    void SetUp() override {
        GlRender::SetUp();
        if (IsSkipped()) {
            return;
        }
        const char* root = std::getenv("TK_SOURCE_DIR");
        const std::string path = std::string(root != nullptr ? root : "../../../..") + "/data/files/fx/DeviceBench.fx";
        ASSERT_EQ(
            D3DXCreateEffectFromFileA(m_device.Get(), path.c_str(), nullptr, nullptr, 0, nullptr, &m_effect, nullptr),
            D3D_OK);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        m_effect->SetMatrix("WorldViewProjection", &identity);
        m_device->CreateVertexBuffer(kVertices * sizeof(SVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                     D3DPOOL_DEFAULT, &m_vertices, nullptr);
        m_device->CreateIndexBuffer(98304 * 2, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                    &m_indices, nullptr);
        m_device->CreateVertexDeclaration(kElements, &m_declaration);
        m_device->SetVertexDeclaration(m_declaration);
        m_device->SetStreamSource(0, m_vertices, 0, sizeof(SVertex));
        m_device->SetIndices(m_indices);
        m_device->BeginScene();
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        UINT passes = 0;
        m_effect->Begin(&passes, 0);
        m_effect->BeginPass(0);
    }

    void TearDown() override {
        for (platform::d3d9::CRefCounted* object :
             std::initializer_list<platform::d3d9::CRefCounted*>{m_effect, m_vertices, m_indices, m_declaration}) {
            if (object != nullptr) {
                object->Release();
            }
        }
    }

    // Writes a quad over x from left to right (clip space), y from -1 to 1, at vertex slot `slot`.
    void WriteQuad(UINT slot, float left, float right, D3DCOLOR colour, DWORD flags) {
        const SVertex corners[4] = {
            {{left, 1, 0.5f}, {}, {}, {}, {}, colour},
            {{right, 1, 0.5f}, {}, {}, {}, {}, colour},
            {{right, -1, 0.5f}, {}, {}, {}, {}, colour},
            {{left, -1, 0.5f}, {}, {}, {}, {}, colour},
        };
        void* data = nullptr;
        ASSERT_EQ(m_vertices->Lock(slot * sizeof(SVertex), sizeof(corners), &data, flags), D3D_OK);
        std::memcpy(data, corners, sizeof(corners));
        m_vertices->Unlock();
    }

    void WriteIndices() {
        const WORD order[6] = {0, 1, 2, 0, 2, 3};
        void* data = nullptr;
        m_indices->Lock(0, 0, &data, D3DLOCK_DISCARD);
        std::memcpy(data, order, sizeof(order));
        m_indices->Unlock();
    }

    void Draw(UINT slot) {
        m_effect->CommitChanges();
        EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, static_cast<INT>(slot), 0, 4, 0, 2), D3D_OK);
    }

    std::vector<std::uint8_t> Finish() {
        m_effect->EndPass();
        m_effect->End();
        m_device->EndScene();
        return BackBuffer();
    }

    ID3DXEffect* m_effect = nullptr;
    IDirect3DVertexBuffer9* m_vertices = nullptr;
    IDirect3DIndexBuffer9* m_indices = nullptr;
    IDirect3DVertexDeclaration9* m_declaration = nullptr;
};

TEST_F(GlStream, NoOverwriteAddsToWhatEarlierDrawsReadAndPlainLocksKeepTheRest) {
    WriteQuad(0, -1.0f, -0.5f, 0xFFFF0000, D3DLOCK_DISCARD);
    WriteIndices();
    Draw(0);
    WriteQuad(4, -0.5f, 0.0f, 0xFF00FF00, D3DLOCK_NOOVERWRITE);
    Draw(4);
    // Without a flag the buffer keeps every byte not written: slot 0 still holds the red quad.
    WriteQuad(8, 0.0f, 0.5f, 0xFF0000FF, 0);
    Draw(8);
    const SVertex moved[4] = {
        {{0.5f, 1, 0.5f}, {}, {}, {}, {}, 0xFFFF0000},
        {{1.0f, 1, 0.5f}, {}, {}, {}, {}, 0xFFFF0000},
        {{1.0f, -1, 0.5f}, {}, {}, {}, {}, 0xFFFF0000},
        {{0.5f, -1, 0.5f}, {}, {}, {}, {}, 0xFFFF0000},
    };
    void* data = nullptr;
    m_vertices->Lock(12 * sizeof(SVertex), sizeof(moved), &data, 0);
    std::memcpy(data, moved, sizeof(moved));
    m_vertices->Unlock();
    Draw(12);
    const std::vector<std::uint8_t> pixels = Finish();
    ExpectNear(At(pixels, 8, 32), {255, 0, 0}, "first draw");
    ExpectNear(At(pixels, 24, 32), {0, 255, 0}, "drawn after a no-overwrite lock");
    ExpectNear(At(pixels, 40, 32), {0, 0, 255}, "drawn after a plain lock");
    ExpectNear(At(pixels, 56, 32), {255, 0, 0}, "kept bytes read after a plain lock");
}

// Programs are sent only the values that changed: a matrix changed between two draws of a
// pass moves the second, and putting the first back moves the third back.
TEST_F(GlStream, AValueChangedInAPassReachesTheNextDraw) {
    WriteQuad(0, -1.0f, -0.5f, 0xFFFF0000, D3DLOCK_DISCARD);
    WriteQuad(4, -1.0f, -0.5f, 0xFF00FF00, D3DLOCK_NOOVERWRITE);
    WriteIndices();
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 1.0f, 0.0f, 0.0f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    Draw(0);
    m_effect->SetMatrix("WorldViewProjection", &moved);
    Draw(4);
    m_effect->SetMatrix("WorldViewProjection", &identity);
    WriteQuad(8, -0.5f, 0.0f, 0xFF0000FF, D3DLOCK_NOOVERWRITE);
    Draw(8);
    const std::vector<std::uint8_t> pixels = Finish();
    ExpectNear(At(pixels, 8, 32), {255, 0, 0}, "first quad where it was written");
    ExpectNear(At(pixels, 40, 32), {0, 255, 0}, "second quad moved right");
    ExpectNear(At(pixels, 24, 32), {0, 0, 255}, "third quad back in place");
}

// Each quad sits at the end of the buffer, so every discard takes a whole buffer's room and the
// ring runs round several times, each lap writing over what the draws of the last one read.
TEST_F(GlStream, DiscardsThatRunTheRingRoundDrawTheirOwnGeometry) {
    constexpr int kQuads = 32;
    constexpr int kLaps = 3;
    for (int draw = 0; draw < kQuads * kLaps; ++draw) {
        const int quad = draw % kQuads;
        const float left = -1.0f + 2.0f * static_cast<float>(quad) / kQuads;
        // Earlier laps draw blue under the last: a draw reading another lap's vertices shows.
        const bool last = draw >= kQuads * (kLaps - 1);
        const D3DCOLOR colour = !last ? 0xFF0000FF : quad % 2 == 0 ? 0xFFFF0000 : 0xFF00FF00;
        void* data = nullptr;
        m_vertices->Lock(0, 0, &data, D3DLOCK_DISCARD);
        m_vertices->Unlock();
        WriteQuad(kVertices - 4, left, left + 2.0f / kQuads, colour, D3DLOCK_NOOVERWRITE);
        WriteIndices();
        Draw(kVertices - 4);
    }
    const std::vector<std::uint8_t> pixels = Finish();
    for (int quad = 0; quad < kQuads; ++quad) {
        const SPixel expected = quad % 2 == 0 ? SPixel{255, 0, 0} : SPixel{0, 255, 0};
        ExpectNear(At(pixels, quad * 2, 32), expected, ("quad " + std::to_string(quad)).c_str());
    }
}

// A texture of one colour, with a chain of levels when more than one is asked for.
IDirect3DTexture9* SolidTexture(IDirect3DDevice9* device, UINT size, UINT levels, D3DCOLOR colour) {
    IDirect3DTexture9* texture = nullptr;
    if (device->CreateTexture(size, size, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr) != D3D_OK) {
        return nullptr;
    }
    D3DLOCKED_RECT locked;
    if (texture->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
        for (UINT y = 0; y < size; ++y) {
            auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
            std::fill(row, row + size, colour);
        }
        texture->UnlockRect(0);
    }
    return texture;
}

// Draws bind a texture only when its unit holds another: a texture made after one was freed
// (whose name it may take), or another bound to the same unit, is the one drawn. A large texture
// with levels, drawn small, reads the levels built from its pixels.
TEST_F(GlRender, EachDrawSamplesTheTextureItWasGiven) {
    const struct {
        UINT size;
        UINT levels;
        D3DCOLOR colour;
        SPixel expected;
    } cases[] = {
        {8, 1, 0xFFFF0000, {255, 0, 0}},     {8, 1, 0xFF00FF00, {0, 255, 0}},   {8, 1, 0xFF0000FF, {0, 0, 255}},
        {256, 9, 0xFFFFFF00, {255, 255, 0}}, {8, 1, 0xFF00FFFF, {0, 255, 255}},
    };
    for (const auto& entry : cases) {
        IDirect3DTexture9* texture = SolidTexture(m_device.Get(), entry.size, entry.levels, entry.colour);
        ASSERT_NE(texture, nullptr);
        DrawQuad(0.5f, false, "Opaque", 0, texture);
        texture->Release();
        const std::vector<std::uint8_t> pixels = BackBuffer();
        ExpectNear(At(pixels, 32, 32), entry.expected, ("texture of size " + std::to_string(entry.size)).c_str());
    }
}

// The levels below the top are built from the pixels given, and each reaches its own level of
// the GL texture; a texture not yet written reads as zeros, as a fresh Direct3D texture does.
TEST_F(GlRender, LowerLevelsHoldTheAveragesOfTheLevelAbove) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    // Read from the GL texture itself: a surface read goes through a framebuffer of the top level.
    const auto levelPixels = [&](GLint level) {
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture->GetHandle()));
        std::vector<std::uint8_t> bgra(static_cast<std::size_t>(std::max(4 >> level, 1)) * std::max(2 >> level, 1) * 4);
        glGetTexImage(GL_TEXTURE_2D, level, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
        return bgra;
    };
    IDirect3DSurface9* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    std::vector<std::uint8_t> fresh;
    EXPECT_TRUE(m_device->ReadSurface(surface, &fresh, nullptr, nullptr));
    surface->Release();
    EXPECT_EQ(fresh, std::vector<std::uint8_t>(4 * 2 * 4, 0));
    EXPECT_EQ(levelPixels(0), fresh);
    std::vector<std::uint8_t> top = {
        0,   0,   0,   255, 20,  40,  60,  255, 255, 255, 255, 255, 255, 255, 255, 255,
        100, 100, 100, 255, 120, 140, 160, 255, 0,   0,   0,   0,   255, 255, 255, 255,
    };
    const std::vector<std::uint8_t> given = top;
    texture->SetPixels(std::move(top));
    EXPECT_EQ(levelPixels(0), given);
    EXPECT_EQ(levelPixels(1), (std::vector<std::uint8_t>{60, 70, 80, 255, 192, 192, 192, 192}));
    EXPECT_EQ(levelPixels(2), (std::vector<std::uint8_t>{126, 131, 136, 224}));
    texture->Release();
}

TEST_F(GlRender, ViewportsCountFromTheTopLeftAndBoundClears) {
    m_device->BeginScene();
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    const D3DVIEWPORT9 topLeft = {0, 0, kSize / 2, kSize / 2, 0.0f, 1.0f};
    m_device->SetViewport(&topLeft);
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    m_device->EndScene();
    const std::vector<std::uint8_t> pixels = BackBuffer();
    ExpectNear(At(pixels, 8, 8), {255, 0, 0}, "inside the viewport");
    ExpectNear(At(pixels, 8, 48), {0, 0, 0}, "below it");
    ExpectNear(At(pixels, 48, 8), {0, 0, 0}, "right of it");
}

TEST_F(GlRender, AlphaTestStatesDiscardAsDirect3DDoes) {
    DrawQuad(0.5f, false, "AlphaTested", 0);
    ExpectNear(At(BackBuffer(), 16, 16), {0, 0, 255}, "alpha 128 is not greater than 200");
    DrawQuad(0.5f, false, "AlphaTested", 1);
    ExpectNear(At(BackBuffer(), 16, 16), {255, 0, 0}, "alpha 128 passes 100, drawn without blending");
}

// Direct3D 9 puts pixel centres on whole screen coordinates: a quad from x = -0.5 to 0.5 covers
// column 0 exactly, and one from 0.5 to 1.5 column 1.
TEST_F(GlRender, PixelCentresSitOnWholeScreenCoordinates) {
    const char* root = std::getenv("TK_SOURCE_DIR");
    const std::string path = std::string(root != nullptr ? root : "../../../..") + "/data/files/fx/DeviceBench.fx";
    ID3DXEffect* effect = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileA(m_device.Get(), path.c_str(), nullptr, nullptr, 0, nullptr, &effect, nullptr),
              D3D_OK);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    effect->SetMatrix("WorldViewProjection", &identity);
    const auto ndc = [](float screenX) { return screenX / (kSize / 2.0f) - 1.0f; };
    const float left = ndc(-0.5f);
    const float right = ndc(0.5f);
    const SVertex corners[4] = {
        {{left, 1, 0.5f}, {}, {}, {}, {}, 0xFFFFFFFF},
        {{right, 1, 0.5f}, {}, {}, {}, {}, 0xFFFFFFFF},
        {{right, -1, 0.5f}, {}, {}, {}, {}, 0xFFFFFFFF},
        {{left, -1, 0.5f}, {}, {}, {}, {}, 0xFFFFFFFF},
    };
    const WORD order[6] = {0, 1, 2, 0, 2, 3};
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    m_device->CreateVertexBuffer(sizeof(corners), 0, 0, D3DPOOL_MANAGED, &vertices, nullptr);
    m_device->CreateIndexBuffer(sizeof(order), 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr);
    m_device->CreateVertexDeclaration(kElements, &declaration);
    void* data = nullptr;
    vertices->Lock(0, 0, &data, 0);
    std::memcpy(data, corners, sizeof(corners));
    vertices->Unlock();
    indices->Lock(0, 0, &data, 0);
    std::memcpy(data, order, sizeof(order));
    indices->Unlock();
    m_device->SetVertexDeclaration(declaration);
    m_device->SetStreamSource(0, vertices, 0, sizeof(SVertex));
    m_device->SetIndices(indices);
    m_device->BeginScene();
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    effect->EndPass();
    effect->End();
    m_device->EndScene();
    const std::vector<std::uint8_t> pixels = BackBuffer();
    ExpectNear(At(pixels, 0, 10), {255, 255, 255}, "column 0 is covered");
    ExpectNear(At(pixels, 1, 10), {0, 0, 0}, "column 1 is not");
    effect->Release();
    vertices->Release();
    indices->Release();
    declaration->Release();
}

} // namespace
