// The device resources: surfaces, 2D and cube textures, vertex and index buffers and vertex
// declarations. Each is reference counted (created with one reference; the last Release frees
// it). Buffers and textures keep a system-memory copy, so locks read and write memory and the
// unlock hands the bytes to the back end. A resource outliving its device keeps its memory and
// loses its GPU object. Main thread only.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/d3d9/device_backend.h"

class IDirect3DDevice9;

namespace platform {
namespace d3d9 {

class CRefCounted {
public:
    CRefCounted() = default;
    CRefCounted(const CRefCounted&) = delete;
    CRefCounted& operator=(const CRefCounted&) = delete;

    ULONG AddRef() { return ++m_references; }
    ULONG Release() {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    virtual ~CRefCounted() = default;

private:
    std::atomic<ULONG> m_references{1};
};

} // namespace d3d9
} // namespace platform

class IDirect3DResource9 : public platform::d3d9::CRefCounted {
public:
    HRESULT GetDevice(IDirect3DDevice9** device);
    D3DPOOL GetPool() const { return m_pool; }

    // Called by the device when it goes away before the resource.
    virtual void DetachDevice();
    IDirect3DDevice9* DeviceOf() const { return m_device; }

protected:
    IDirect3DResource9(IDirect3DDevice9* device, D3DPOOL pool);
    ~IDirect3DResource9() override;
    platform::d3d9::IDeviceBackend* Backend() const;

    IDirect3DDevice9* m_device;
    D3DPOOL m_pool;
};

class IDirect3DBaseTexture9 : public IDirect3DResource9 {
public:
    DWORD GetLevelCount() const { return m_levels; }
    platform::d3d9::BackendHandle GetHandle() const { return m_handle; }
    platform::d3d9::ETextureKind GetKind() const { return m_kind; }
    UINT GetWidth() const { return m_width; }
    UINT GetHeight() const { return m_height; }
    DWORD GetUsage() const { return m_usage; }
    D3DFORMAT GetFormat() const { return m_format; }
    void DetachDevice() override;

protected:
    IDirect3DBaseTexture9(IDirect3DDevice9* device, platform::d3d9::ETextureKind kind, UINT width, UINT height,
                          UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~IDirect3DBaseTexture9() override;
    D3DSURFACE_DESC LevelDesc(UINT level) const;

    platform::d3d9::ETextureKind m_kind;
    UINT m_width;
    UINT m_height;
    DWORD m_levels;
    DWORD m_usage;
    D3DFORMAT m_format;
    platform::d3d9::BackendHandle m_handle = 0;
};

// A level of a texture, a cube face, the back buffer or a depth-stencil surface.
class IDirect3DSurface9 : public IDirect3DResource9 {
public:
    HRESULT GetDesc(D3DSURFACE_DESC* desc) const;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect();

    // The stand-in's view of what the surface is.
    IDirect3DBaseTexture9* GetContainer() const { return m_container; }
    UINT GetFace() const { return m_face; }
    UINT GetLevel() const { return m_level; }
    bool IsBackBuffer() const { return m_backBuffer; }

    static IDirect3DSurface9* ForLevel(IDirect3DBaseTexture9* container, UINT face, UINT level,
                                       const D3DSURFACE_DESC& desc);
    static IDirect3DSurface9* ForBackBuffer(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc);
    static IDirect3DSurface9* ForDepth(IDirect3DBaseTexture9* depthTexture, const D3DSURFACE_DESC& desc);

private:
    IDirect3DSurface9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc);
    ~IDirect3DSurface9() override;

    D3DSURFACE_DESC m_desc;
    IDirect3DBaseTexture9* m_container = nullptr; // holds one reference
    UINT m_face = 0;
    UINT m_level = 0;
    bool m_backBuffer = false;
};

class IDirect3DTexture9 : public IDirect3DBaseTexture9 {
public:
    IDirect3DTexture9(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                      D3DPOOL pool);

    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface);
    // Only the top level keeps memory; locks of lower levels are refused.
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(UINT level);

    // The top level's pixels as the processor last saw them (zeros until written); false for a
    // render target, which keeps none.
    bool CopyPixels(std::vector<std::uint8_t>* bgra) const;
    void SetPixels(const std::uint8_t* bgra);
    // Takes the whole top level at once, width x height x 4 bytes, and owns it from then on.
    void SetPixels(std::vector<std::uint8_t>&& bgra);

private:
    bool KeepsPixels() const { return (m_usage & D3DUSAGE_RENDERTARGET) == 0; }
    std::size_t TopLevelBytes() const { return static_cast<std::size_t>(m_width) * m_height * 4; }
    void Upload();

    // Made on first use: a texture whose pixels come from a file takes the decoded image as it
    // is, and zeroing memory about to be overwritten costs a software renderer's machine much.
    std::vector<std::uint8_t> m_pixels;
    bool m_locked = false;
    bool m_lockedReadOnly = false;
};

