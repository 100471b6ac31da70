// velm::gfx::CFixedGeometry: device buffers of the geometry that does not change (terrain, water
// grids, quads), filled once and drawn from on every pass of every frame instead of streaming the
// arrays through the renderer's dynamic buffers each draw. Buffers that go undrawn for a while are
// let go, so a level's geometry does not outlive it. Main thread only.
#pragma once

#include <cstdint>
#include <unordered_map>

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
    std::size_t GetCount() const { return m_buffers.size(); }
    // The buffers kept for a serial, or null.
    const SBuffers* Held(std::uint64_t serial) const {
        auto found = m_buffers.find(serial);
        return found != m_buffers.end() ? &found->second : nullptr;
    }

    static constexpr std::uint32_t kDrawsPerSweep = 4096;

private:
    std::unordered_map<std::uint64_t, SBuffers> m_buffers;
    std::uint64_t m_sweep = 0;
    std::uint32_t m_draws = 0;
};

} // namespace gfx
} // namespace velm
