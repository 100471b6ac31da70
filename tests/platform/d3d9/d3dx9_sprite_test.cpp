#include "platform/d3d9/d3dx9_sprite.h"

#include <gtest/gtest.h>

#include "platform/d3d9/d3dx9_line.h"
#include "platform/d3d9/test_support.h"

namespace {

constexpr UINT kSize = 64;

// 8 x 8: rows 0-3 red, rows 4-7 green, all opaque.
IDirect3DTexture9* MakeTexture(IDirect3DDevice9* device) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3D_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < 8; ++y) {
        auto* row = static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch;
        for (int x = 0; x < 8; ++x) {
            row[x * 4 + 0] = 0;
            row[x * 4 + 1] = y < 4 ? 0 : 255;
            row[x * 4 + 2] = y < 4 ? 255 : 0;
            row[x * 4 + 3] = 255;
        }
    }
    texture->UnlockRect(0);
    return texture;
}

struct SBox {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

TEST(D3DXSprite, DrawsItsSourceRectangleOntoExactPixels) {
    tk_test::CDeviceHolder device;
    std::string reason;
    if (!device.MakeGl(kSize, kSize, &reason)) {
        GTEST_SKIP() << "no offscreen OpenGL: " << reason;
    }
    IDirect3DTexture9* texture = MakeTexture(device.Get());
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateSprite(device.Get(), &sprite));
    const struct {
        RECT source;
        float x;
        float y;
        SBox box;
        std::uint8_t red;
        std::uint8_t green;
    } cases[] = {
        {{0, 0, 8, 4}, 10.0f, 20.0f, {10, 20, 18, 24}, 255, 0},
        {{0, 4, 8, 8}, 3.0f, 40.0f, {3, 40, 11, 44}, 0, 255},
        {{2, 0, 5, 8}, 50.0f, 1.0f, {50, 1, 53, 9}, 255, 255},
    };
    for (const auto& c : cases) {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        D3DXMATRIX place;
        D3DXMatrixTranslation(&place, c.x, c.y, 0.0f);
        ASSERT_EQ(D3D_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
        sprite->SetTransform(&place);
        const D3DXVECTOR3 centre(0.5f, 0.5f, 0.0f);
        ASSERT_EQ(D3D_OK, sprite->Draw(texture, &c.source, &centre, nullptr, 0xFFFFFFFF));
        ASSERT_EQ(D3D_OK, sprite->End());
        device->EndScene();
        const std::vector<std::uint8_t> bgra = device.ReadBackBuffer();
        ASSERT_FALSE(bgra.empty());
        for (LONG y = 0; y < static_cast<LONG>(kSize); ++y) {
            for (LONG x = 0; x < static_cast<LONG>(kSize); ++x) {
                const std::uint8_t* p = &bgra[(static_cast<std::size_t>(y) * kSize + static_cast<std::size_t>(x)) * 4];
                const bool inside = x >= c.box.left && x < c.box.right && y >= c.box.top && y < c.box.bottom;
                if (!inside) {
                    ASSERT_EQ(0, p[1] + p[2]) << "lit outside the box at " << x << ", " << y;
                } else if (c.red != c.green) {
                    ASSERT_EQ(c.red, p[2]) << x << ", " << y;
                    ASSERT_EQ(c.green, p[1]) << x << ", " << y;
                } else {
                    // Rows 3 and 4 of the source meet in the middle of this box.
                    ASSERT_EQ(255, (y - c.box.top) < 4 ? p[2] : p[1]) << x << ", " << y;
                }
            }
        }
    }
    sprite->Release();
    texture->Release();
}

TEST(D3DXSprite, AnEmptySourceRectangleDrawsNothingAndSaysSo) {
    tk_test::CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    IDirect3DTexture9* texture = MakeTexture(device.Get());
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateSprite(device.Get(), &sprite));
    device->BeginScene();
    const std::uint64_t draws = device->Stats().draws;
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    const RECT zeroWidth = {4, 0, 4, 8};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Draw(texture, &zeroWidth, nullptr, nullptr, 0xFFFFFFFF));
    EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Draw(texture, &zeroWidth, nullptr, nullptr, 0xFFFFFFFF));
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find("source rectangle of 0 x 8 pixels")) << log;
    EXPECT_EQ(log.find("source rectangle"), log.rfind("source rectangle"));
    sprite->End();
    EXPECT_EQ(draws, device->Stats().draws);
    EXPECT_EQ(D3DERR_INVALIDCALL, sprite->End());
    device->EndScene();
    sprite->Release();
    texture->Release();
}

