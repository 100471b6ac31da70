#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/gfx/geometry_chunks.h"
#include "engine/gfx/mesh_hierarchy.h"

namespace {

using velm::gfx::CGeometryChunks;
using velm::gfx::SChunkView;
using velm::gfx::SIndexRange;
using velm::gfx::SMeshVertex;

// A flat grid of side x side vertices one metre apart at height y, rows along +z, triangles in
// row order as the terrain lays them.
struct SGrid {
    std::vector<SMeshVertex> vertices;
    std::vector<std::uint16_t> indices;
    velm::gfx::SUnitGeometry geometry;

    std::vector<std::uint16_t> far;

    SGrid(std::uint32_t side, float y) {
        for (std::uint32_t r = 0; r < side; ++r) {
            for (std::uint32_t c = 0; c < side; ++c) {
                SMeshVertex vertex{};
                vertex.position = D3DXVECTOR3(static_cast<float>(c), y, static_cast<float>(r));
                vertices.push_back(vertex);
            }
        }
        indices = Lay(side, 1);
        geometry.vertices = vertices.data();
        geometry.vertexCount = static_cast<std::uint32_t>(vertices.size());
        geometry.indices = indices.data();
        geometry.indexCount = static_cast<std::uint32_t>(indices.size());
    }

    static std::vector<std::uint16_t> Lay(std::uint32_t side, std::uint32_t step) {
        std::vector<std::uint16_t> laid;
        for (std::uint32_t r = 0; r + step < side; r += step) {
            for (std::uint32_t c = 0; c + step < side; c += step) {
                const auto a = static_cast<std::uint16_t>(r * side + c);
                const auto b = static_cast<std::uint16_t>(a + side * step);
                laid.insert(laid.end(), {a, static_cast<std::uint16_t>(a + step), b, b,
                                         static_cast<std::uint16_t>(a + step), static_cast<std::uint16_t>(b + step)});
            }
        }
        return laid;
    }

    // The grid again over every other vertex: two rows make a run, one row of the cover its run.
    void CoverFarAway(std::uint32_t side) {
        far = Lay(side, 2);
        geometry.trianglesPerRun = 4 * (side - 1);
        geometry.farIndices = far.data();
        geometry.farIndexCount = static_cast<std::uint32_t>(far.size());
        geometry.farTrianglesPerRun = side - 1;
    }
};

SChunkView Looking(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, float farPlane) {
    SChunkView view;
    D3DXMatrixIdentity(&view.world);
    D3DXMATRIX look;
    D3DXMATRIX projection;
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&look, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.7854f, 4.0f / 3.0f, 0.5f, farPlane);
    D3DXMatrixMultiply(&view.viewProjection, &look, &projection);
    view.eye = eye;
    return view;
}

// Whether some point of the triangle lies inside the view volume.
bool Inside(const SGrid& grid, const SChunkView& view, std::uint32_t triangle) {
    for (std::uint32_t corner = 0; corner < 3; ++corner) {
        const D3DXVECTOR3& p = grid.vertices[grid.indices[triangle * 3 + corner]].position;
        D3DXVECTOR4 clip;
        D3DXVec3Transform(&clip, &p, &view.viewProjection);
        if (clip.w > 0.0f && std::fabs(clip.x) <= clip.w && std::fabs(clip.y) <= clip.w && clip.z >= 0.0f &&
            clip.z <= clip.w) {
            return true;
        }
    }
    return false;
}

bool Covered(const std::vector<SIndexRange>& ranges, std::uint32_t triangle) {
    for (const SIndexRange& range : ranges) {
        if (triangle * 3 >= range.firstIndex && triangle * 3 < range.firstIndex + range.indexCount) {
            return true;
        }
    }
    return false;
}

std::uint32_t Indices(const std::vector<SIndexRange>& ranges) {
    std::uint32_t count = 0;
    for (const SIndexRange& range : ranges) {
        count += range.indexCount;
    }
    return count;
}

