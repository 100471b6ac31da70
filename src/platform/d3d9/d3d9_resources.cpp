#include "platform/d3d9/d3d9_resources.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d9/d3d9.h"

using platform::d3d9::ETextureKind;

IDirect3DResource9::IDirect3DResource9(IDirect3DDevice9* device, D3DPOOL pool) : m_device(device), m_pool(pool) {
    if (m_device != nullptr) {
        m_device->Register(this);
    }
}

IDirect3DResource9::~IDirect3DResource9() {
    if (m_device != nullptr) {
        m_device->Unregister(this);
    }
}

HRESULT IDirect3DResource9::GetDevice(IDirect3DDevice9** device) {
    if (device == nullptr || m_device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_device->AddRef();
    *device = m_device;
    return D3D_OK;
}

void IDirect3DResource9::DetachDevice() { m_device = nullptr; }

platform::d3d9::IDeviceBackend* IDirect3DResource9::Backend() const {
    return m_device != nullptr ? &m_device->Backend() : nullptr;
}

IDirect3DBaseTexture9::IDirect3DBaseTexture9(IDirect3DDevice9* device, ETextureKind kind, UINT width, UINT height,
                                             UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : IDirect3DResource9(device, pool),
      m_kind(kind),
      m_width(std::max(1u, width)),
      m_height(std::max(1u, height)),
      m_usage(usage),
      m_format(format) {
    UINT fullChain = 1;
    for (UINT size = std::max(m_width, m_height); size > 1; size /= 2) {
        ++fullChain;
    }
    m_levels = (levels == 0 || levels > fullChain) ? fullChain : levels;
    if ((usage & D3DUSAGE_RENDERTARGET) != 0) {
        m_levels = 1;
    }
    if (auto* backend = Backend()) {
        m_handle = backend->CreateTexture(kind, m_width, m_height, m_levels, (usage & D3DUSAGE_RENDERTARGET) != 0);
    }
}

IDirect3DBaseTexture9::~IDirect3DBaseTexture9() {
    if (auto* backend = Backend()) {
        backend->DestroyTexture(m_handle);
    }
}

void IDirect3DBaseTexture9::DetachDevice() {
    if (auto* backend = Backend()) {
        backend->DestroyTexture(m_handle);
    }
    m_handle = 0;
    IDirect3DResource9::DetachDevice();
}

D3DSURFACE_DESC IDirect3DBaseTexture9::LevelDesc(UINT level) const {
    D3DSURFACE_DESC desc;
    desc.Format = m_format;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = m_usage;
    desc.Pool = m_pool;
    desc.Width = std::max(1u, m_width >> level);
    desc.Height = std::max(1u, m_height >> level);
    return desc;
}

IDirect3DSurface9::IDirect3DSurface9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc)
    : IDirect3DResource9(device, desc.Pool), m_desc(desc) {}

IDirect3DSurface9::~IDirect3DSurface9() {
    if (m_container != nullptr) {
        m_container->Release();
    }
}

IDirect3DSurface9* IDirect3DSurface9::ForLevel(IDirect3DBaseTexture9* container, UINT face, UINT level,
                                               const D3DSURFACE_DESC& desc) {
    auto* surface = new IDirect3DSurface9(container->DeviceOf(), desc);
    container->AddRef();
    surface->m_container = container;
    surface->m_face = face;
    surface->m_level = level;
    return surface;
}

IDirect3DSurface9* IDirect3DSurface9::ForBackBuffer(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc) {
    auto* surface = new IDirect3DSurface9(device, desc);
    surface->m_backBuffer = true;
    return surface;
}

IDirect3DSurface9* IDirect3DSurface9::ForDepth(IDirect3DBaseTexture9* depthTexture, const D3DSURFACE_DESC& desc) {
    auto* surface = new IDirect3DSurface9(depthTexture->DeviceOf(), desc);
    surface->m_container = depthTexture; // takes over the creator's reference
    return surface;
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc) const {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = m_desc;
    return D3D_OK;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    auto* texture = dynamic_cast<IDirect3DTexture9*>(m_container);
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return texture->LockRect(m_level, locked, rect, flags);
}

HRESULT IDirect3DSurface9::UnlockRect() {
    auto* texture = dynamic_cast<IDirect3DTexture9*>(m_container);
    return texture != nullptr ? texture->UnlockRect(m_level) : D3DERR_INVALIDCALL;
}

IDirect3DTexture9::IDirect3DTexture9(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage,
                                     D3DFORMAT format, D3DPOOL pool)
    : IDirect3DBaseTexture9(device, ETextureKind::Texture2D, width, height, levels, usage, format, pool) {}

HRESULT IDirect3DTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const {
    if (desc == nullptr || level >= m_levels) {
        return D3DERR_INVALIDCALL;
    }
    *desc = LevelDesc(level);
    return D3D_OK;
}

HRESULT IDirect3DTexture9::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    if (surface == nullptr || level >= m_levels) {
        return D3DERR_INVALIDCALL;
    }
    *surface = IDirect3DSurface9::ForLevel(this, 0, level, LevelDesc(level));
    return D3D_OK;
}

