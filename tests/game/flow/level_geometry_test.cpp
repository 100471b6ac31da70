// The shipped level geometry: the river's grid files load whole and join up, the water reaches every
// fixed place of the first track, a floating racer drifts from the start grid past the finish, and
// the terrain keeps under the water and rises on the banks, patch meeting patch; the water and
// terrain objects the game builds are drawn where bodies meet them, and each track's sky loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/event_manager.h"
#include "engine/gfx/gfx_skybox.h"
#include "engine/gfx/gfx_terrain.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/texture_cache.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/height_map.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "game/content/instance_readers.h"
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

// A fixed place of the first track and how far above the water it stands.
struct SPlace {
    const char* what;
    float x, y, z;
    float minAbove, maxAbove;
    bool pool;
};

// The start grids (a racer's box reaches 0.55 below its centre), the three triggers (2 m boxes a
// floating racer must touch); in the menu pool the line-up, the turntable, and the camera targets
// of the menu, character and credits views, a little under the surface.
const SPlace kPlaces[] = {
    {"host grid, first racer", -1.0f, 39.51f, 195.2f, 0.55f, 1.0f, false},
    {"host grid, sixth racer", 2.5f, 39.51f, 195.2f, 0.55f, 1.0f, false},
    {"single-player grid, back row", 3.5f, 39.51f, 197.7f, 0.55f, 1.0f, false},
    {"rock trap", -2.14f, -24.25f, -615.51f, 0.0f, 0.9f, false},
    {"log trap", -1.77f, -35.22f, -917.05f, 0.0f, 0.9f, false},
    {"finish line", 2.96f, -50.18f, -1158.8f, 0.0f, 0.9f, false},
    {"monkey", 15.47f, 0.05f, 506.6f, 0.5f, 0.5f, true},
    {"fish", 12.47f, 0.05f, 506.6f, 0.5f, 0.5f, true},
    {"turntable", 12.8f, 0.05f, 506.5f, 0.5f, 0.5f, true},
    {"menu view", 5.6f, -1.1700923f, 505.65549f, -1.5f, 0.0f, true},
    {"character view", 12.54f, -1.479f, 508.1f, -1.5f, 0.0f, true},
    {"credits view", 5.5408678f, -1.8811257f, 496.31989f, -1.5f, 0.0f, true},
};

CVector3 Vertex(const SModelData::SWaterData& water, std::uint32_t i) {
    float xyz[3];
    std::memcpy(xyz, water.m_vertices.data() + static_cast<std::size_t>(i) * 60, sizeof xyz);
    return CVector3(xyz[0], xyz[1], xyz[2]);
}

common::CXmlReader InstanceFile(const std::string& name) {
    common::CXmlReader reader;
    reader.Load(Source() + "/data/files/xmlfiles/" + name);
    reader.Enter("InstanceData");
    return reader;
}

// The waters as the level loads them, with the grid files named relative to the game's working
// folder, and the physics world's fields built from them.
class LevelGeometryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Source().empty()) << "TK_SOURCE_DIR is not set";
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(Source() + "/run/tumbo/kelvo/game");
        for (int n = 20; n <= 27; ++n) {
            common::CXmlReader reader = InstanceFile("River" + std::to_string(n) + ".xml");
            m_river.emplace_back();
            kelvo::ReadWaterData(reader, m_river.back());
            ASSERT_NE(m_river.back(), nullptr) << "River" << n;
            m_world.AddWaterField(static_cast<std::uint32_t>(n),
                                  std::make_shared<velm::phy::CWaterField>(m_river.back()->m_cells));
        }
        common::CXmlReader reader = InstanceFile("water1.xml");
        kelvo::ReadWaterData(reader, m_pool);
        ASSERT_NE(m_pool, nullptr);
        // The planar wave water's one cell: half extents from the grid and the x scale.
        const SModelData::SWaterData& w = *m_pool;
        const float hx = (w.m_vertPerRow - 1) * w.m_cellSpacing * w.m_scale.x / 2;
        const float hz = (w.m_vertPerCol - 1) * w.m_cellSpacing * w.m_scale.x / 2;
        const CVector3& p = w.m_position;
        m_world.AddWaterField(
            1, std::make_shared<velm::phy::CWaterField>(std::vector<velm::phy::CGridCell>{velm::phy::CGridCell(
                   CVector3(p.x - hx, p.y, p.z - hz), CVector3(p.x - hx, p.y, p.z + hz),
                   CVector3(p.x + hx, p.y, p.z + hz), CVector3(p.x + hx, p.y, p.z - hz), CVector3())}));
    }
    void TearDown() override { std::filesystem::current_path(m_previous); }

    std::filesystem::path m_previous;
    std::vector<std::unique_ptr<SModelData::SWaterData>> m_river;
    std::unique_ptr<SModelData::SWaterData> m_pool;
    velm::phy::CPhysicsWorld m_world;
};

