// The shipped level geometry: the river's grid files load whole and join up, the water reaches every
// fixed place of the first track, a floating racer drifts from the start grid past the finish, and
// the terrain keeps under the water and rises on the banks, patch meeting patch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/event_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/texture_cache.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/height_map.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "game/flow/instance_readers.h"
#include "libs/common/xml_reader.h"

namespace {

using common::CVector3;
using kelvo::SModelData;

std::string Source() {
    const char* source = std::getenv("TK_SOURCE_DIR");
    return source != nullptr ? source : "";
}

std::string XmlFolder() { return Source() + "/data/files/xmlfiles/"; }

// A fixed place of the first track and how far above the water it may stand.
struct SPlace {
    const char* what;
    float x, y, z;
    float minAbove, maxAbove;
};

// The start grids (a racer's box reaches 0.55 below its centre), the three triggers (2 m boxes a
// floating racer must touch) and the finish line.
const SPlace kRiverPlaces[] = {
    {"host grid, first racer", -1.0f, 39.51f, 195.2f, 0.55f, 1.0f},
    {"host grid, sixth racer", 2.5f, 39.51f, 195.2f, 0.55f, 1.0f},
    {"single-player grid, back row", 3.5f, 39.51f, 197.7f, 0.55f, 1.0f},
    {"rock trap", -2.14f, -24.25f, -615.51f, 0.0f, 0.9f},
    {"log trap", -1.77f, -35.22f, -917.05f, 0.0f, 0.9f},
    {"finish line", 2.96f, -50.18f, -1158.8f, 0.0f, 0.9f},
};

// The menu pool: the line-up, the turntable, the camera targets of the menu, the character screen
// and the credits (these look at points a little under the surface).
const SPlace kPoolPlaces[] = {
    {"monkey", 15.47f, 0.05f, 506.6f, 0.5f, 0.5f},
    {"fish", 12.47f, 0.05f, 506.6f, 0.5f, 0.5f},
    {"turntable", 12.8f, 0.05f, 506.5f, 0.5f, 0.5f},
    {"menu view", 5.6f, -1.1700923f, 505.65549f, -1.5f, 0.0f},
    {"character view", 12.54f, -1.479f, 508.1f, -1.5f, 0.0f},
    {"credits view", 5.5408678f, -1.8811257f, 496.31989f, -1.5f, 0.0f},
};

CVector3 VertexPosition(const SModelData::SWaterData& water, std::uint32_t i) {
    float xyz[3];
    std::memcpy(xyz, water.m_vertices.data() + static_cast<std::size_t>(i) * 60, sizeof xyz);
    return CVector3(xyz[0], xyz[1], xyz[2]);
}

std::unique_ptr<SModelData::SWaterData> ReadWaterRecord(const std::string& file) {
    common::CXmlReader reader;
    reader.Load(XmlFolder() + file);
    reader.Enter("InstanceData");
    std::unique_ptr<SModelData::SWaterData> water;
    kelvo::ReadWaterData(reader, water);
    return water;
}

// Grid files are named relative to the game's working folder, four levels under the root, as
// the game runs them.
class LevelGeometryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Source().empty()) << "TK_SOURCE_DIR is not set";
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(Source() + "/run/tumbo/kelvo/game");
        for (int n = 20; n <= 27; ++n) {
            m_river.push_back(ReadWaterRecord("River" + std::to_string(n) + ".xml"));
            ASSERT_NE(m_river.back(), nullptr) << "River" << n;
        }
        m_pool = ReadWaterRecord("water1.xml");
        ASSERT_NE(m_pool, nullptr);
    }
    void TearDown() override { std::filesystem::current_path(m_previous); }

    // The pool's one cell, as the planar wave water builds it: half extents from the grid and
    // the x scale, at the water's height.
    std::shared_ptr<velm::phy::CWaterField> PoolField() const {
        const SModelData::SWaterData& w = *m_pool;
        const float hx = (w.m_vertPerRow - 1) * w.m_cellSpacing * w.m_scale.x / 2;
        const float hz = (w.m_vertPerCol - 1) * w.m_cellSpacing * w.m_scale.x / 2;
        const CVector3& p = w.m_position;
        return std::make_shared<velm::phy::CWaterField>(std::vector<velm::phy::CGridCell>{
            velm::phy::CGridCell(CVector3(p.x - hx, p.y, p.z - hz), CVector3(p.x - hx, p.y, p.z + hz),
                                 CVector3(p.x + hx, p.y, p.z + hz), CVector3(p.x + hx, p.y, p.z - hz), CVector3())});
    }
    void AddRiver(velm::phy::CPhysicsWorld& world) const {
        world.AddWaterField(1, PoolField());
        for (std::size_t i = 0; i < m_river.size(); ++i) {
            world.AddWaterField(static_cast<std::uint32_t>(i + 2),
                                std::make_shared<velm::phy::CWaterField>(m_river[i]->m_cells));
        }
    }

    std::filesystem::path m_previous;
    std::vector<std::unique_ptr<SModelData::SWaterData>> m_river;
    std::unique_ptr<SModelData::SWaterData> m_pool;
};

