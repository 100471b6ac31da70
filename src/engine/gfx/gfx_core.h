// velm::gfx::CGFXCore: the process-wide holder of the Direct3D device, its vertex declaration
// and presentation parameters, and of the frame's camera state (view and projection as last
// given to the device, frustums, frame times). It creates the device through the framework with
// the engine's hardware requirements, sets the frame's render states, and forwards the thin
// device services other graphics code calls. Device results are handed back unexamined. Device
// objects passed in are borrowed; one returned through an out-parameter carries a reference the
// caller releases. Main thread only; reached through common::CSingleton<CGFXCore>.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "libs/common/frustum.h"
#include "libs/common/singleton.h"
#include "platform/d3d9/d3dx9.h"
#include "platform/dxut/dxut_device.h"

namespace velm {
namespace gfx {

// The one 60-byte vertex of all geometry: position, normal, texture coordinates, tangent,
// binormal, colour.
constexpr UINT kVertexStride = 60;
extern const D3DVERTEXELEMENT9 kVertexElements[7];

// The debug axis gizmo: three lines from the origin, 250 units along x, y and z.
struct SGfxCoordSystem {
    struct SAxis {
        D3DXVECTOR3* points = nullptr; // owned, pointCount entries
        D3DXVECTOR3 direction;
        std::uint32_t pointCount = 0;
        float scale = 1.0f;
    };

    SGfxCoordSystem();
    ~SGfxCoordSystem();
    SGfxCoordSystem(const SGfxCoordSystem&) = delete;
    SGfxCoordSystem& operator=(const SGfxCoordSystem&) = delete;

    SAxis x;
    SAxis y;
    SAxis z;
};

class CGFXCore {
public:
    CGFXCore();
    virtual ~CGFXCore();
    CGFXCore(const CGFXCore&) = delete;
    CGFXCore& operator=(const CGFXCore&) = delete;

    // Settings taken by CreateDevice and the frame's render states.
    void SetFullScreen(bool fullScreen) { m_fullScreen = fullScreen ? 1 : 0; }
    void SetScreenSize(int width, int height) {
        m_screenWidth = width;
        m_screenHeight = height;
    }
    void SetFullSceneAntialiasing(DWORD on) { m_fullSceneAntialiasing = on; }
    void SetFillMode(DWORD fillMode) { m_fillMode = fillMode; }
    bool IsFullScreen() const { return m_fullScreen != 0; }
    int GetScreenWidth() const { return m_screenWidth; }
    int GetScreenHeight() const { return m_screenHeight; }
    DWORD GetFullSceneAntialiasing() const { return m_fullSceneAntialiasing; }
    DWORD GetFillMode() const { return m_fillMode; }

    HRESULT CreateDevice();
    // The framework's callbacks; pure functions of their arguments and the Direct3D object.
    static bool IsDeviceAcceptable(D3DCAPS9* caps, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat, bool windowed,
                                   void* userContext);
    static bool ModifyDeviceSettings(DXUTDeviceSettings* settings, const D3DCAPS9* caps, void* userContext);
    HRESULT OnResetDevice();
    void OnLostDevice();
    // Drops the device and the Direct3D object (shutdown and tests).
    void ReleaseDevice();

    // Render states, vertex declaration, BeginScene, the frame-begin listener (the renderer's
    // per-frame parameters), then a clear of target and depth to 0 and 1.0.
    void BeginFrame();
    void SetFrameBeginListener(std::function<void()> listener) { m_frameBegin = std::move(listener); }

    void SetViewMatrix(const D3DXMATRIX& view);
    void SetProjectionMatrix(const D3DXMATRIX& projection);
    // What the frame is drawn from, taken from the active camera once per frame (graphics sits
    // below the engine camera, so it gets the camera's values rather than the camera).
    struct SCameraShot {
        D3DXMATRIX m_view;
        D3DXMATRIX m_projection;
        D3DXVECTOR3 m_eye;
        D3DXVECTOR3 m_target;
        float m_fieldOfView;
        float m_aspect;
        float m_nearPlane;
        float m_farPlane;
    };
    // Sets both matrices and the eye and target copies; the view frustums (the wide one with
    // 1.5 times the field of view) are rebuilt only when the lens differs from the last one.
    void SetCamera(const SCameraShot& camera);
    const D3DXMATRIX& GetViewMatrix() const { return m_view; }
    const D3DXMATRIX& GetProjectionMatrix() const { return m_projection; }

    // Vertices of the 60-byte layout, position first; count 0 gives centre 0 and radius 0.
    static void ComputeBoundingSphere(const void* vertices, std::uint32_t count, D3DXVECTOR3* centre, float* radius);
    // Green channel of the texture file (through the texture cache, so under the texture
    // directory), box-filtered to columns x rows heights in 0..1; rows and columns past the image
    // read 0. False when the file gives no texture or a count is 0 (heights untouched).
    bool ReadHeightMap(const std::string& fileName, float* heights, std::uint32_t columns, std::uint32_t rows);

    IDirect3DDevice9* GetDevice() const { return m_device; }
    IDirect3D9* GetDirect3D() const { return m_direct3d; }
    IDirect3DVertexDeclaration9* GetVertexDeclaration() const { return m_vertexDeclaration; }
    const D3DPRESENT_PARAMETERS& GetPresentParameters() const { return m_presentParameters; }

