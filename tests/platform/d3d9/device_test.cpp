#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_support.h"

namespace {

using tk_test::CDeviceHolder;

TEST(NullDevice, StartsWithDirect3DDefaultsAndBackBufferViewport) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull(64, 32));
    EXPECT_TRUE(device->IsNull());
    DWORD value = 0;
    const std::pair<D3DRENDERSTATETYPE, DWORD> defaults[] = {
        {D3DRS_ZENABLE, TRUE},
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CLIPPLANEENABLE, 0},
        {D3DRS_COLORWRITEENABLE, 0xF},
    };
    for (const auto& [state, expected] : defaults) {
        ASSERT_EQ(device->GetRenderState(state, &value), D3D_OK);
        EXPECT_EQ(value, expected) << "state " << state;
    }
    D3DVIEWPORT9 viewport;
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 64u);
    EXPECT_EQ(viewport.Height, 32u);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
}

TEST(NullDevice, RecordsStatesInCallOrderAndCountsDraws) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(60 * 4, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &vertices, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(2 * 6, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices, nullptr),
              D3D_OK);
    device->SetTracing(true);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->BeginScene();
    device->SetStreamSource(0, vertices, 0, 60);
    device->SetIndices(indices);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 3), D3DERR_INVALIDCALL) << "past indices";
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 5, 0, 2), D3DERR_INVALIDCALL) << "past vertices";
    void* data = nullptr;
    indices->Lock(0, 0, &data, 0);
    static_cast<WORD*>(data)[5] = 4;
    indices->Unlock();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL)
        << "an index past the vertex buffer";
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3D_OK);
    device->EndScene();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL) << "outside scene";
    device->Present(nullptr, nullptr, nullptr, nullptr);
    const std::vector<std::string> expected = {"SetRenderState 22 1",
                                               "BeginScene",
                                               "DrawIndexedPrimitive 4 0 0 4 0 2",
                                               "DrawIndexedPrimitive 4 0 0 4 0 1",
                                               "EndScene",
                                               "Present"};
    EXPECT_EQ(device->Trace(), expected);
    EXPECT_EQ(device->Stats().draws, 2u);
    EXPECT_EQ(device->Stats().primitives, 3u);
    vertices->Release();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL)
        << "a released stream is unbound";
    indices->Release();
}

// Bounds of an index range are kept between draws: a draw inside a wider range whose bounds
// fail is judged on its own indices, and any lock over the range, however small, forgets them.
TEST(NullDevice, IndexBoundsFollowEveryLockOverTheirRange) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(60 * 8, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &vertices, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(2 * 12, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices, nullptr),
              D3D_OK);
    void* data = nullptr;
    const WORD order[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    indices->Lock(0, 0, &data, D3DLOCK_DISCARD);
    std::memcpy(data, order, sizeof(order));
    indices->Unlock();
    device->BeginScene();
    device->SetStreamSource(0, vertices, 0, 60);
    device->SetIndices(indices);
    struct SDraw {
        INT base;
        UINT start;
        UINT primitives;
        HRESULT expected;
        const char* what;
    };
    const SDraw before[] = {
        {0, 0, 4, D3D_OK, "all eight vertices"},
        {4, 0, 2, D3D_OK, "the first half moved up stays inside"},
        {4, 6, 2, D3DERR_INVALIDCALL, "the second half moved up does not"},
        {0, 6, 2, D3D_OK, "the second half in place"},
    };
    for (const SDraw& draw : before) {
        EXPECT_EQ(
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, draw.base, 0, 8 - draw.base, draw.start, draw.primitives),
            draw.expected)
            << draw.what;
    }
    ASSERT_EQ(indices->Lock(14, 2, &data, D3DLOCK_NOOVERWRITE), D3D_OK);
    const WORD outside = 9;
    std::memcpy(data, &outside, 2);
    indices->Unlock();
    const SDraw after[] = {
        {0, 0, 2, D3D_OK, "the first half is untouched"},
        {0, 6, 1, D3DERR_INVALIDCALL, "index 9 written over a range drawn before"},
        {0, 0, 4, D3DERR_INVALIDCALL, "the whole list holds index 9"},
        {0, 9, 1, D3D_OK, "the last triangle does not"},
    };
    for (const SDraw& draw : after) {
        EXPECT_EQ(
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, draw.base, 0, 8 - draw.base, draw.start, draw.primitives),
            draw.expected)
            << draw.what;
    }
    device->EndScene();
    vertices->Release();
    indices->Release();
}