TEST_F(LevelGeometryTest, GridFilesHaveTheLengthsTheirRecordsGiveAndJoinUp) {
    for (std::size_t k = 0; k < m_river.size(); ++k) {
        const SModelData::SWaterData& w = *m_river[k];
        SCOPED_TRACE(w.m_gridFileName);
        const std::uintmax_t v = static_cast<std::uintmax_t>(w.m_vertPerRow) * w.m_vertPerCol;
        const std::uintmax_t i = static_cast<std::uintmax_t>(w.m_vertPerRow - 1) * (w.m_vertPerCol - 1) * 6;
        const std::uintmax_t n = static_cast<std::uintmax_t>(w.m_vertPerCol - 1);
        EXPECT_EQ(std::filesystem::file_size(w.m_gridFileName), v * 60 + i * 2 + n * 60);
        for (std::uint16_t index : w.m_indices) {
            ASSERT_LT(index, v);
        }
        // Cell r spans vertex rows r and r + 1; its corners are the rows' end vertices, so the
        // cells tile the mesh without gaps, and its flow is a unit vector downstream.
        const auto last = static_cast<std::uint32_t>(w.m_vertPerRow - 1);
        for (std::size_t r = 0; r < w.m_cells.size(); ++r) {
            const velm::phy::CGridCell& cell = w.m_cells[r];
            const auto up = static_cast<std::uint32_t>(r) * w.m_vertPerRow;
            const auto down = up + w.m_vertPerRow;
            EXPECT_EQ(cell.GetFirst()[0], VertexPosition(w, down)) << r;
            EXPECT_EQ(cell.GetFirst()[1], VertexPosition(w, up)) << r;
            EXPECT_EQ(cell.GetFirst()[2], VertexPosition(w, up + last)) << r;
            EXPECT_EQ(cell.GetSecond()[2], VertexPosition(w, down + last)) << r;
            EXPECT_GT(cell.GetFirst().GetNormal().y, 0.9f) << r;
            EXPECT_NEAR(cell.GetFlow().Length(), 1.0f, 1e-4f) << r;
            EXPECT_LT(cell.GetFlow().z, -0.9f) << r;
            EXPECT_LE(cell.GetFlow().y, 0.0f) << r << ": the water runs uphill";
        }
        if (k + 1 < m_river.size()) {
            const SModelData::SWaterData& next = *m_river[k + 1];
            for (std::uint32_t c = 0; c <= last; ++c) {
                EXPECT_EQ(VertexPosition(w, (w.m_vertPerCol - 1) * w.m_vertPerRow + c), VertexPosition(next, c))
                    << "segment " << k << " does not meet the next at column " << c;
            }
        }
    }
}

TEST_F(LevelGeometryTest, WaterReachesEveryFixedPlaceWithTheFlowDownstream) {
    velm::phy::CPhysicsWorld world;
    AddRiver(world);
    auto surfaceUnder = [&](const SPlace& place, float& height, CVector3& flow) {
        for (const auto& field : world.GetSimulator().GetWaterFields()) {
            CVector3 normal;
            if (field->GetSurface(place.x, place.z, height, normal, flow)) {
                return true;
            }
        }
        return false;
    };
    for (const SPlace& place : kRiverPlaces) {
        float height = 0.0f;
        CVector3 flow;
        ASSERT_TRUE(surfaceUnder(place, height, flow)) << place.what;
        EXPECT_GE(place.y - height, place.minAbove) << place.what;
        EXPECT_LE(place.y - height, place.maxAbove) << place.what;
        EXPECT_LT(flow.z, -0.9f) << place.what;
    }
    for (const SPlace& place : kPoolPlaces) {
        float height = 0.0f;
        CVector3 flow(1.0f, 1.0f, 1.0f);
        ASSERT_TRUE(surfaceUnder(place, height, flow)) << place.what;
        EXPECT_GE(place.y - height, place.minAbove - 1e-4f) << place.what;
        EXPECT_LE(place.y - height, place.maxAbove + 1e-4f) << place.what;
        EXPECT_EQ(flow, CVector3()) << place.what << ": the pool is still";
    }
}