TEST(GeometryChunksTest, OnlyRunsWhollyOutOfViewAreLeftOutAndTheRestAreJoinedInOrder) {
    const SGrid grid(65, 0.0f);
    const CGeometryChunks chunks(grid.geometry);
    ASSERT_TRUE(chunks.IsCut());
    // Standing over the middle of the grid, looking along +z with a short far plane: the rows
    // behind and those past the far plane are out of view.
    const SChunkView view = Looking(D3DXVECTOR3(32.0f, 3.0f, 20.0f), D3DXVECTOR3(32.0f, 0.0f, 30.0f), 20.0f);
    std::vector<SIndexRange> clear;
    std::vector<SIndexRange> fogged;
    chunks.Visible(view, grid.geometry.indexCount, &clear, &fogged);
    EXPECT_TRUE(fogged.empty());
    ASSERT_EQ(clear.size(), 1u) << "the rows in view are neighbours: one draw";
    EXPECT_GT(clear[0].firstIndex, 0u);
    EXPECT_LT(Indices(clear), grid.geometry.indexCount / 2);
    for (std::uint32_t triangle = 0; triangle < grid.geometry.indexCount / 3; ++triangle) {
        if (Inside(grid, view, triangle)) {
            ASSERT_TRUE(Covered(clear, triangle)) << "triangle " << triangle << " is in view but not drawn";
        }
    }
    for (std::uint32_t index = clear[0].firstIndex; index < clear[0].firstIndex + clear[0].indexCount; ++index) {
        EXPECT_GE(grid.indices[index], clear[0].lowest);
        EXPECT_LE(grid.indices[index], clear[0].highest);
    }

    // A record that counts fewer faces than the arrays hold draws no more than it counts.
    chunks.Visible(view, clear[0].firstIndex + 3, &clear, &fogged);
    ASSERT_EQ(clear.size(), 1u);
    EXPECT_EQ(clear[0].indexCount, 3u);
}

TEST(GeometryChunksTest, WavesThatMayLiftTheSurfaceIntoViewKeepItAndTheFogWallSortsTheRest) {
    const SGrid grid(65, 0.0f);
    const CGeometryChunks chunks(grid.geometry);
    std::vector<SIndexRange> clear;
    std::vector<SIndexRange> fogged;
    // Looking level from 2 m up with a tight view: the still surface stays under the bottom edge
    // near the eye; lifted by up to 2 m it may reach it.
    SChunkView view = Looking(D3DXVECTOR3(32.0f, 2.0f, -3.0f), D3DXVECTOR3(32.0f, 2.0f, 10.0f), 4.0f);
    chunks.Visible(view, grid.geometry.indexCount, &clear, &fogged);
    const std::uint32_t still = Indices(clear);
    view.rise = 2.0f;
    chunks.Visible(view, grid.geometry.indexCount, &clear, &fogged);
    EXPECT_GT(Indices(clear), still);

    // Far enough to see the whole grid: runs wholly past 30 m from the eye are the fog's, those
    // nearer or crossing the wall stay clear, and together they are everything in view.
    view = Looking(D3DXVECTOR3(32.0f, 10.0f, -5.0f), D3DXVECTOR3(32.0f, 0.0f, 30.0f), 200.0f);
    chunks.Visible(view, grid.geometry.indexCount, &clear, &fogged);
    const std::uint32_t seen = Indices(clear);
    view.fogWall = 30.0f;
    chunks.Visible(view, grid.geometry.indexCount, &clear, &fogged);
    ASSERT_FALSE(fogged.empty());
    EXPECT_EQ(Indices(clear) + Indices(fogged), seen);
    for (const SIndexRange& range : fogged) {
        for (std::uint32_t index = range.firstIndex; index < range.firstIndex + range.indexCount; ++index) {
            const D3DXVECTOR3 gap = grid.vertices[grid.indices[index]].position - view.eye;
            ASSERT_GT(std::sqrt(gap.x * gap.x + gap.y * gap.y + gap.z * gap.z), 30.0f);
        }
    }
}