TEST_F(LevelGeometryTest, GridFilesHaveTheLengthsTheirRecordsGiveAndJoinUp) {
    const velm::phy::CGridCell* previous = nullptr;
    for (const auto& water : m_river) {
        const SModelData::SWaterData& w = *water;
        SCOPED_TRACE(w.m_gridFileName);
        const auto columns = static_cast<std::uint32_t>(w.m_vertPerRow);
        const std::uintmax_t v = columns * static_cast<std::uintmax_t>(w.m_vertPerCol);
        const std::uintmax_t i = (columns - 1) * static_cast<std::uintmax_t>(w.m_vertPerCol - 1) * 6;
        EXPECT_EQ(std::filesystem::file_size(w.m_gridFileName), v * 60 + i * 2 + (w.m_vertPerCol - 1) * 60);
        EXPECT_LT(*std::max_element(w.m_indices.begin(), w.m_indices.end()), v);
        // Cell r spans the end vertices of rows r and r + 1 and shares its upstream edge with the
        // cell before it, across segments too; its flow is a unit vector downstream, turned at most
        // half a right angle where it runs along a boom of floes.
        for (std::uint32_t r = 0; r < w.m_cells.size(); ++r) {
            const velm::phy::CGridCell& cell = w.m_cells[r];
            EXPECT_EQ(cell.GetFirst()[1], Vertex(w, r * columns)) << r;
            EXPECT_EQ(cell.GetSecond()[2], Vertex(w, (r + 2) * columns - 1)) << r;
            if (previous != nullptr) {
                EXPECT_EQ(cell.GetFirst()[1], previous->GetFirst()[0]) << r;
                EXPECT_EQ(cell.GetFirst()[2], previous->GetSecond()[2]) << r;
            }
            EXPECT_GT(cell.GetFirst().GetNormal().y, 0.9f) << r;
            EXPECT_NEAR(cell.GetFlow().Length(), 1.0f, 1e-4f) << r;
            EXPECT_LT(cell.GetFlow().z, -0.65f) << r;
            EXPECT_LE(cell.GetFlow().y, 0.0f) << r << ": the water runs uphill";
            previous = &cell;
        }
    }
}

TEST_F(LevelGeometryTest, WaterReachesEveryFixedPlaceWithTheFlowDownstream) {
    for (const SPlace& place : kPlaces) {
        float height = 0.0f;
        CVector3 normal, flow(1.0f, 1.0f, 1.0f);
        bool found = false;
        for (const auto& field : m_world.GetSimulator().GetWaterFields()) {
            found = found || field->GetSurface(place.x, place.z, height, normal, flow);
        }
        ASSERT_TRUE(found) << place.what;
        EXPECT_GE(place.y - height, place.minAbove - 1e-4f) << place.what;
        EXPECT_LE(place.y - height, place.maxAbove + 1e-4f) << place.what;
        if (place.pool) {
            EXPECT_EQ(flow, CVector3()) << place.what << ": the pool is still";
        } else {
            EXPECT_LT(flow.z, -0.9f) << place.what;
        }
    }
}