TEST(D3DXSprite, DrawingLeavesTheDeviceStateAsItWas) {
    tk_test::CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    IDirect3DTexture9* texture = MakeTexture(device.Get());
    ID3DXSprite* sprite = nullptr;
    ID3DXLine* line = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateSprite(device.Get(), &sprite));
    ASSERT_EQ(D3D_OK, D3DXCreateLine(device.Get(), &line));
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->BeginScene();
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    sprite->Draw(texture, nullptr, nullptr, nullptr, 0xFFFFFFFF);
    sprite->End();
    const D3DXVECTOR3 points[3] = {{0, 0, 0.5f}, {1, 0, 0.5f}, {1, 1, 0.5f}};
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(D3D_OK, line->DrawTransform(points, 3, &identity, 0xFFFFFFFF));
    device->EndScene();
    EXPECT_EQ(2u, device->Stats().draws);
    DWORD value = 0;
    device->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(static_cast<DWORD>(TRUE), value);
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(D3DCULL_CW, value);
    EXPECT_EQ(nullptr, device->State().vertexDeclaration);
    EXPECT_EQ(nullptr, device->State().stream0);
    line->Release();
    sprite->Release();
    texture->Release();
}

TEST(D3DXLine, DrawTransformLightsTheProjectedPixelsOnly) {
    tk_test::CDeviceHolder device;
    std::string reason;
    if (!device.MakeGl(kSize, kSize, &reason)) {
        GTEST_SKIP() << "no offscreen OpenGL: " << reason;
    }
    ID3DXLine* line = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateLine(device.Get(), &line));
    // Clip-space points: y = 0 is the middle row, x from a quarter to three quarters across; a
    // segment wholly behind the eye (w < 0) draws nothing.
    const D3DXVECTOR3 points[2] = {{-0.5f, 0.0f, 0.5f}, {0.5f, 0.0f, 0.5f}};
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(D3D_OK, line->DrawTransform(points, 2, &identity, 0xFF00FF00));
    D3DXMATRIX behind = identity;
    behind._44 = -1.0f;
    const D3DXVECTOR3 hidden[2] = {{0.0f, 0.9f, 0.5f}, {0.2f, 0.9f, 0.5f}};
    ASSERT_EQ(D3D_OK, line->DrawTransform(hidden, 2, &behind, 0xFFFF0000));
    // From a visible point to one in front of the near plane (z < 0): cut halfway, at x = 0.
    const D3DXVECTOR3 crossing[2] = {{-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, -0.5f}};
    ASSERT_EQ(D3D_OK, line->DrawTransform(crossing, 2, &identity, 0xFF0000FF));
    device->EndScene();
    const std::vector<std::uint8_t> bgra = device.ReadBackBuffer();
    ASSERT_FALSE(bgra.empty());
    int lit = 0;
    int cut = 0;
    for (UINT y = 0; y < kSize; ++y) {
        for (UINT x = 0; x < kSize; ++x) {
            const std::uint8_t* p = &bgra[(static_cast<std::size_t>(y) * kSize + x) * 4];
            ASSERT_EQ(0, p[2]) << "the line behind the eye was drawn at " << x << ", " << y;
            if (p[0] != 0) {
                ++cut;
                EXPECT_EQ(3 * kSize / 4, y) << x;
                EXPECT_GE(x, kSize / 4 - 1);
                EXPECT_LE(x, kSize / 2);
            }
            if (p[1] != 0) {
                ++lit;
                EXPECT_EQ(kSize / 2, y) << x;
                EXPECT_GE(x, kSize / 4 - 1);
                EXPECT_LE(x, 3 * kSize / 4);
            }
        }
    }
    EXPECT_GE(lit, static_cast<int>(kSize / 2) - 1);
    EXPECT_GE(cut, static_cast<int>(kSize / 4) - 1);
    line->Release();
}

} // namespace
