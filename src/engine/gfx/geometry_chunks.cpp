#include "engine/gfx/geometry_chunks.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/gfx/mesh_hierarchy.h"

namespace velm {
namespace gfx {

namespace {

// Clip-space x and y may reach this far past w and still touch a pixel: the device shifts
// positions by up to half a pixel, and a little more keeps the test on the safe side.
constexpr float kEdgeSlack = 1.02f;

D3DXVECTOR4 Row(const D3DXVECTOR3& v, float w, const D3DXMATRIX& m) {
    D3DXVECTOR4 out;
    const D3DXVECTOR4 in(v.x, v.y, v.z, w);
    D3DXVec4Transform(&out, &in, &m);
    return out;
}

// The largest value over the box (centre plus or minus each axis) of a linear function of the
// clip-space position.
struct SClipBox {
    D3DXVECTOR4 centre;
    D3DXVECTOR4 axes[4];

    template <typename F>
    float Most(F f) const {
        float most = f(centre);
        for (const D3DXVECTOR4& axis : axes) {
            most += std::fabs(f(axis));
        }
        return most;
    }

    // Some point of the box may be inside every side of the view volume (0 <= z <= w).
    bool MayBeSeen() const {
        return Most([](const D3DXVECTOR4& p) { return kEdgeSlack * p.w - p.x; }) >= 0.0f &&
               Most([](const D3DXVECTOR4& p) { return kEdgeSlack * p.w + p.x; }) >= 0.0f &&
               Most([](const D3DXVECTOR4& p) { return kEdgeSlack * p.w - p.y; }) >= 0.0f &&
               Most([](const D3DXVECTOR4& p) { return kEdgeSlack * p.w + p.y; }) >= 0.0f &&
               Most([](const D3DXVECTOR4& p) { return p.z; }) >= 0.0f &&
               Most([](const D3DXVECTOR4& p) { return p.w - p.z; }) >= 0.0f;
    }
};

} // namespace

CGeometryChunks::CGeometryChunks(const SUnitGeometry& geometry) {
    if (geometry.vertices == nullptr || geometry.indices == nullptr) {
        return;
    }
    const std::uint32_t perRun = geometry.trianglesPerRun > 0 ? geometry.trianglesPerRun : kTrianglesPerChunk;
    if (!Cut(geometry, geometry.indices, geometry.indexCount, perRun, 0, &m_chunks)) {
        return; // no box can be trusted, so nothing is cut
    }
    if (geometry.farIndices != nullptr && geometry.farTrianglesPerRun > 0 &&
        Cut(geometry, geometry.farIndices, geometry.farIndexCount, geometry.farTrianglesPerRun, geometry.indexCount,
            &m_far) &&
        m_far.size() != m_chunks.size()) {
        m_far.clear(); // a cover that does not match run for run is not used
    }
}

bool CGeometryChunks::Cut(const SUnitGeometry& geometry, const std::uint16_t* indices, std::uint32_t count,
                          std::uint32_t perRun, std::uint32_t offset, std::vector<SChunk>* into) {
    const std::uint32_t whole = count - count % 3;
    const std::uint32_t step = perRun * 3;
    for (std::uint32_t first = 0; first < whole; first += step) {
        SChunk chunk;
        chunk.range.firstIndex = first + offset;
        chunk.range.indexCount = std::min(step, whole - first);
        chunk.range.lowest = std::numeric_limits<std::uint32_t>::max();
        D3DXVECTOR3 low(std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                        std::numeric_limits<float>::max());
        D3DXVECTOR3 high = -low;
        for (std::uint32_t i = first; i < first + chunk.range.indexCount; ++i) {
            const std::uint32_t vertex = indices[i];
            if (vertex >= geometry.vertexCount) {
                into->clear();
                return false;
            }
            chunk.range.lowest = std::min(chunk.range.lowest, vertex);
            chunk.range.highest = std::max(chunk.range.highest, vertex);
            const D3DXVECTOR3& p = geometry.vertices[vertex].position;
            low = D3DXVECTOR3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
            high = D3DXVECTOR3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        }
        chunk.centre = (low + high) * 0.5f;
        chunk.half = (high - low) * 0.5f;
        into->push_back(chunk);
    }
    return true;
}

void CGeometryChunks::Visible(const SChunkView& view, std::uint32_t indexCount, std::vector<SIndexRange>* clear,
                              std::vector<SIndexRange>* fogged) const {
    clear->clear();
    fogged->clear();
    D3DXMATRIX toClip;
    D3DXMatrixMultiply(&toClip, &view.world, &view.viewProjection);
    // The vertical move is made in the world, after the unit's own transform.
    const D3DXVECTOR4 lift = Row(D3DXVECTOR3(0.0f, std::fabs(view.rise), 0.0f), 0.0f, view.viewProjection);
    D3DXVECTOR4 axes[3];
    D3DXVECTOR4 worldAxes[3];
    for (int axis = 0; axis < 3; ++axis) {
        const D3DXVECTOR3 unit(axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f);
        axes[axis] = Row(unit, 0.0f, toClip);
        worldAxes[axis] = Row(unit, 0.0f, view.world);
    }
    const auto mayBeSeen = [&](const SChunk& chunk) {
        SClipBox box;
        box.centre = Row(chunk.centre, 1.0f, toClip);
        box.axes[0] = axes[0] * chunk.half.x;
        box.axes[1] = axes[1] * chunk.half.y;
        box.axes[2] = axes[2] * chunk.half.z;
        box.axes[3] = lift;
        return box.MayBeSeen();
    };
    // Whether the nearest point of the box, taken as the box along the world's axes around it, is
    // past the fog wall.
    const auto pastFog = [&](const SChunk& chunk) {
        const D3DXVECTOR4 centre = Row(chunk.centre, 1.0f, view.world);
        const float half[3] = {chunk.half.x, chunk.half.y, chunk.half.z};
        float gap[3] = {std::fabs(centre.x - view.eye.x), std::fabs(centre.y - view.eye.y) - std::fabs(view.rise),
                        std::fabs(centre.z - view.eye.z)};
        for (int axis = 0; axis < 3; ++axis) {
            gap[0] -= std::fabs(worldAxes[axis].x) * half[axis];
            gap[1] -= std::fabs(worldAxes[axis].y) * half[axis];
            gap[2] -= std::fabs(worldAxes[axis].z) * half[axis];
        }
        const float x = std::max(gap[0], 0.0f);
        const float y = std::max(gap[1], 0.0f);
        const float z = std::max(gap[2], 0.0f);
        return std::sqrt(x * x + y * y + z * z) > view.fogWall;
    };
    const auto append = [](std::vector<SIndexRange>* into, const SIndexRange& range) {
        if (!into->empty() && into->back().firstIndex + into->back().indexCount == range.firstIndex) {
            SIndexRange& last = into->back();
            last.indexCount += range.indexCount;
            last.lowest = std::min(last.lowest, range.lowest);
            last.highest = std::max(last.highest, range.highest);
        } else {
            into->push_back(range);
        }
    };
    for (std::size_t i = 0; i < m_chunks.size(); ++i) {
        const SChunk& chunk = m_chunks[i];
        if (chunk.range.firstIndex >= indexCount) {
            break;
        }
        if (!mayBeSeen(chunk)) {
            continue;
        }
        SIndexRange range = chunk.range;
        range.indexCount = std::min(range.indexCount, indexCount - range.firstIndex);
        if (view.fogWall < 0.0f || !pastFog(chunk)) {
            append(clear, range);
        } else if (m_far.empty() || range.indexCount != chunk.range.indexCount) {
            append(fogged, range);
        } else if (mayBeSeen(m_far[i])) {
            // The cover's vertices are some of the run's, so its box lies within the run's.
            append(fogged, m_far[i].range);
        }
    }
}

} // namespace gfx
} // namespace velm