// A racer-sized box of a racer's mass, left on the host grid with the river running: it floats
// and is carried past the finish line within a bounded number of fixed steps (the integrator
// moves a body by half its velocity, so 5 m/s of flow covers the 1.4 km in about 550 s), never
// leaving the water on the way.
TEST_F(LevelGeometryTest, FloatingRacerDriftsFromTheStartPastTheFinish) {
    velm::CEventManager events;
    velm::SetEventManager(&events);
    auto body = std::make_shared<velm::phy::CRigidBody>();
    body->SetPosition(CVector3(-1.0f, 39.51f, 195.2f));
    body->SetBoxHull(1.2f, 1.0f, 2.0f, 70.0f, false);
    auto buoyancy = std::make_shared<velm::phy::BuoyancyForce>(body.get(), &m_world.GetSimulator(), CVector3());
    buoyancy->SetUseRiverDensity(true);
    buoyancy->SetFlowSpeed(5.0f);
    body->SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
    body->SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(body.get()));
    m_world.AddBody(1, body);
    // Half the box (its grid box is 1.1 times the hull on each axis) carries the racer's weight.
    velm::phy::SetRiverDensity(2.0f * 70.0f / (1.2f * 1.0f * 2.0f * 1.331f));

    constexpr int kMaxSteps = 60 * 700;
    int steps = 0;
    float lowest = 1e9f, highest = -1e9f;
    for (; steps < kMaxSteps && body->GetPosition().z > -1170.0f; ++steps) {
        m_world.Update(1.0f / 60.0f);
        ASSERT_NE(buoyancy->GetWaterField(), nullptr) << "left the water at step " << steps << " at x "
                                                      << body->GetPosition().x << " z " << body->GetPosition().z;
        CVector3 surface;
        if (steps > 120 && buoyancy->GetSurfacePoint(surface)) {
            lowest = std::min(lowest, body->GetPosition().y - surface.y);
            highest = std::max(highest, body->GetPosition().y - surface.y);
        }
    }
    velm::phy::SetRiverDensity(0.0f);
    velm::SetEventManager(nullptr);
    EXPECT_LT(steps, kMaxSteps) << "stopped at z " << body->GetPosition().z;
    EXPECT_GT(lowest, -1.0f) << "sank";
    EXPECT_LT(highest, 1.0f) << "left the surface";
    EXPECT_TRUE(buoyancy->IsInWater());
}

// The terrain patches as the level builds them: heights read from each height map by the graphics
// core on the null device. The render grid lays its row r at z = centre + half depth - r * spacing,
// so that row is the physics height map's row rows - 1 - r; each sample stands on the patch's
// height.
class TerrainGeometryTest : public LevelGeometryTest {
protected:
    void SetUp() override {
        LevelGeometryTest::SetUp();
        setenv("TK_D3D9_DEVICE", "null", 1);
        ASSERT_EQ(velm::gfx::GFXCore::Instance().CreateDevice(), D3D_OK);
        velm::gfx::SGfxDirectories::s_texture = Source() + "/data/arts/textures/";
        for (int n = 1; n <= 9; ++n) {
            common::CXmlReader reader = InstanceFile("terrain" + std::to_string(n) + ".xml");
            std::unique_ptr<SModelData::STerrainData> record;
            kelvo::ReadTerrainData(reader, record);
            ASSERT_NE(record, nullptr) << n;
            const auto columns = static_cast<std::uint32_t>(record->m_vertPerRow);
            const auto rows = static_cast<std::uint32_t>(record->m_vertPerCol);
            std::vector<float> heights(static_cast<std::size_t>(columns) * rows, -1.0f);
            ASSERT_TRUE(
                velm::gfx::GFXCore::Instance().ReadHeightMap(record->m_textures[5], heights.data(), columns, rows))
                << record->m_textures[5];
            const float* position = record->m_position;
            velm::phy::CGrid2D grid(columns, rows, position[1]);
            for (std::uint32_t r = 0; r < rows; ++r) {
                for (std::uint32_t c = 0; c < columns; ++c) {
                    grid(c, rows - 1 - r) += record->m_amplitude * heights[static_cast<std::size_t>(r) * columns + c];
                }
            }
            m_terrain.push_back(
                std::make_unique<velm::phy::CHeightMap>(columns, rows, record->m_cellSpacing, record->m_cellSpacing,
                                                        grid, CVector3(position[0], position[1], position[2])));
        }
    }
    void TearDown() override {
        velm::gfx::TextureCache::Destroy();
        velm::gfx::GFXCore::Destroy();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
        LevelGeometryTest::TearDown();
    }
    // The ground at p from the first patch holding it.
    float Ground(const CVector3& p) const {
        float height = 0.0f;
        CVector3 normal;
        for (const auto& map : m_terrain) {
            if (map->GetHeight(p.x, p.z, height, normal)) {
                return height;
            }
        }
        ADD_FAILURE() << "no terrain under " << p.x << ", " << p.z;
        return 0.0f;
    }
    std::vector<std::unique_ptr<velm::phy::CHeightMap>> m_terrain;
};