class IDirect3DCubeTexture9 : public IDirect3DBaseTexture9 {
public:
    IDirect3DCubeTexture9(IDirect3DDevice9* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool);

    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const;
    HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface);
    void SetFace(UINT face, const std::uint8_t* bgra);
};

// Depth-stencil surfaces are backed by a texture the caller never sees.
class CDepthTexture : public IDirect3DBaseTexture9 {
public:
    CDepthTexture(IDirect3DDevice9* device, UINT width, UINT height, D3DFORMAT format);
};

namespace platform {
namespace d3d9 {

// Common part of the two buffer kinds: memory and the refused over-long lock. Unlocked bytes
// reach the back end when a draw reads them, and only the part the draw reads, so that a whole
// buffer locked for a few vertices does not cost a whole upload. A dynamic buffer locked without
// D3DLOCK_NOOVERWRITE is renewed: draws made before keep what they read, as with Direct3D.
class CBufferStore {
public:
    CBufferStore(UINT length, bool index, bool dynamic)
        : m_bytes(length), m_index(index), m_dynamic(dynamic), m_dirtyEnd(length) {}
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    bool Unlock();
    // Hands the back end the written bytes within [begin, end).
    void Sync(IDeviceBackend* backend, BackendHandle handle, UINT begin, UINT end);
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    bool IsIndex() const { return m_index; }
    bool IsDynamic() const { return m_dynamic; }

    // Lowest and highest of `count` indices of `indexSize` bytes from index `first` (in range).
    // Bounds found once are kept until a lock writes over them, so a range drawn again is not
    // scanned again; they may be those of a wider range holding this one, never narrower.
    void IndexBounds(UINT first, UINT count, UINT indexSize, std::size_t* lowest, std::size_t* highest);
    // The bounds of exactly those indices.
    void ExactIndexBounds(UINT first, UINT count, UINT indexSize, std::size_t* lowest, std::size_t* highest) const;

private:
    struct SBounds {
        UINT begin; // bytes
        UINT end;
        std::size_t lowest;
        std::size_t highest;
    };

    std::vector<std::uint8_t> m_bytes;
    bool m_index;
    bool m_dynamic;
    bool m_locked = false;
    UINT m_lockOffset = 0;
    UINT m_lockSize = 0;
    DWORD m_lockFlags = 0;
    UINT m_dirtyBegin = 0;
    UINT m_dirtyEnd;
    bool m_renewPending = false;
    std::vector<SBounds> m_bounds; // sorted, apart
};

} // namespace d3d9
} // namespace platform

class IDirect3DVertexBuffer9 : public IDirect3DResource9 {
public:
    IDirect3DVertexBuffer9(IDirect3DDevice9* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    // A lock past the end of the buffer is refused with D3DERR_INVALIDCALL; size 0 locks the rest.
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) const;
    void Sync(UINT begin, UINT end);
    platform::d3d9::BackendHandle GetHandle() const { return m_handle; }
    const std::vector<std::uint8_t>& Bytes() const { return m_store.Bytes(); }
    void DetachDevice() override;

private:
    ~IDirect3DVertexBuffer9() override;
    platform::d3d9::CBufferStore m_store;
    DWORD m_usage;
    DWORD m_fvf;
    platform::d3d9::BackendHandle m_handle = 0;
};

class IDirect3DIndexBuffer9 : public IDirect3DResource9 {
public:
    IDirect3DIndexBuffer9(IDirect3DDevice9* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) const;
    void Sync(UINT begin, UINT end);
    // See CBufferStore; counts and first index in indices of this buffer's format.
    void IndexBounds(UINT first, UINT count, std::size_t* lowest, std::size_t* highest);
    void ExactIndexBounds(UINT first, UINT count, std::size_t* lowest, std::size_t* highest) const;
    D3DFORMAT GetFormat() const { return m_format; }
    platform::d3d9::BackendHandle GetHandle() const { return m_handle; }
    const std::vector<std::uint8_t>& Bytes() const { return m_store.Bytes(); }
    void DetachDevice() override;

private:
    ~IDirect3DIndexBuffer9() override;
    platform::d3d9::CBufferStore m_store;
    DWORD m_usage;
    D3DFORMAT m_format;
    platform::d3d9::BackendHandle m_handle = 0;
};

class IDirect3DVertexDeclaration9 : public IDirect3DResource9 {
public:
    IDirect3DVertexDeclaration9(IDirect3DDevice9* device, const D3DVERTEXELEMENT9* elements);
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) const;
    const std::vector<D3DVERTEXELEMENT9>& Elements() const { return m_elements; }
    // Unique for the process, so a back end can tell declarations apart after one is freed.
    std::uint64_t Serial() const { return m_serial; }

private:
    std::vector<D3DVERTEXELEMENT9> m_elements; // without the end marker
    std::uint64_t m_serial;
};