// A racer-sized box of a racer's mass, left on the host grid with the river running: it floats
// and is carried past the finish line within a bounded number of fixed steps, never leaving the
// water on the way.
TEST_F(LevelGeometryTest, FloatingRacerDriftsFromTheStartPastTheFinish) {
    velm::CEventManager events;
    velm::SetEventManager(&events);
    velm::phy::CPhysicsWorld world;
    AddRiver(world);
    auto body = std::make_shared<velm::phy::CRigidBody>();
    body->SetPosition(CVector3(-1.0f, 39.51f, 195.2f));
    body->SetBoxHull(1.2f, 1.0f, 2.0f, 70.0f, false);
    auto buoyancy = std::make_shared<velm::phy::BuoyancyForce>(body.get(), &world.GetSimulator(), CVector3());
    buoyancy->SetUseRiverDensity(true);
    buoyancy->SetFlowSpeed(5.0f);
    body->SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
    body->SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(body.get()));
    world.AddBody(1, body);
    // Half the box under water carries the racer's weight.
    velm::phy::SetRiverDensity(2.0f * 70.0f / (1.2f * 1.0f * 2.0f * 1.331f));

    constexpr int kMaxSteps = 60 * 700;
    int steps = 0;
    float lowestAbove = 1e9f;
    float highestAbove = -1e9f;
    for (; steps < kMaxSteps && body->GetPosition().z > -1170.0f; ++steps) {
        world.Update(1.0f / 60.0f);
        ASSERT_NE(buoyancy->GetWaterField(), nullptr) << "left the water at step " << steps << " at x "
                                                      << body->GetPosition().x << " z " << body->GetPosition().z;
        CVector3 surface;
        if (steps > 120 && buoyancy->GetSurfacePoint(surface)) {
            const float above = body->GetPosition().y - surface.y;
            lowestAbove = std::min(lowestAbove, above);
            highestAbove = std::max(highestAbove, above);
        }
    }
    velm::phy::SetRiverDensity(0.0f);
    velm::SetEventManager(nullptr);
    EXPECT_LT(steps, kMaxSteps) << "stopped at z " << body->GetPosition().z;
    EXPECT_GT(lowestAbove, -1.0f) << "sank";
    EXPECT_LT(highestAbove, 1.0f) << "left the surface";
    EXPECT_TRUE(buoyancy->IsInWater());
}

// One terrain patch as the level builds it: the record, its heights read from the height map by
// the graphics core, and the physics height map over them. The render grid lays its row r at
// z = centre + half depth - r * spacing, so that row is the height map's row rows - 1 - r; each
// sample stands on the terrain's height.
struct STerrainPatch {
    std::unique_ptr<SModelData::STerrainData> record;
    std::unique_ptr<velm::phy::CHeightMap> map;
};

class TerrainGeometryTest : public LevelGeometryTest {
protected:
    void SetUp() override {
        LevelGeometryTest::SetUp();
        setenv("TK_D3D9_DEVICE", "null", 1);
        ASSERT_EQ(velm::gfx::GFXCore::Instance().CreateDevice(), D3D_OK);
        velm::gfx::SGfxDirectories::s_texture = Source() + "/data/arts/textures/";
        for (int n = 1; n <= 9; ++n) {
            common::CXmlReader reader;
            reader.Load(XmlFolder() + "terrain" + std::to_string(n) + ".xml");
            reader.Enter("InstanceData");
            STerrainPatch patch;
            kelvo::ReadTerrainData(reader, patch.record);
            ASSERT_NE(patch.record, nullptr) << n;
            const SModelData::STerrainData& t = *patch.record;
            const auto columns = static_cast<std::uint32_t>(t.m_vertPerRow);
            const auto rows = static_cast<std::uint32_t>(t.m_vertPerCol);
            std::vector<float> heights(static_cast<std::size_t>(columns) * rows, -1.0f);
            ASSERT_TRUE(velm::gfx::GFXCore::Instance().ReadHeightMap(t.m_textures[5], heights.data(), columns, rows))
                << t.m_textures[5];
            velm::phy::CGrid2D grid(columns, rows, t.m_position[1]);
            for (std::uint32_t r = 0; r < rows; ++r) {
                for (std::uint32_t c = 0; c < columns; ++c) {
                    grid(c, rows - 1 - r) += t.m_amplitude * heights[static_cast<std::size_t>(r) * columns + c];
                }
            }
            patch.map =
                std::make_unique<velm::phy::CHeightMap>(columns, rows, t.m_cellSpacing, t.m_cellSpacing, grid,
                                                        CVector3(t.m_position[0], t.m_position[1], t.m_position[2]));
            m_terrain.push_back(std::move(patch));
        }
    }
    void TearDown() override {
        velm::gfx::GFXCore::Destroy();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
        LevelGeometryTest::TearDown();
    }
    // The ground at (x, z) from the first patch holding it; false when none does.
    bool Ground(float x, float z, float& height) const {
        for (const STerrainPatch& patch : m_terrain) {
            CVector3 normal;
            if (patch.map->GetHeight(x, z, height, normal)) {
                return true;
            }
        }
        return false;
    }
    std::vector<STerrainPatch> m_terrain;
};