TEST_F(TerrainGeometryTest, GroundStaysUnderTheWaterRisesOnTheBanksAndPatchesMeet) {
    for (const auto& water : m_river) {
        const SModelData::SWaterData& w = *water;
        const auto columns = static_cast<std::uint32_t>(w.m_vertPerRow);
        // The channel holds water from shore to shore: the bed stays well under it out to 12 m, and
        // the water's edges lie under the banks, so no edge shows over dry ground.
        for (std::uint32_t i = 0; i < w.m_vertexCount; ++i) {
            const CVector3 v = Vertex(w, i);
            const std::uint32_t column = i % columns;
            const float out = (v - Vertex(w, i - column + columns / 2)).Length();
            if (out <= 12.5f) {
                EXPECT_LT(Ground(v), v.y - 0.5f) << "the bed reaches the water at vertex " << i;
            }
            if (column == 0 || column == columns - 1) {
                EXPECT_GT(Ground(v), v.y) << "the water's edge shows at vertex " << i;
            }
        }
        // Across the stream from every tenth row's centre vertex, out to both banks.
        for (std::uint32_t row = 0; row < w.m_vertexCount; row += 10 * columns) {
            const CVector3 centre = Vertex(w, row + columns / 2);
            const CVector3 across = (Vertex(w, row + columns - 1) - Vertex(w, row)).GetNormalized();
            EXPECT_LT(Ground(centre), centre.y - 2.0f) << centre.z;
            for (float side : {-1.0f, 1.0f}) {
                const float bank = Ground(centre + across * (20.0f * side));
                EXPECT_GT(bank, centre.y + 0.5f) << centre.z << " side " << side;
                EXPECT_GT(Ground(centre + across * (30.0f * side)), bank) << centre.z << " side " << side;
            }
        }
    }
    for (const SPlace& place : kPlaces) {
        if (place.pool) {
            EXPECT_LT(Ground(CVector3(place.x, 0.0f, place.z)), std::min(place.y, m_pool->m_position.y) - 1.0f)
                << place.what;
        }
    }
    // Each patch's near (low z) edge is the next patch's far edge, sample for sample.
    for (std::size_t k = 0; k + 1 < m_terrain.size(); ++k) {
        const velm::phy::CHeightMap& upstream = *m_terrain[k];
        const velm::phy::CHeightMap& downstream = *m_terrain[k + 1];
        const float edge = upstream.GetOriginZ();
        ASSERT_FLOAT_EQ(edge, downstream.GetOriginZ() + (downstream.GetRows() - 1) * downstream.GetSpacingZ()) << k;
        ASSERT_FLOAT_EQ(upstream.GetOriginX(), downstream.GetOriginX()) << k;
        for (std::uint32_t c = 0; c < upstream.GetColumns(); ++c) {
            const float x = upstream.GetOriginX() + static_cast<float>(c) * upstream.GetSpacingX();
            float a = 0.0f, b = 0.0f;
            CVector3 normal;
            ASSERT_TRUE(upstream.GetHeight(x, edge, a, normal) && downstream.GetHeight(x, edge, b, normal));
            EXPECT_NEAR(a, b, 1e-3f) << "patches " << k + 1 << " and " << k + 2 << " at x " << x;
        }
    }
}

D3DXVECTOR3 World(const velm::gfx::IGfxUnit& unit, std::uint32_t vertex) {
    D3DXVECTOR3 world;
    D3DXVec3TransformCoord(&world, &unit.GetGeometry().vertices[vertex].position, &unit.GetWorldMatrix());
    return world;
}

