// velm::gfx::CFixedGeometry: device buffers of the geometry that does not change (terrain, water
// grids, quads), filled once and drawn from on every pass of every frame instead of streaming the
// arrays through the renderer's dynamic buffers each draw. Buffers that go undrawn for a while are
// let go, so a level's geometry does not outlive it; geometry that is freed says so (Retire, from
// any thread), and its buffers go before the next level's are made, so two levels' buffers are
// never held at once. Main thread only, but for Retire.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "engine/gfx/geometry_chunks.h"
#include "engine/gfx/render_data.h"
#include "platform/d3d9/d3d9.h"

namespace velm {
namespace gfx {

class CFixedGeometry {
public:
    struct SBuffers {
        IDirect3DVertexBuffer9* vertices = nullptr;
        IDirect3DIndexBuffer9* indices = nullptr;
        std::uint64_t lastSweep = 0;
        CGeometryChunks chunks;
    };

    CFixedGeometry() = default;
    ~CFixedGeometry();
    CFixedGeometry(const CFixedGeometry&) = delete;
    CFixedGeometry& operator=(const CFixedGeometry&) = delete;

    // The buffers holding the geometry, made and filled at its first draw; null when it changes
    // (no fixed serial) or the buffers cannot be made, and then it is streamed as before.
    const SBuffers* Find(const SUnitGeometry& geometry);
    // Counts a draw; every so many, the buffers not drawn since the last such sweep are freed.
    void Drawn();
    void Release();
    // The geometry of this serial is gone: its buffers are freed at the next Find or Drawn. Safe
    // from any thread (units are freed where their level is cleared).
    void Retire(std::uint64_t serial);
    std::size_t GetCount() const { return m_buffers.size(); }
    // The buffers kept for a serial, or null.
    const SBuffers* Held(std::uint64_t serial) const {
        auto found = m_buffers.find(serial);
        return found != m_buffers.end() ? &found->second : nullptr;
    }

    static constexpr std::uint32_t kDrawsPerSweep = 4096;

private:
    void FreeRetired();

    std::unordered_map<std::uint64_t, SBuffers> m_buffers;
    std::mutex m_retiredLock;
    std::vector<std::uint64_t> m_retired;  // guarded by m_retiredLock
    std::atomic<bool> m_anyRetired{false}; // set under m_retiredLock; read first without it
    std::uint64_t m_sweep = 0;
    std::uint32_t m_draws = 0;
};

} // namespace gfx
} // namespace velm
