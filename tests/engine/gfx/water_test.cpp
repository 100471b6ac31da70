#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <vector>

#include "engine/gfx/gfx_water.h"
#include "engine/gfx/vbib_file.h"
#include "engine/gfx/water.h"
#include "engine/phy/water_field.h"
#include "support/temp_dir.h"

namespace {

using common::CVector3;
using velm::gfx::SMeshVertex;
using velm::gfx::SWaterGrid;
using velm::gfx::SWaterMesh;

void ExpectVertex(const SMeshVertex& v, float x, float y, float z, float u, float tv, int i) {
    EXPECT_FLOAT_EQ(v.position.x, x) << i;
    EXPECT_FLOAT_EQ(v.position.y, y) << i;
    EXPECT_FLOAT_EQ(v.position.z, z) << i;
    EXPECT_FLOAT_EQ(v.u, u) << i;
    EXPECT_FLOAT_EQ(v.v, tv) << i;
}

std::vector<std::uint16_t> Indices(const velm::gfx::IGfxUnit& unit) {
    const velm::gfx::SUnitGeometry& g = unit.GetGeometry();
    return std::vector<std::uint16_t>(g.indices, g.indices + g.indexCount);
}

float Surface(const velm::phy::CWaterField& field, float x, float z, bool* found) {
    float height = 0.0f;
    CVector3 normal;
    CVector3 flow;
    *found = field.GetSurface(x, z, height, normal, flow);
    return height;
}

TEST(WaterUnits, EachKindBuildsItsMeshWithMaterialAndSphere) {
    velm::gfx::CGfxPlanarWaveWater wave;
    const SWaterGrid grid{3, 2, 2.0f};
    wave.CreateGeometry({"Water2.fx", "", "RenderPlanarWaveWater"}, &grid, nullptr);
    // Row 0 at +z, columns along +x; texture v grows with the row.
    const velm::gfx::SUnitGeometry& g = wave.GetGeometry();
    ASSERT_EQ(g.vertexCount, 6u);
    const float expected[6][5] = {{-2, 0, 1, 0, 0},  {0, 0, 1, 0.5f, 0},  {2, 0, 1, 1, 0},
                                  {-2, 0, -1, 0, 1}, {0, 0, -1, 0.5f, 1}, {2, 0, -1, 1, 1}};
    for (int i = 0; i < 6; ++i) {
        ExpectVertex(g.vertices[i], expected[i][0], expected[i][1], expected[i][2], expected[i][3], expected[i][4], i);
        EXPECT_EQ(g.vertices[i].normal, D3DXVECTOR3(0.0f, 1.0f, 0.0f)) << i;
    }
    EXPECT_EQ(Indices(wave), (std::vector<std::uint16_t>{0, 1, 3, 3, 1, 4, 1, 2, 4, 4, 2, 5}));
    EXPECT_EQ(wave.GetFaceCount(), 4u);
    EXPECT_FLOAT_EQ(wave.GetWorldBoundingSphere().radius, std::sqrt(5.0f));
    EXPECT_FLOAT_EQ(wave.GetMaterial()->MatD3D.Power, 256.0f);
    EXPECT_FALSE(wave.SetAnimation(0, true));

    velm::gfx::CGfxPlanarWater planar;
    planar.CreateGeometry({"Water2.fx", "", "RenderPlanarWater"}, &grid, nullptr);
    const velm::gfx::SUnitGeometry& q = planar.GetGeometry();
    ASSERT_EQ(q.vertexCount, 4u) << "the grid is not the planar water's";
    ExpectVertex(q.vertices[0], -0.5f, 0, 0.5f, 0, 0, 0);
    ExpectVertex(q.vertices[1], 0.5f, 0, 0.5f, 1, 0, 1);
    ExpectVertex(q.vertices[2], 0.5f, 0, -0.5f, 1, 1, 2);
    ExpectVertex(q.vertices[3], -0.5f, 0, -0.5f, 0, 1, 3);
    EXPECT_EQ(Indices(planar), (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(planar.GetFaceCount(), 2u);
    EXPECT_FLOAT_EQ(planar.GetWorldBoundingSphere().radius, std::sqrt(0.5f));
    EXPECT_FLOAT_EQ(planar.GetMaterial()->MatD3D.Power, 60.0f);

    velm::gfx::CGfxSplineWater spline;
    std::vector<SMeshVertex> vertices(3, SMeshVertex{});
    vertices[2].position = D3DXVECTOR3(4.0f, 0.0f, 0.0f);
    const std::uint16_t indices[3] = {0, 1, 2};
    const SWaterMesh mesh{vertices.data(), 3, indices, 3};
    spline.CreateGeometry({"Water2.fx", "", "RenderSplineWater"}, &grid, &mesh);
    EXPECT_EQ(spline.GetGeometry().vertexCount, 3u);
    EXPECT_EQ(spline.GetFaceCount(), 1u);
    EXPECT_FLOAT_EQ(spline.GetWorldBoundingSphere().radius, 2.0f);
    EXPECT_EQ(spline.GetWaterKind(), 2u);
}

TEST(WaterUnits, MeshesThatCannotBeDrawnLeaveTheUnitEmptyWithALogLine) {
    const std::uint16_t pastTheEnd[3] = {0, 1, 3};
    std::vector<SMeshVertex> vertices(3, SMeshVertex{});
    const SWaterMesh badIndex{vertices.data(), 3, pastTheEnd, 3};
    const SWaterMesh partTriangle{vertices.data(), 3, pastTheEnd, 2};
    const SWaterGrid oneRow{1, 5, 1.0f};
    const SWaterGrid tooMany{300, 300, 1.0f};
    struct SCase {
        const char* what;
        const SWaterGrid* grid;
        const SWaterMesh* mesh;
        bool spline;
    };
    const SCase cases[] = {{"an index past the vertices", nullptr, &badIndex, true},
                           {"a part triangle", nullptr, &partTriangle, true},
                           {"no mesh", nullptr, nullptr, true},
                           {"one row", &oneRow, nullptr, false},
                           {"more vertices than 16-bit indices reach", &tooMany, nullptr, false},
                           {"no grid", nullptr, nullptr, false}};
    for (const SCase& c : cases) {
        std::unique_ptr<velm::gfx::ACGfxWater> unit;
        if (c.spline) {
            unit = std::make_unique<velm::gfx::CGfxSplineWater>();
        } else {
            unit = std::make_unique<velm::gfx::CGfxPlanarWaveWater>();
        }
        ::testing::internal::CaptureStderr();
        unit->CreateGeometry({"Water2.fx", "", "RenderSplineWater"}, c.grid, c.mesh);
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("stays empty"), std::string::npos) << c.what;
        EXPECT_EQ(unit->GetGeometry().vertexCount, 0u) << c.what;
        EXPECT_EQ(unit->GetFaceCount(), 0u) << c.what;
        unit->Prepare();
        EXPECT_EQ(unit->GetRenderData().faceCount, 0u) << c.what;
    }
}

TEST(WaterObjects, PlanesAndFieldsFollowPositionAndScale) {
    const SWaterGrid grid{5, 3, 2.0f};
    // Planar: the plane 0.01 above the surface; the cell is the scaled quad.
    velm::CWater planar(CVector3(10, 5, -3), CVector3(8, 1, 4), "none", "none", 1, 7, &grid, nullptr, nullptr);
    ASSERT_NE(planar.GetWaterUnit(), nullptr);
    EXPECT_EQ(planar.GetWaterUnit()->GetWaterKind(), 1u);
    EXPECT_EQ(planar.GetWaterUnit()->GetTechniqueName(), "RenderPlanarWater");
    EXPECT_EQ(planar.GetWaterUnit()->GetEffectFileName(), "Water2.fx");
    D3DXPLANE plane = planar.GetWaterUnit()->GetWaterPlane();
    EXPECT_FLOAT_EQ(plane.b, 1.0f);
    EXPECT_FLOAT_EQ(plane.d, -5.01f);
    EXPECT_FLOAT_EQ(planar.GetWaterUnit()->GetWorldMatrix()._11, 8.0f);
    EXPECT_FLOAT_EQ(planar.GetWaterUnit()->GetWorldMatrix()._42, 5.0f);
    bool found = false;
    EXPECT_FLOAT_EQ(Surface(*planar.GetWaterField(), 13.9f, -1.1f, &found), 5.0f);
    EXPECT_TRUE(found);
    Surface(*planar.GetWaterField(), 14.1f, -3.0f, &found);
    EXPECT_FALSE(found) << "x reaches 4 either side";
    Surface(*planar.GetWaterField(), 10.0f, -5.1f, &found);
    EXPECT_FALSE(found) << "z reaches 2 either side";

    // Planar wave: the plane 0.3 x scale x above; the cell's extents both use the x scale.
    velm::CWater wave(CVector3(0, 2, 0), CVector3(3, 1, 7), "none", "none", 0, 8, &grid, nullptr, nullptr);
    plane = wave.GetWaterUnit()->GetWaterPlane();
    EXPECT_FLOAT_EQ(plane.d, -2.9f);
    EXPECT_EQ(wave.GetWaterUnit()->GetTechniqueName(), "RenderPlanarWaveWater");
    Surface(*wave.GetWaterField(), 11.9f, 5.9f, &found);
    EXPECT_TRUE(found) << "half extents 12 and 6";
    Surface(*wave.GetWaterField(), 0.0f, 6.1f, &found);
    EXPECT_FALSE(found) << "the z scale of 7 is not used";

    // Spline: the grid file's cells, no plane of its own.
    const std::vector<velm::phy::CGridCell> cells = {velm::phy::CGridCell(
        CVector3(0, 1, 0), CVector3(0, 1, 1), CVector3(1, 1, 1), CVector3(1, 1, 0), CVector3(0, 0, -1))};
    velm::CWater spline(CVector3(), CVector3(1, 1, 1), "none", "none", 2, 9, &grid, nullptr, &cells);
    EXPECT_EQ(spline.GetWaterField()->GetCells().size(), 1u);
    EXPECT_FLOAT_EQ(spline.GetWaterUnit()->GetWaterPlane().d, 0.0f);

    ::testing::internal::CaptureStderr();
    velm::CWater unknown(CVector3(), CVector3(1, 1, 1), "none", "none", 3, 10, &grid, nullptr, &cells);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(unknown.GetUnit(), nullptr);
    EXPECT_TRUE(unknown.GetWaterField()->GetCells().empty());
}

TEST(WaterObjects, ParametersReachTheRenderRecordOfTheirKind) {
    std::vector<float> block(30);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<float>(i + 1);
    }
    const SWaterGrid grid{2, 2, 1.0f};
    velm::CWater wave(CVector3(), CVector3(1, 1, 1), "none", "none", 0, 1, &grid, nullptr, nullptr);
    wave.GetWaterUnit()->SetWaterParameters(block.data());
    wave.GetWaterUnit()->Prepare();
    const velm::gfx::SUnitRenderData& data = wave.GetWaterUnit()->GetRenderData();
    ASSERT_NE(data.waveWater, nullptr);
    EXPECT_EQ(data.planarWater, nullptr);
    EXPECT_FLOAT_EQ(data.waveWater->amp1, 1.0f);
    EXPECT_FLOAT_EQ(data.waveWater->fresnelPow, 20.0f);
    EXPECT_FLOAT_EQ(data.waveWater->waveFreq, 30.0f);
    EXPECT_EQ(data.faceCount, 2u);
    EXPECT_EQ(*data.techniqueName, "RenderPlanarWaveWater");

    velm::CWater planar(CVector3(), CVector3(1, 1, 1), "none", "none", 1, 2, nullptr, nullptr, nullptr);
    planar.GetWaterUnit()->SetWaterParameters(block.data());
    planar.GetWaterUnit()->SetWaterParameters(nullptr);
    planar.GetWaterUnit()->Prepare();
    ASSERT_NE(planar.GetWaterUnit()->GetRenderData().planarWater, nullptr);
    EXPECT_EQ(planar.GetWaterUnit()->GetRenderData().waveWater, nullptr);
    EXPECT_FLOAT_EQ(planar.GetWaterUnit()->GetRenderData().planarWater->fresnelPower, 4.0f);
}

// A 2 x 2 grid: 4 vertices, 6 indices, 1 cell, 312 bytes.
std::string GridBytes() {
    std::vector<float> vertexFloats(4 * 15, 0.0f);
    for (int i = 0; i < 4; ++i) {
        vertexFloats[i * 15] = static_cast<float>(i);
    }
    std::string bytes(reinterpret_cast<const char*>(vertexFloats.data()), vertexFloats.size() * 4);
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    bytes.append(reinterpret_cast<const char*>(indices), sizeof indices);
    const float cell[15] = {0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, -1};
    bytes.append(reinterpret_cast<const char*>(cell), sizeof cell);
    return bytes;
}

TEST(VBIBFile, ReadsExactlyWhatTheCountsDescribeAndRefusesAnythingElse) {
    tktest::CTempDir dir;
    const std::string good = GridBytes();
    ASSERT_EQ(good.size(), 312u);
    dir.Write("good.bin", good);
    dir.Write("short.bin", good.substr(0, 311));
    dir.Write("long.bin", good + "x");
    struct SCase {
        const char* what;
        std::string file;
        std::uint32_t vertices, indices, cells;
    };
    const SCase refused[] = {{"a missing file", "missing.bin", 4, 6, 1},
                             {"a short file", "short.bin", 4, 6, 1},
                             {"a long file", "long.bin", 4, 6, 1},
                             {"no vertices", "good.bin", 0, 6, 1},
                             {"no cells", "good.bin", 4, 6, 0},
                             {"counts of another grid", "good.bin", 3, 6, 1},
                             {"huge counts", "good.bin", 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}};
    std::vector<SMeshVertex> vertices(4, SMeshVertex{});
    vertices[0].u = -1.0f;
    std::vector<std::uint16_t> indices(6, 9);
    for (const SCase& c : refused) {
        std::vector<velm::phy::CGridCell> cells;
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(velm::ReadVBIBFile(vertices.data(), c.vertices, indices.data(), c.indices, cells, c.cells,
                                        dir.Path() + "/" + c.file))
            << c.what;
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("refused"), std::string::npos) << c.what;
        EXPECT_TRUE(cells.empty()) << c.what;
        EXPECT_EQ(vertices[0].u, -1.0f) << c.what;
        EXPECT_EQ(indices[0], 9u) << c.what;
    }
    std::vector<velm::phy::CGridCell> cells;
    ASSERT_TRUE(velm::ReadVBIBFile(vertices.data(), 4, indices.data(), 6, cells, 1, dir.Path() + "/good.bin"));
    EXPECT_FLOAT_EQ(vertices[3].position.x, 3.0f);
    EXPECT_EQ(indices, (std::vector<std::uint16_t>{0, 1, 2, 2, 1, 3}));
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_FLOAT_EQ(cells[0].GetFlow().z, -1.0f);
}

} // namespace