TEST_F(TerrainGeometryTest, TheGameDrawsWaterAndTerrainWhereBodiesMeetThem) {
    for (const auto& record : m_river) {
        std::unique_ptr<velm::CWater> water(kelvo::MakeWater(*record, 100));
        ASSERT_NE(water, nullptr);
        const velm::gfx::ACGfxWater& unit = *water->GetWaterUnit();
        EXPECT_EQ(unit.GetWaterKind(), velm::gfx::kSplineWater);
        ASSERT_EQ(unit.GetGeometry().vertexCount, record->m_vertexCount);
        EXPECT_EQ(unit.GetFaceCount(), record->m_indexCount / 3);
        EXPECT_NE(unit.GetTexture(0), nullptr) << "the normal map";
        const auto columns = static_cast<std::uint32_t>(record->m_vertPerRow);
        for (std::uint32_t i = 0; i + columns + 1 < record->m_vertexCount; i += 13) {
            if (i % columns == columns - 1) {
                continue;
            }
            // The middle of the grid cell at vertex i: every vertex lies on the edge between two
            // of the water's cells, where rounding may put it just outside both.
            const D3DXVECTOR3 p =
                (World(unit, i) + World(unit, i + 1) + World(unit, i + columns) + World(unit, i + columns + 1)) * 0.25f;
            float height = 0.0f;
            CVector3 normal, flow;
            ASSERT_TRUE(water->GetWaterField()->GetSurface(p.x, p.z, height, normal, flow)) << i;
            EXPECT_NEAR(height, p.y, 0.05f) << i;
        }
        water->GetWaterUnit()->Prepare();
        ASSERT_NE(unit.GetRenderData().waveWater, nullptr);
        EXPECT_FLOAT_EQ(unit.GetRenderData().waveWater->amp1, record->m_wave1.m_amp) << "by name, not position";
        EXPECT_FLOAT_EQ(unit.GetRenderData().waveWater->freq1, record->m_wave1.m_freq);
    }
    // As a "Make_Water" payload carries the pool: the record's object id; no water of another kind.
    kelvo::SCreationRecord payload;
    payload.m_modelData.m_objectId = 77;
    EXPECT_EQ(kelvo::MakeWater(payload), nullptr);
    EXPECT_EQ(kelvo::MakeTerrain(payload), nullptr);
    payload.m_modelData.m_water = std::make_unique<SModelData::SWaterData>(*m_pool);
    std::unique_ptr<velm::CWater> pool(kelvo::MakeWater(payload));
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->GetID(), 77u);
    EXPECT_EQ(pool->GetWaterUnit()->GetWaterKind(), static_cast<std::uint32_t>(m_pool->m_kind));
    payload.m_modelData.m_water->m_kind = 3;
    EXPECT_EQ(kelvo::MakeWater(payload), nullptr);

    for (int n = 1; n <= 9; ++n) {
        common::CXmlReader reader = InstanceFile("terrain" + std::to_string(n) + ".xml");
        std::unique_ptr<SModelData::STerrainData> record;
        kelvo::ReadTerrainData(reader, record);
        std::unique_ptr<velm::CTerrain> terrain(kelvo::MakeTerrain(*record, 200));
        const velm::gfx::CGfxTerrain& unit = *terrain->GetTerrainUnit();
        EXPECT_FLOAT_EQ(unit.GetTileFactor(), 32.0f);
        ASSERT_EQ(unit.GetGeometry().vertexCount,
                  static_cast<std::uint32_t>(record->m_vertPerRow * record->m_vertPerCol));
        for (std::uint32_t i = 0; i < unit.GetGeometry().vertexCount; i += 7) {
            const D3DXVECTOR3 p = World(unit, i);
            float ground = 0.0f;
            CVector3 normal;
            ASSERT_TRUE(terrain->GetHeightMap()->GetHeight(p.x, p.z, ground, normal)) << n << " vertex " << i;
            EXPECT_NEAR(ground, p.y, 1e-3f) << "terrain " << n << " vertex " << i;
        }
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

TEST_F(TerrainGeometryTest, EachTracksSkyboxFacesAndCubeMapLoad) {
    for (int track = 1; track <= 3; ++track) {
        CSkyHost host;
        kelvo::CLevelLoader loader(&host);
        common::CXmlReader reader;
        reader.Load(Source() + "/data/files/xmlfiles/race_track" + std::to_string(track) + ".xml");
        reader.Enter("Level");
        loader.ReadSkybox(reader);
        ASSERT_GT(host.m_scalar, 0.0f) << track;
        velm::gfx::CGFXSkyBox sky;
        sky.Create(host.m_scalar, host.m_faces);
        for (int face = 0; face < 6; ++face) {
            const velm::gfx::CTextureRef* texture =
                sky.GetFace(static_cast<velm::gfx::CGFXSkyBox::EFace>(face))->GetTexture(4);
            EXPECT_TRUE(texture != nullptr && texture->GetTexture() != nullptr) << host.m_faces[face];
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
