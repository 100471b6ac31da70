// The level's water and terrain objects as the game builds them from the shipped records: the
// river's grid files make spline water units whose drawn surface is the water field's, and every
// terrain patch's drawn vertices lie on the height map bodies collide with; each track's sky
// loads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/gfx/gfx_skybox.h"
#include "engine/gfx/gfx_terrain.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/texture_cache.h"
#include "engine/phy/height_map.h"
#include "engine/phy/water_field.h"
#include "game/flow/instance_readers.h"
#include "game/flow/level_loader.h"
#include "game/flow/surface_makers.h"
#include "libs/common/xml_reader.h"

namespace {

using common::CVector3;
using kelvo::SModelData;

std::string Source() {
    const char* source = std::getenv("TK_SOURCE_DIR");
    return source != nullptr ? source : "";
}

common::CXmlReader InstanceFile(const std::string& name) {
    common::CXmlReader reader;
    reader.Load(Source() + "/data/files/xmlfiles/" + name);
    reader.Enter("InstanceData");
    return reader;
}

D3DXVECTOR3 World(const velm::gfx::IGfxUnit& unit, const velm::gfx::SMeshVertex& vertex) {
    D3DXVECTOR3 world;
    D3DXVec3TransformCoord(&world, &vertex.position, &unit.GetWorldMatrix());
    return world;
}

// Grid files are named relative to the game's working folder; textures come from the data tree.
class SurfaceMakersTest : public tktest::CGfxDeviceTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(Source().empty()) << "TK_SOURCE_DIR is not set";
        tktest::CGfxDeviceTest::SetUp();
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(Source() + "/run/tumbo/kelvo/game");
        velm::gfx::SGfxDirectories::s_texture = Source() + "/data/arts/textures/";
    }
    void TearDown() override {
        velm::gfx::TextureCache::Destroy();
        velm::gfx::SGfxDirectories::s_texture.clear();
        std::filesystem::current_path(m_previous);
        tktest::CGfxDeviceTest::TearDown();
    }
    std::filesystem::path m_previous;
};

TEST_F(SurfaceMakersTest, TheRiversGridFilesBuildSplineWaterDrawnWhereItFloats) {
    for (int n = 20; n <= 27; ++n) {
        common::CXmlReader reader = InstanceFile("River" + std::to_string(n) + ".xml");
        std::unique_ptr<SModelData::SWaterData> record;
        kelvo::ReadWaterData(reader, record);
        ASSERT_NE(record, nullptr) << "River" << n;
        std::unique_ptr<velm::CWater> water(kelvo::MakeWater(*record, 100 + n));
        ASSERT_NE(water, nullptr);
        const velm::gfx::ACGfxWater& unit = *water->GetWaterUnit();
        EXPECT_EQ(unit.GetWaterKind(), velm::gfx::kSplineWater);
        EXPECT_EQ(unit.GetTechniqueName(), "RenderSplineWater");
        EXPECT_EQ(unit.GetGeometry().vertexCount, record->m_vertexCount) << n;
        EXPECT_EQ(unit.GetFaceCount(), record->m_indexCount / 3) << n;
        EXPECT_EQ(water->GetWaterField()->GetCells().size(), static_cast<std::size_t>(record->m_vertPerCol - 1));
        EXPECT_NE(unit.GetTexture(0), nullptr) << "the normal map";
        const velm::gfx::SUnitGeometry& g = unit.GetGeometry();
        for (std::uint32_t i = 0; i < g.vertexCount; i += 13) {
            const D3DXVECTOR3 p = World(unit, g.vertices[i]);
            float height = 0.0f;
            CVector3 normal;
            CVector3 flow;
            ASSERT_TRUE(water->GetWaterField()->GetSurface(p.x, p.z, height, normal, flow)) << n << " vertex " << i;
            EXPECT_NEAR(height, p.y, 0.05f) << n << " vertex " << i;
        }
        water->GetWaterUnit()->Prepare();
        ASSERT_NE(unit.GetRenderData().waveWater, nullptr);
        EXPECT_FLOAT_EQ(unit.GetRenderData().waveWater->amp1, record->m_wave1.m_amp);
        EXPECT_FLOAT_EQ(unit.GetRenderData().waveWater->freq1, record->m_wave1.m_freq);
        EXPECT_FLOAT_EQ(unit.GetRenderData().waveWater->waveFreq, record->m_waveFreq);
    }
    common::CXmlReader reader = InstanceFile("water1.xml");
    std::unique_ptr<SModelData::SWaterData> pool;
    kelvo::ReadWaterData(reader, pool);
    ASSERT_NE(pool, nullptr);
    std::unique_ptr<velm::CWater> water(kelvo::MakeWater(*pool, 1));
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->GetWaterUnit()->GetWaterKind(), static_cast<std::uint32_t>(pool->m_kind));
    // As a "Make_Water" payload carries it: the record's own object id.
    kelvo::SCreationRecord payload;
    payload.m_modelData.m_objectId = 77;
    EXPECT_EQ(kelvo::MakeWater(payload), nullptr) << "no water record";
    EXPECT_EQ(kelvo::MakeTerrain(payload), nullptr) << "no terrain record";
    payload.m_modelData.m_water = std::make_unique<SModelData::SWaterData>(*pool);
    std::unique_ptr<velm::CWater> carried(kelvo::MakeWater(payload));
    ASSERT_NE(carried, nullptr);
    EXPECT_EQ(carried->GetID(), 77u);
    pool->m_kind = 3;
    EXPECT_EQ(kelvo::MakeWater(*pool, 2), nullptr) << "no water of an unknown kind";
}