TEST_F(TerrainGeometryTest, GroundStaysUnderTheWaterAndRisesOnTheBanks) {
    for (const auto& water : m_river) {
        const SModelData::SWaterData& w = *water;
        for (std::int32_t r = 0; r < w.m_vertPerCol; ++r) {
            const auto row = static_cast<std::uint32_t>(r * w.m_vertPerRow);
            for (std::int32_t c = 0; c < w.m_vertPerRow; ++c) {
                const CVector3 p = VertexPosition(w, row + static_cast<std::uint32_t>(c));
                float ground = 0.0f;
                ASSERT_TRUE(Ground(p.x, p.z, ground)) << "no terrain under " << p.x << ", " << p.z;
                EXPECT_LT(ground, p.y - 0.5f) << "the bed rises to the water at " << p.x << ", " << p.z;
            }
            if (r % 10 != 0) {
                continue;
            }
            // Across the stream from the centre vertex, out to both banks.
            const CVector3 centre = VertexPosition(w, row + static_cast<std::uint32_t>(w.m_vertPerRow / 2));
            CVector3 across =
                VertexPosition(w, row + static_cast<std::uint32_t>(w.m_vertPerRow - 1)) - VertexPosition(w, row);
            across.Normalize();
            for (float side : {-1.0f, 1.0f}) {
                float bed = 0.0f, bank = 0.0f, slope = 0.0f;
                ASSERT_TRUE(Ground(centre.x, centre.z, bed));
                const CVector3 near = centre + across * (20.0f * side);
                const CVector3 far = centre + across * (30.0f * side);
                ASSERT_TRUE(Ground(near.x, near.z, bank));
                ASSERT_TRUE(Ground(far.x, far.z, slope));
                EXPECT_LT(bed, centre.y - 2.0f) << centre.z;
                EXPECT_GT(bank, centre.y + 0.5f) << centre.z << " side " << side;
                EXPECT_GT(slope, bank) << centre.z << " side " << side;
            }
        }
    }
    for (const SPlace& place : kPoolPlaces) {
        float ground = 0.0f;
        ASSERT_TRUE(Ground(place.x, place.z, ground)) << place.what;
        EXPECT_LT(ground, std::min(place.y, m_pool->m_position.y) - 1.0f) << place.what;
    }
}

TEST_F(TerrainGeometryTest, NeighbouringPatchesMeetOnTheirSharedEdge) {
    for (std::size_t k = 0; k + 1 < m_terrain.size(); ++k) {
        const velm::phy::CHeightMap& upstream = *m_terrain[k].map;
        const velm::phy::CHeightMap& downstream = *m_terrain[k + 1].map;
        // The downstream patch's far edge is the upstream patch's near edge.
        const float edge = upstream.GetOriginZ();
        ASSERT_FLOAT_EQ(edge, downstream.GetOriginZ() + (downstream.GetRows() - 1) * downstream.GetSpacingZ()) << k;
        ASSERT_FLOAT_EQ(upstream.GetOriginX(), downstream.GetOriginX()) << k;
        for (std::uint32_t c = 0; c < upstream.GetColumns(); ++c) {
            const float x = upstream.GetOriginX() + static_cast<float>(c) * upstream.GetSpacingX();
            float a = 0.0f, b = 0.0f;
            CVector3 normal;
            ASSERT_TRUE(upstream.GetHeight(x, edge, a, normal));
            ASSERT_TRUE(downstream.GetHeight(x, edge, b, normal));
            EXPECT_NEAR(a, b, 1e-3f) << "patches " << k + 1 << " and " << k + 2 << " at x " << x;
        }
    }
}

} // namespace
