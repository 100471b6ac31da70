#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/gfx/gfx_terrain.h"
#include "engine/gfx/terrain.h"
#include "engine/phy/height_map.h"
#include "gfx_test_device.h"

namespace {

using common::CVector3;

// Green rises across and, faster, down the image, so a flip of either axis shows.
int Green(int x, int y) { return 20 * x + 60 * y; }

class TerrainTest : public tktest::CGfxDeviceTest {
protected:
    void SetUp() override {
        tktest::CGfxDeviceTest::SetUp();
        std::vector<std::uint8_t> rgba(3 * 3 * 4, 255);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 3; ++x) {
                rgba[static_cast<std::size_t>(y * 3 + x) * 4 + 1] = static_cast<std::uint8_t>(Green(x, y));
            }
        }
        m_heightMap = m_dir.Path() + "/ramp.png";
        stbi_write_png(m_heightMap.c_str(), 3, 3, 4, rgba.data(), 3 * 4);
    }

    velm::STerrainInfo Info() const {
        velm::STerrainInfo info;
        info.vertPerRow = 3;
        info.vertPerCol = 3;
        info.cellSpacing = 2.0f;
        info.amplitude = 4.0f;
        info.position = CVector3(100.0f, 7.0f, 50.0f);
        info.rotationAxis = CVector3(0.0f, 1.0f, 0.0f);
        info.scale = CVector3(1.0f, 1.0f, 1.0f);
        info.base1 = info.base2 = info.base3 = info.blendMap = info.specularMap = "none";
        info.heightMap = m_heightMap;
        return info;
    }

    tktest::CTempDir m_dir;
    std::string m_heightMap;
};

TEST_F(TerrainTest, TheDrawnGridAndTheHeightMapBodiesMeetAreOneSurface) {
    velm::CTerrain terrain(Info(), 5);
    const velm::gfx::CGfxTerrain& unit = *terrain.GetTerrainUnit();
    EXPECT_EQ(unit.GetTechniqueName(), "RenderTerrain");
    EXPECT_EQ(unit.GetEffectFileName(), "Terrain.fx");
    const velm::gfx::SUnitGeometry& g = unit.GetGeometry();
    ASSERT_EQ(g.vertexCount, 9u);
    EXPECT_EQ(std::vector<std::uint16_t>(g.indices, g.indices + 6), (std::vector<std::uint16_t>{0, 1, 3, 3, 1, 4}));
    EXPECT_EQ(unit.GetFaceCount(), 8u);
    const velm::phy::CHeightMap& map = *terrain.GetHeightMap();
    for (std::uint32_t r = 0; r < 3; ++r) {
        for (std::uint32_t c = 0; c < 3; ++c) {
            const velm::gfx::SMeshVertex& v = g.vertices[r * 3 + c];
            const float height = 4.0f * static_cast<float>(Green(static_cast<int>(c), static_cast<int>(r))) / 255.0f;
            EXPECT_FLOAT_EQ(v.position.x, -2.0f + 2.0f * static_cast<float>(c));
            EXPECT_FLOAT_EQ(v.position.z, 2.0f - 2.0f * static_cast<float>(r)) << "row 0 at +z";
            EXPECT_NEAR(v.position.y, height, 1e-5f);
            EXPECT_FLOAT_EQ(v.u, 0.5f * static_cast<float>(c));
            EXPECT_FLOAT_EQ(v.v, 0.5f * static_cast<float>(r));
            D3DXVECTOR3 world;
            D3DXVec3TransformCoord(&world, &v.position, &unit.GetWorldMatrix());
            float ground = 0.0f;
            CVector3 normal;
            ASSERT_TRUE(map.GetHeight(world.x, world.z, ground, normal)) << r << ", " << c;
            EXPECT_NEAR(ground, world.y, 1e-4f) << "row " << r << ", column " << c;
        }
    }
    // A plane rising along +x and toward -z: every vertex's normal is the plane's, pointing up.
    const float dydx = 4.0f * 20.0f / 255.0f / 2.0f;
    const float dydz = -4.0f * 60.0f / 255.0f / 2.0f;
    D3DXVECTOR3 expected(-dydx, 1.0f, -dydz);
    D3DXVec3Normalize(&expected, &expected);
    const velm::gfx::SMeshVertex& centre = g.vertices[4];
    EXPECT_NEAR(centre.normal.x, expected.x, 1e-4f);
    EXPECT_NEAR(centre.normal.y, expected.y, 1e-4f);
    EXPECT_NEAR(centre.normal.z, expected.z, 1e-4f);
    EXPECT_GT(centre.tangent.x, 0.9f) << "the tangent follows u, along +x";
    EXPECT_NEAR(D3DXVec3Length(&centre.binormal), 1.0f, 1e-3f);
    const float radius = unit.GetWorldBoundingSphere().radius;
    const float top = 4.0f * 160.0f / 255.0f;
    EXPECT_NEAR(radius, std::sqrt(2.0f * 2.0f + (top / 2.0f) * (top / 2.0f) + 2.0f * 2.0f), 1e-4f);
}

TEST_F(TerrainTest, AGridOfEvenSidesIsCoveredAgainOverEveryOtherVertexForFarAway) {
    velm::CTerrain terrain(Info(), 5);
    const velm::gfx::SUnitGeometry& g = terrain.GetTerrainUnit()->GetGeometry();
    ASSERT_NE(g.farIndices, nullptr);
    EXPECT_EQ(std::vector<std::uint16_t>(g.farIndices, g.farIndices + g.farIndexCount),
              (std::vector<std::uint16_t>{0, 2, 6, 6, 2, 8}))
        << "the corners, wound as the grid is";
    EXPECT_EQ(g.trianglesPerRun, 8u) << "two rows of the grid";
    EXPECT_EQ(g.farTrianglesPerRun, 2u) << "one row of the cover";

    // Three cells along a row: no cover, and runs of the renderer's own length.
    velm::STerrainInfo info = Info();
    info.vertPerRow = 4;
    velm::CTerrain odd(info, 6);
    EXPECT_EQ(odd.GetTerrainUnit()->GetGeometry().vertexCount, 12u);
    EXPECT_EQ(odd.GetTerrainUnit()->GetGeometry().farIndices, nullptr);
    EXPECT_EQ(odd.GetTerrainUnit()->GetGeometry().trianglesPerRun, 0u);
}

TEST_F(TerrainTest, AGridThatCannotBeDrawnLeavesAnEmptyUnitAndNoGround) {
    // Sizes from a file: nothing of the size asked for is allocated before the size is checked.
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{1, 3}, {2147483647, 3}, {65536, 65536}};
    for (const auto& size : sizes) {
        velm::STerrainInfo info = Info();
        info.vertPerRow = size.first;
        info.vertPerCol = size.second;
        ::testing::internal::CaptureStderr();
        velm::CTerrain terrain(info, 6);
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("no mesh"), std::string::npos) << size.first;
        EXPECT_EQ(terrain.GetTerrainUnit()->GetGeometry().vertexCount, 0u);
        EXPECT_FALSE(terrain.GetHeightMap()->Contains(100.0f, 50.0f));
    }
    // A height grid of another size is refused rather than written past.
    velm::phy::CGrid2D small(2, 2, 0.0f);
    velm::gfx::CGfxTerrain unit;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(unit.CreateGeometry({"Terrain.fx", "", "RenderTerrain"}, m_heightMap, 3, 3, 1.0f, 1.0f, &small));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(small(1, 1), 0.0f);
}

} // namespace