TEST(GeometryChunksTest, RunsPastTheFogWallAreDrawnByTheirFarCoverWhenItMatchesRunForRun) {
    SGrid grid(65, 0.0f);
    grid.CoverFarAway(65);
    const CGeometryChunks chunks(grid.geometry);
    ASSERT_TRUE(chunks.HasFarCover());
    SChunkView view = Looking(D3DXVECTOR3(32.0f, 10.0f, -5.0f), D3DXVECTOR3(32.0f, 0.0f, 30.0f), 200.0f);
    std::vector<SIndexRange> clear;
    std::vector<SIndexRange> fogged;
    chunks.Visible(view, grid.geometry.indexCount, &clear, &fogged);
    EXPECT_TRUE(fogged.empty()) << "without fog the cover is never drawn";
    const std::uint32_t seen = Indices(clear);

    view.fogWall = 30.0f;
    chunks.Visible(view, grid.geometry.indexCount, &clear, &fogged);
    ASSERT_FALSE(fogged.empty());
    const std::uint32_t runs = grid.geometry.trianglesPerRun * 3;
    EXPECT_EQ(Indices(clear) % runs, 0u);
    for (const SIndexRange& range : clear) {
        EXPECT_LE(range.firstIndex + range.indexCount, grid.geometry.indexCount);
    }
    // The cover's indices follow the grid's: every fogged range is the cover's, a quarter the size
    // of the runs it stands for, and lies past the wall.
    const std::uint32_t coveredRuns = (seen - Indices(clear)) / runs;
    EXPECT_EQ(Indices(fogged), coveredRuns * runs / 4);
    for (const SIndexRange& range : fogged) {
        ASSERT_GE(range.firstIndex, grid.geometry.indexCount);
        for (std::uint32_t index = range.firstIndex; index < range.firstIndex + range.indexCount; ++index) {
            const std::uint16_t vertex = grid.far[index - grid.geometry.indexCount];
            EXPECT_GE(vertex, range.lowest);
            EXPECT_LE(vertex, range.highest);
            const D3DXVECTOR3 gap = grid.vertices[vertex].position - view.eye;
            ASSERT_GT(std::sqrt(gap.x * gap.x + gap.y * gap.y + gap.z * gap.z), 30.0f);
        }
    }
    // A record drawing part of a run draws that part itself.
    const std::uint32_t last = grid.geometry.indexCount - runs / 2;
    chunks.Visible(view, last, &clear, &fogged);
    ASSERT_FALSE(fogged.empty());
    EXPECT_EQ(fogged.back().firstIndex + fogged.back().indexCount, last);

    // A cover of another number of runs, or naming a vertex the grid lacks, is not used.
    grid.geometry.farTrianglesPerRun = 32;
    EXPECT_FALSE(CGeometryChunks(grid.geometry).HasFarCover());
    grid.geometry.farTrianglesPerRun = 64;
    grid.far[10] = static_cast<std::uint16_t>(grid.vertices.size());
    const CGeometryChunks broken(grid.geometry);
    EXPECT_TRUE(broken.IsCut());
    EXPECT_FALSE(broken.HasFarCover());
}

TEST(GeometryChunksTest, AnIndexPastTheVerticesOrTooFewTrianglesLeaveTheMeshWhole) {
    SGrid grid(65, 0.0f);
    grid.indices[grid.indices.size() / 2] = static_cast<std::uint16_t>(grid.vertices.size());
    EXPECT_FALSE(CGeometryChunks(grid.geometry).IsCut());
    const SGrid small(3, 0.0f);
    EXPECT_FALSE(CGeometryChunks(small.geometry).IsCut());
}

} // namespace