struct SLockCase {
    UINT offset;
    UINT size;
    HRESULT expected;
};

TEST(NullDevice, BufferLocksPastTheEndAreRefused) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(100, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    const SLockCase cases[] = {
        {0, 100, D3D_OK},
        {0, 0, D3D_OK},
        {99, 1, D3D_OK},
        {100, 0, D3D_OK},
        {0, 101, D3DERR_INVALIDCALL},
        {50, 51, D3DERR_INVALIDCALL},
        {101, 0, D3DERR_INVALIDCALL},
        {0xFFFFFFF0u, 0x20, D3DERR_INVALIDCALL},
    };
    for (const SLockCase& lock : cases) {
        void* data = nullptr;
        EXPECT_EQ(buffer->Lock(lock.offset, lock.size, &data, 0), lock.expected)
            << "offset " << lock.offset << " size " << lock.size;
        if (lock.expected == D3D_OK) {
            EXPECT_NE(data, nullptr);
            void* again = nullptr;
            EXPECT_EQ(buffer->Lock(0, 1, &again, 0), D3DERR_INVALIDCALL) << "second lock";
            EXPECT_EQ(buffer->Unlock(), D3D_OK);
        }
    }
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
    buffer->Release();
}

TEST(NullDevice, ResetIsRefusedWhileDefaultPoolResourcesLive) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(
        device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
        D3D_OK);
    IDirect3DTexture9* managed = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DPRESENT_PARAMETERS parameters = tk_test::Parameters(128, 96);
    EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    target->Release();
    EXPECT_EQ(device->Reset(&parameters), D3D_OK) << "managed resources survive a reset";
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    DWORD cull = 0;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, D3DCULL_CCW) << "reset restores default states";
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    D3DSURFACE_DESC desc;
    backBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 128u);
    EXPECT_EQ(desc.Height, 96u);
    backBuffer->Release();
    EXPECT_EQ(managed->GetLevelCount(), 5u);
    managed->Release();
}

TEST(NullDevice, SurfacesOfTheWrongKindAndOversizedResourcesAreRefused) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
              D3D_OK);
    IDirect3DSurface9* colour = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &colour), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(0, depth), D3DERR_INVALIDCALL) << "a depth surface as colour target";
    EXPECT_EQ(device->SetDepthStencilSurface(colour), D3DERR_INVALIDCALL) << "a colour surface as depth";
    EXPECT_EQ(device->SetDepthStencilSurface(depth), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(0, colour), D3D_OK);
    device->SetDepthStencilSurface(nullptr);
    depth->Release();
    colour->Release();

    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    const UINT tooWide = caps.MaxTextureWidth + 1;
    IDirect3DTexture9* texture = nullptr;
    IDirect3DCubeTexture9* cube = nullptr;
    EXPECT_EQ(device->CreateTexture(tooWide, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateCubeTexture(tooWide, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(
        device->CreateDepthStencilSurface(1, tooWide, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
        D3DERR_INVALIDCALL);

    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(60 * 4, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(2 * 6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
    device->BeginScene();
    device->SetStreamSource(0, vertices, 0, 60);
    device->SetIndices(indices);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 0x55555556u), D3DERR_INVALIDCALL)
        << "a primitive count whose index count wraps round to 2";
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 0xFFFFFFFFu), D3DERR_INVALIDCALL);
    device->EndScene();
    EXPECT_EQ(device->Stats().draws, 0u);
    vertices->Release();
    indices->Release();
}

TEST(NullDevice, RenderTargetsKeepTheirSurfacesAlive) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
              D3D_OK);
    IDirect3DSurface9* original = nullptr;
    device->GetRenderTarget(0, &original);
    IDirect3DSurface9* surface = nullptr;
    target->GetSurfaceLevel(0, &surface);
    device->SetRenderTarget(0, surface);
    surface->Release();
    target->Release();
    IDirect3DSurface9* current = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &current), D3D_OK);
    D3DSURFACE_DESC desc;
    current->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 8u);
    current->Release();
    device->SetRenderTarget(0, original);
    original->Release();
}

} // namespace