HRESULT IDirect3DTexture9::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (locked == nullptr || level != 0 || !KeepsPixels() || m_locked) {
        return D3DERR_INVALIDCALL;
    }
    std::size_t offset = 0;
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            static_cast<UINT>(rect->right) > m_width || static_cast<UINT>(rect->bottom) > m_height) {
            return D3DERR_INVALIDCALL;
        }
        offset = (static_cast<std::size_t>(rect->top) * m_width + static_cast<std::size_t>(rect->left)) * 4;
    }
    if (m_pixels.empty()) {
        m_pixels.assign(TopLevelBytes(), 0);
    }
    m_locked = true;
    m_lockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
    locked->Pitch = static_cast<INT>(m_width * 4);
    locked->pBits = m_pixels.data() + offset;
    return D3D_OK;
}

HRESULT IDirect3DTexture9::UnlockRect(UINT level) {
    if (level != 0 || !m_locked) {
        return D3DERR_INVALIDCALL;
    }
    m_locked = false;
    if (!m_lockedReadOnly) {
        Upload();
    }
    return D3D_OK;
}

bool IDirect3DTexture9::CopyPixels(std::vector<std::uint8_t>* bgra) const {
    if (!KeepsPixels()) {
        return false;
    }
    if (m_pixels.empty()) {
        bgra->assign(TopLevelBytes(), 0);
    } else {
        *bgra = m_pixels;
    }
    return true;
}

void IDirect3DTexture9::SetPixels(const std::uint8_t* bgra) {
    if (!KeepsPixels()) {
        return;
    }
    m_pixels.assign(bgra, bgra + TopLevelBytes());
    Upload();
}

void IDirect3DTexture9::SetPixels(std::vector<std::uint8_t>&& bgra) {
    if (!KeepsPixels() || bgra.size() != TopLevelBytes()) {
        return;
    }
    m_pixels = std::move(bgra);
    Upload();
}

void IDirect3DTexture9::Upload() {
    if (auto* backend = Backend()) {
        backend->UploadTexture(m_handle, m_kind, 0, m_width, m_height, m_pixels.data(), m_levels > 1);
    }
}

IDirect3DCubeTexture9::IDirect3DCubeTexture9(IDirect3DDevice9* device, UINT edge, UINT levels, DWORD usage,
                                             D3DFORMAT format, D3DPOOL pool)
    : IDirect3DBaseTexture9(device, ETextureKind::Cube, edge, edge, levels, usage, format, pool) {}

HRESULT IDirect3DCubeTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const {
    if (desc == nullptr || level >= m_levels) {
        return D3DERR_INVALIDCALL;
    }
    *desc = LevelDesc(level);
    return D3D_OK;
}

HRESULT IDirect3DCubeTexture9::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) {
    if (surface == nullptr || face > D3DCUBEMAP_FACE_NEGATIVE_Z || level >= m_levels) {
        return D3DERR_INVALIDCALL;
    }
    *surface = IDirect3DSurface9::ForLevel(this, face, level, LevelDesc(level));
    return D3D_OK;
}

void IDirect3DCubeTexture9::SetFace(UINT face, const std::uint8_t* bgra) {
    if (auto* backend = Backend()) {
        backend->UploadTexture(m_handle, m_kind, face, m_width, m_height, bgra, m_levels > 1);
    }
}

CDepthTexture::CDepthTexture(IDirect3DDevice9* device, UINT width, UINT height, D3DFORMAT format)
    : IDirect3DBaseTexture9(device, ETextureKind::DepthStencil, width, height, 1, D3DUSAGE_DEPTHSTENCIL, format,
                            D3DPOOL_DEFAULT) {}