TEST_F(SurfaceMakersTest, EveryTerrainPatchIsDrawnOnTheGroundBodiesMeet) {
    for (int n = 1; n <= 9; ++n) {
        common::CXmlReader reader = InstanceFile("terrain" + std::to_string(n) + ".xml");
        std::unique_ptr<SModelData::STerrainData> record;
        kelvo::ReadTerrainData(reader, record);
        ASSERT_NE(record, nullptr) << n;
        std::unique_ptr<velm::CTerrain> terrain(kelvo::MakeTerrain(*record, 200 + n));
        const velm::gfx::CGfxTerrain& unit = *terrain->GetTerrainUnit();
        EXPECT_FLOAT_EQ(unit.GetTileFactor(), 32.0f);
        const velm::gfx::SUnitGeometry& g = unit.GetGeometry();
        ASSERT_EQ(g.vertexCount, static_cast<std::uint32_t>(record->m_vertPerRow * record->m_vertPerCol)) << n;
        bool rises = false;
        for (std::uint32_t i = 0; i < g.vertexCount; i += 7) {
            const D3DXVECTOR3 p = World(unit, g.vertices[i]);
            float ground = 0.0f;
            CVector3 normal;
            ASSERT_TRUE(terrain->GetHeightMap()->GetHeight(p.x, p.z, ground, normal)) << n << " vertex " << i;
            EXPECT_NEAR(ground, p.y, 1e-3f) << "terrain " << n << " vertex " << i;
            rises = rises || g.vertices[i].position.y > 1.0f;
        }
        EXPECT_TRUE(rises) << "terrain " << n << " has banks";
    }
}

// Takes the skybox and environment map a level names.
class CSkyHost : public kelvo::ILevelLoaderHost {
public:
    void CreateSkyBox(float scalar, const std::string (&faces)[6]) override {
        m_scalar = scalar;
        std::copy(faces, faces + 6, m_faces.begin());
    }
    void SetWaterEnvironmentMap(const std::string& textureName) override { m_cube = textureName; }

    float m_scalar = 0.0f;
    std::array<std::string, 6> m_faces;
    std::string m_cube;
};

TEST_F(SurfaceMakersTest, EachTracksSkyboxFacesAndCubeMapLoad) {
    for (int track = 1; track <= 3; ++track) {
        CSkyHost host;
        kelvo::CLevelLoader loader(&host, Source() + "/data/files/xmlfiles/");
        common::CXmlReader reader;
        reader.Load(Source() + "/data/files/xmlfiles/race_track" + std::to_string(track) + ".xml");
        reader.Enter("Level");
        loader.ReadSkybox(reader);
        ASSERT_GT(host.m_scalar, 0.0f) << track;
        velm::gfx::CGFXSkyBox sky;
        sky.Create(host.m_scalar, host.m_faces);
        for (int face = 0; face < 6; ++face) {
            const velm::gfx::C3DQuad& quad = *sky.GetFace(static_cast<velm::gfx::CGFXSkyBox::EFace>(face));
            ASSERT_NE(quad.GetTexture(4), nullptr) << host.m_faces[static_cast<std::size_t>(face)];
            EXPECT_NE(quad.GetTexture(4)->GetTexture(), nullptr) << host.m_faces[static_cast<std::size_t>(face)];
        }
        IDirect3DCubeTexture9* cube = nullptr;
        EXPECT_EQ(velm::gfx::GFXCore::Instance().CreateCubeTextureFromFile(
                      velm::gfx::SGfxDirectories::s_texture + host.m_cube, &cube),
                  D3D_OK)
            << host.m_cube;
        if (cube != nullptr) {
            cube->Release();
        }
    }
}

} // namespace
