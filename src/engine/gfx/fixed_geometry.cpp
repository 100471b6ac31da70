#include "engine/gfx/fixed_geometry.h"

#include <atomic>
#include <cstring>

#include "engine/gfx/gfx_core.h"

namespace velm {
namespace gfx {

std::uint64_t NextGeometrySerial() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

namespace {

void Free(CFixedGeometry::SBuffers* buffers) {
    if (buffers->vertices != nullptr) {
        buffers->vertices->Release();
    }
    if (buffers->indices != nullptr) {
        buffers->indices->Release();
    }
}

} // namespace

CFixedGeometry::~CFixedGeometry() { Release(); }

const CFixedGeometry::SBuffers* CFixedGeometry::Find(const SUnitGeometry& geometry) {
    FreeRetired();
    if (geometry.fixedSerial == 0 || geometry.vertices == nullptr || geometry.indices == nullptr ||
        geometry.vertexCount == 0 || geometry.indexCount == 0 || !GFXCore::Exists() ||
        GFXCore::Instance().GetDevice() == nullptr) {
        return nullptr;
    }
    auto found = m_buffers.find(geometry.fixedSerial);
    if (found != m_buffers.end()) {
        found->second.lastSweep = m_sweep;
        return &found->second;
    }
    CGFXCore& core = GFXCore::Instance();
    const UINT vertexBytes = geometry.vertexCount * kVertexStride;
    // A far cover follows the geometry's own indices in the same buffer.
    const UINT farBytes = geometry.farIndices != nullptr ? geometry.farIndexCount * 2 : 0;
    const UINT indexBytes = geometry.indexCount * 2;
    SBuffers buffers;
    buffers.lastSweep = m_sweep;
    core.CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffers.vertices);
    core.CreateIndexBuffer(indexBytes + farBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                           &buffers.indices);
    void* target = nullptr;
    bool filled = buffers.vertices != nullptr && buffers.indices != nullptr;
    if (filled && SUCCEEDED(buffers.vertices->Lock(0, vertexBytes, &target, 0))) {
        std::memcpy(target, geometry.vertices, vertexBytes);
        buffers.vertices->Unlock();
    } else {
        filled = false;
    }
    if (filled && SUCCEEDED(buffers.indices->Lock(0, indexBytes + farBytes, &target, 0))) {
        std::memcpy(target, geometry.indices, indexBytes);
        if (farBytes > 0) {
            std::memcpy(static_cast<char*>(target) + indexBytes, geometry.farIndices, farBytes);
        }
        buffers.indices->Unlock();
    } else {
        filled = false;
    }
    if (!filled) {
        Free(&buffers);
        return nullptr;
    }
    buffers.chunks = CGeometryChunks(geometry);
    return &(m_buffers[geometry.fixedSerial] = buffers);
}

void CFixedGeometry::Retire(std::uint64_t serial) {
    if (serial == 0) {
        return;
    }
    const std::lock_guard<std::mutex> hold(m_retiredLock);
    m_retired.push_back(serial);
    m_anyRetired.store(true, std::memory_order_release);
}

void CFixedGeometry::FreeRetired() {
    if (!m_anyRetired.load(std::memory_order_acquire)) {
        return;
    }
    std::vector<std::uint64_t> retired;
    {
        const std::lock_guard<std::mutex> hold(m_retiredLock);
        retired.swap(m_retired);
        m_anyRetired.store(false, std::memory_order_release);
    }
    for (const std::uint64_t serial : retired) {
        auto found = m_buffers.find(serial);
        if (found != m_buffers.end()) {
            Free(&found->second);
            m_buffers.erase(found);
        }
    }
}

void CFixedGeometry::Drawn() {
    FreeRetired();
    if (++m_draws < kDrawsPerSweep) {
        return;
    }
    m_draws = 0;
    for (auto it = m_buffers.begin(); it != m_buffers.end();) {
        if (it->second.lastSweep < m_sweep) {
            Free(&it->second);
            it = m_buffers.erase(it);
        } else {
            ++it;
        }
    }
    ++m_sweep;
}

void CFixedGeometry::Release() {
    for (auto& [serial, buffers] : m_buffers) {
        Free(&buffers);
    }
    m_buffers.clear();
}

} // namespace gfx
} // namespace velm