namespace platform {
namespace d3d9 {

HRESULT CBufferStore::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (data == nullptr || m_locked) {
        return D3DERR_INVALIDCALL;
    }
    const auto length = static_cast<UINT>(m_bytes.size());
    if (offset > length) {
        return D3DERR_INVALIDCALL;
    }
    if (size == 0) {
        size = length - offset;
    }
    if (size > length - offset) {
        return D3DERR_INVALIDCALL;
    }
    m_locked = true;
    m_lockOffset = offset;
    m_lockSize = size;
    m_lockFlags = flags;
    *data = m_bytes.data() + offset;
    return D3D_OK;
}

bool CBufferStore::Unlock() {
    if (!m_locked) {
        return false;
    }
    m_locked = false;
    if ((m_lockFlags & D3DLOCK_READONLY) != 0 || m_lockSize == 0) {
        return true;
    }
    const UINT end = m_lockOffset + m_lockSize;
    m_bounds.erase(
        std::remove_if(m_bounds.begin(), m_bounds.end(),
                       [&](const SBounds& bounds) { return bounds.begin < end && m_lockOffset < bounds.end; }),
        m_bounds.end());
    if (m_dynamic && (m_lockFlags & D3DLOCK_NOOVERWRITE) == 0) {
        // Fresh storage holds nothing yet: every byte is to be sent again when drawn.
        m_renewPending = true;
        m_dirtyBegin = 0;
        m_dirtyEnd = static_cast<UINT>(m_bytes.size());
    } else if (m_dirtyBegin == m_dirtyEnd) {
        m_dirtyBegin = m_lockOffset;
        m_dirtyEnd = end;
    } else {
        m_dirtyBegin = std::min(m_dirtyBegin, m_lockOffset);
        m_dirtyEnd = std::max(m_dirtyEnd, end);
    }
    return true;
}

void CBufferStore::Sync(IDeviceBackend* backend, BackendHandle handle, UINT begin, UINT end) {
    const UINT from = std::max(begin, m_dirtyBegin);
    const UINT to = std::min(end, m_dirtyEnd);
    if (backend == nullptr || from >= to) {
        return;
    }
    backend->UpdateBuffer(handle, from, to - from, m_bytes.data() + from, m_renewPending);
    m_renewPending = false;
    // What the draw did not read stays to be sent; a range cut from the middle keeps both ends.
    if (from <= m_dirtyBegin) {
        m_dirtyBegin = to;
    } else if (to >= m_dirtyEnd) {
        m_dirtyEnd = from;
    }
    if (m_dirtyBegin >= m_dirtyEnd) {
        m_dirtyBegin = m_dirtyEnd = 0;
    }
}

void CBufferStore::ExactIndexBounds(UINT first, UINT count, UINT indexSize, std::size_t* lowest,
                                    std::size_t* highest) const {
    const std::uint8_t* at = m_bytes.data() + static_cast<std::size_t>(first) * indexSize;
    std::size_t high = 0;
    std::size_t low = SIZE_MAX;
    if (indexSize == 4) {
        std::uint32_t wideHigh = 0;
        std::uint32_t wideLow = UINT32_MAX;
        for (UINT i = 0; i < count; ++i) {
            std::uint32_t index = 0;
            std::memcpy(&index, at + static_cast<std::size_t>(i) * 4, 4);
            wideHigh = std::max(wideHigh, index);
            wideLow = std::min(wideLow, index);
        }
        high = wideHigh;
        low = count > 0 ? wideLow : SIZE_MAX;
    } else {
        std::uint16_t narrowHigh = 0;
        std::uint16_t narrowLow = UINT16_MAX;
        for (UINT i = 0; i < count; ++i) {
            std::uint16_t index = 0;
            std::memcpy(&index, at + static_cast<std::size_t>(i) * 2, 2);
            narrowHigh = std::max(narrowHigh, index);
            narrowLow = std::min(narrowLow, index);
        }
        high = narrowHigh;
        low = count > 0 ? narrowLow : SIZE_MAX;
    }
    *lowest = low;
    *highest = high;
}

void CBufferStore::IndexBounds(UINT first, UINT count, UINT indexSize, std::size_t* lowest, std::size_t* highest) {
    const UINT begin = first * indexSize;
    const UINT end = begin + count * indexSize;
    auto after = std::upper_bound(m_bounds.begin(), m_bounds.end(), begin,
                                  [](UINT at, const SBounds& bounds) { return at < bounds.begin; });
    if (after != m_bounds.begin()) {
        const SBounds& holder = *(after - 1);
        if (end <= holder.end) {
            *lowest = holder.lowest;
            *highest = holder.highest;
            return;
        }
    }
    ExactIndexBounds(first, count, indexSize, lowest, highest);
    // Ranges that overlap or touch this one join it: together they were all scanned.
    SBounds joined{begin, end, *lowest, *highest};
    auto from = std::lower_bound(m_bounds.begin(), m_bounds.end(), begin,
                                 [](const SBounds& bounds, UINT at) { return bounds.end < at; });
    auto to = from;
    while (to != m_bounds.end() && to->begin <= end) {
        joined.begin = std::min(joined.begin, to->begin);
        joined.end = std::max(joined.end, to->end);
        joined.lowest = std::min(joined.lowest, to->lowest);
        joined.highest = std::max(joined.highest, to->highest);
        ++to;
    }
    from = m_bounds.erase(from, to);
    // Kept small: a buffer drawn in many scattered pieces simply scans them again.
    if (m_bounds.size() >= 64) {
        m_bounds.clear();
        from = m_bounds.begin();
    }
    m_bounds.insert(from, joined);
}

} // namespace d3d9
} // namespace platform

