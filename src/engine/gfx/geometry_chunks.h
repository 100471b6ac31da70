// velm::gfx::CGeometryChunks: a fixed mesh's triangles cut into runs of consecutive triangles with
// the box each run fills, so that a draw sends only the runs that may meet the view, and can tell
// the runs that lie wholly past the fog's end. A software renderer shades and clips every vertex
// it is sent, seen or not, and shades a whole block of pixels for each tiny distant triangle.
// What is left out lies wholly outside the view, so the picture is the same; the runs kept are
// drawn in their order. Where the geometry has a coarser far cover, a run past the fog's end is
// drawn by its cover's run: all of it comes out in the fog's colour, so only the outline of far
// hills may move, by less than the cover's height error. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/gfx/render_data.h"

namespace velm {
namespace gfx {

// A run of indices to draw and the lowest and highest vertex they name.
struct SIndexRange {
    std::uint32_t firstIndex = 0;
    std::uint32_t indexCount = 0;
    std::uint32_t lowest = 0;
    std::uint32_t highest = 0;
};

// What a draw is tested against: the matrices the vertices are placed with, how far (in world
// units, up or down) the technique may move a vertex, and the eye and the distance past which the
// fog covers everything (negative: nothing is covered).
struct SChunkView {
    D3DXMATRIX world;
    D3DXMATRIX viewProjection;
    float rise = 0.0f;
    D3DXVECTOR3 eye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float fogWall = -1.0f;
};

class CGeometryChunks {
public:
    static constexpr std::uint32_t kTrianglesPerChunk = 128;

    CGeometryChunks() = default;
    // The far cover's indices are taken to follow the geometry's own in one index buffer.
    explicit CGeometryChunks(const SUnitGeometry& geometry);

    // More than one run: worth testing against the view.
    bool IsCut() const { return m_chunks.size() > 1; }
    std::size_t GetCount() const { return m_chunks.size(); }
    // A far cover of as many runs, all of whose indices name vertices of the geometry.
    bool HasFarCover() const { return !m_far.empty(); }

    // The ranges to draw of the first indexCount indices, neighbouring runs joined: in `clear`
    // those that may be seen, in `fogged` those seen wholly past the fog wall (the far cover's run
    // instead of a whole run that has one).
    void Visible(const SChunkView& view, std::uint32_t indexCount, std::vector<SIndexRange>* clear,
                 std::vector<SIndexRange>* fogged) const;

private:
    struct SChunk {
        SIndexRange range;
        D3DXVECTOR3 centre;
        D3DXVECTOR3 half;
    };

    // Runs of perRun triangles of the count indices, their ranges moved on by offset; false,
    // leaving `into` empty, when an index is past the vertices.
    static bool Cut(const SUnitGeometry& geometry, const std::uint16_t* indices, std::uint32_t count,
                    std::uint32_t perRun, std::uint32_t offset, std::vector<SChunk>* into);

    std::vector<SChunk> m_chunks;
    std::vector<SChunk> m_far; // empty, or one for each run
};

} // namespace gfx
} // namespace velm