    // Camera state kept for the frame render and the culling passes.
    D3DXVECTOR3& CameraEye() { return m_cameraEye; }
    D3DXVECTOR3& CameraTarget() { return m_cameraTarget; }
    D3DXVECTOR3& CameraUp() { return m_cameraUp; }
    common::CFrustum& GetFrustum() { return m_frustum; }
    common::CFrustum& GetWideFrustum() { return m_wideFrustum; }
    void SetFrameTime(double time, float elapsed) {
        m_frameTime = time;
        m_elapsedTime = elapsed;
    }
    double GetFrameTime() const { return m_frameTime; }
    float GetElapsedTime() const { return m_elapsedTime; }

    bool m_reuseVisibility = false;
    bool m_attachedUnitWireframe = true;
    bool m_drawDebugMeshes = false;
    bool m_sceneGraphOptimisation = true;

    // Device services: direct forwards with the device filled in.
    HRESULT Clear(DWORD flags, D3DCOLOR colour, float z);
    HRESULT EndScene();
    HRESULT Present();
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface);
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface);
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface);
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface);
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      DWORD quality, BOOL discard, IDirect3DSurface9** surface);
    HRESULT GetBackBuffer(IDirect3DSurface9** surface);
    HRESULT SetClipPlane(DWORD index, const float* plane);
    HRESULT GetClipPlane(DWORD index, float* plane);
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer);
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer);
    HRESULT LockVertexBuffer(IDirect3DVertexBuffer9* buffer, UINT offset, UINT size, void** data, DWORD flags);
    HRESULT UnlockVertexBuffer(IDirect3DVertexBuffer9* buffer);
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride);
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer);
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT primitiveCount);
    HRESULT CreateRenderTargetTexture(UINT width, UINT height, D3DFORMAT format, IDirect3DTexture9** texture);
    HRESULT CreateTextureFromFile(const std::string& fileName, IDirect3DTexture9** texture);
    HRESULT CreateCubeTextureFromFile(const std::string& fileName, IDirect3DCubeTexture9** texture);
    HRESULT CreateEffectFromFile(const std::string& fileName, ID3DXEffectPool* pool, ID3DXEffect** effect);
    HRESULT SaveSurfaceToFile(const std::string& fileName, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface);
    HRESULT CreateEffectPool(ID3DXEffectPool** pool);
    // Meshes: a null declaration means the engine vertex; clones take the engine vertex.
    HRESULT CreateMesh(DWORD faces, DWORD vertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                       ID3DXMesh** mesh);
    HRESULT CloneMesh(ID3DXMesh* source, DWORD options, ID3DXMesh** clone);
    HRESULT LockMeshVertexBuffer(ID3DXMesh* mesh, DWORD flags, void** data);
    HRESULT UnlockMeshVertexBuffer(ID3DXMesh* mesh);
    HRESULT LockMeshIndexBuffer(ID3DXMesh* mesh, DWORD flags, void** data);
    HRESULT UnlockMeshIndexBuffer(ID3DXMesh* mesh);
    HRESULT GenerateAdjacency(ID3DXMesh* mesh, float epsilon, DWORD* adjacency);
    HRESULT ComputeNormals(ID3DXMesh* mesh, const DWORD* adjacency);
    HRESULT ComputeTangent(ID3DXMesh* mesh, DWORD texStage, DWORD tangentIndex, DWORD binormalIndex, DWORD wrap,
                           const DWORD* adjacency);
    HRESULT CreateSprite(ID3DXSprite** sprite);
    HRESULT CreateFontIndirect(const D3DXFONT_DESCW& desc, ID3DXFont** font);
    HRESULT CreateLine(ID3DXLine** line);
    HRESULT LoadMeshHierarchyFromX(const std::string& fileName, DWORD options, ID3DXAllocateHierarchy* allocator,
                                   D3DXFRAME** frames, ID3DXAnimationController** controller);

private:
    HRESULT MakeVertexDeclaration();
    void ReleaseVertexDeclaration();

    IDirect3DDevice9* m_device = nullptr; // one reference
    IDirect3D9* m_direct3d = nullptr;     // one reference
    IDirect3DVertexDeclaration9* m_vertexDeclaration = nullptr;
    D3DPRESENT_PARAMETERS m_presentParameters;
    DWORD m_fullSceneAntialiasing = TRUE;
    DWORD m_fillMode = D3DFILL_SOLID;
    std::uint8_t m_fullScreen = 0;
    int m_screenWidth = 800;
    int m_screenHeight = 600;
    D3DXVECTOR3 m_cameraEye;
    D3DXVECTOR3 m_cameraTarget;
    D3DXVECTOR3 m_cameraUp;
    common::CFrustum m_frustum;
    common::CFrustum m_wideFrustum;
    // The lens the frustums were last built for; none yet.
    float m_frustumLens[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
    D3DXMATRIX m_view;
    D3DXMATRIX m_projection;
    double m_frameTime = 0.0;
    float m_elapsedTime = 0.0f;
    std::function<void()> m_frameBegin;
};

using GFXCore = common::CSingleton<CGFXCore>;

} // namespace gfx
} // namespace velm