IDirect3DVertexBuffer9::IDirect3DVertexBuffer9(IDirect3DDevice9* device, UINT length, DWORD usage, DWORD fvf,
                                               D3DPOOL pool)
    : IDirect3DResource9(device, pool),
      m_store(length, false, (usage & D3DUSAGE_DYNAMIC) != 0),
      m_usage(usage),
      m_fvf(fvf) {
    if (auto* backend = Backend()) {
        m_handle = backend->CreateBuffer(length, false, m_store.IsDynamic());
    }
}

IDirect3DVertexBuffer9::~IDirect3DVertexBuffer9() {
    if (auto* backend = Backend()) {
        backend->DestroyBuffer(m_handle);
    }
}

void IDirect3DVertexBuffer9::DetachDevice() {
    if (auto* backend = Backend()) {
        backend->DestroyBuffer(m_handle);
    }
    m_handle = 0;
    IDirect3DResource9::DetachDevice();
}

HRESULT IDirect3DVertexBuffer9::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    return m_store.Lock(offset, size, data, flags);
}

HRESULT IDirect3DVertexBuffer9::Unlock() { return m_store.Unlock() ? D3D_OK : D3DERR_INVALIDCALL; }

void IDirect3DVertexBuffer9::Sync(UINT begin, UINT end) { m_store.Sync(Backend(), m_handle, begin, end); }

HRESULT IDirect3DVertexBuffer9::GetDesc(D3DVERTEXBUFFER_DESC* desc) const {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    desc->Usage = m_usage;
    desc->Pool = m_pool;
    desc->Size = static_cast<UINT>(m_store.Bytes().size());
    desc->FVF = m_fvf;
    return D3D_OK;
}

IDirect3DIndexBuffer9::IDirect3DIndexBuffer9(IDirect3DDevice9* device, UINT length, DWORD usage, D3DFORMAT format,
                                             D3DPOOL pool)
    : IDirect3DResource9(device, pool),
      m_store(length, true, (usage & D3DUSAGE_DYNAMIC) != 0),
      m_usage(usage),
      m_format(format) {
    if (auto* backend = Backend()) {
        m_handle = backend->CreateBuffer(length, true, m_store.IsDynamic());
    }
}

IDirect3DIndexBuffer9::~IDirect3DIndexBuffer9() {
    if (auto* backend = Backend()) {
        backend->DestroyBuffer(m_handle);
    }
}

void IDirect3DIndexBuffer9::DetachDevice() {
    if (auto* backend = Backend()) {
        backend->DestroyBuffer(m_handle);
    }
    m_handle = 0;
    IDirect3DResource9::DetachDevice();
}

HRESULT IDirect3DIndexBuffer9::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    return m_store.Lock(offset, size, data, flags);
}

HRESULT IDirect3DIndexBuffer9::Unlock() { return m_store.Unlock() ? D3D_OK : D3DERR_INVALIDCALL; }

void IDirect3DIndexBuffer9::Sync(UINT begin, UINT end) { m_store.Sync(Backend(), m_handle, begin, end); }

void IDirect3DIndexBuffer9::IndexBounds(UINT first, UINT count, std::size_t* lowest, std::size_t* highest) {
    m_store.IndexBounds(first, count, m_format == D3DFMT_INDEX32 ? 4 : 2, lowest, highest);
}

void IDirect3DIndexBuffer9::ExactIndexBounds(UINT first, UINT count, std::size_t* lowest, std::size_t* highest) const {
    m_store.ExactIndexBounds(first, count, m_format == D3DFMT_INDEX32 ? 4 : 2, lowest, highest);
}

HRESULT IDirect3DIndexBuffer9::GetDesc(D3DINDEXBUFFER_DESC* desc) const {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    desc->Format = m_format;
    desc->Usage = m_usage;
    desc->Pool = m_pool;
    desc->Size = static_cast<UINT>(m_store.Bytes().size());
    return D3D_OK;
}

IDirect3DVertexDeclaration9::IDirect3DVertexDeclaration9(IDirect3DDevice9* device, const D3DVERTEXELEMENT9* elements)
    : IDirect3DResource9(device, D3DPOOL_MANAGED) {
    static std::uint64_t s_serial = 0;
    m_serial = ++s_serial;
    for (const D3DVERTEXELEMENT9* element = elements; element != nullptr && element->Stream != 0xFF; ++element) {
        m_elements.push_back(*element);
    }
}

HRESULT IDirect3DVertexDeclaration9::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) const {
    if (count == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *count = static_cast<UINT>(m_elements.size() + 1);
    if (elements != nullptr) {
        std::copy(m_elements.begin(), m_elements.end(), elements);
        elements[m_elements.size()] = D3DVERTEXELEMENT9 D3DDECL_END();
    }
    return D3D_OK;
}
