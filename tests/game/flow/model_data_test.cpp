#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/sound.h"
#include "engine/phy/collision_hull.h"
#include "engine/phy/rigid_body.h"
#include "game/content/content_fixtures.h"
#include "game/content/model_data_keys.h"
#include "game/content/model_data_mgr.h"
#include "game/flow/startup_model_data.h"
#include "support/damaged_file.h"

namespace {

using kelvo::SModelData;

const char* const kNoneSections =
    "<LightData>\n<entry>none</entry>\n</LightData>\n<Water>\n<entry>none</entry>\n</Water>\n"
    "<Terrain>\n<entry>none</entry>\n</Terrain>\n";

std::string Physics(const std::string& hull, const std::string& offsets = "", const std::string& immovable = "TRUE") {
    return "<PhysicsData>\n<entry>yes</entry>\n<Mass>80</Mass>\n<KineticFriction>0.3</KineticFriction>\n"
           "<StaticFriction>0.5</StaticFriction>\n<CoefficientRestitution>0.2</CoefficientRestitution>\n"
           "<Immovable>" +
           immovable + "</Immovable>\n<HullData>\n" + hull + "</HullData>\n" + offsets + "</PhysicsData>\n";
}

std::string Offset(int x, int y, int z) {
    return "<PositionOffsets>\n<x>" + std::to_string(x) + "</x>\n<y>" + std::to_string(y) + "</y>\n<z>" +
           std::to_string(z) + "</z>\n</PositionOffsets>\n";
}

std::string Water(int kind, int rows, int cols, const std::string& gridFile) {
    return "<Water>\n<entry>yes</entry>\n<Wave>\n<Amp1>0.5</Amp1>\n<Freq1>2</Freq1>\n<Phase1>0</Phase1>\n"
           "<BumpHeight>0.1</BumpHeight>\n<RefUVDistortion>0.2</RefUVDistortion>\n<FresnelBias>0.3</FresnelBias>\n"
           "<FresnelPow>4</FresnelPow>\n<DeepWaterColorA>1</DeepWaterColorA>\n</Wave>\n<Grid>\n<VertPerRow>" +
           std::to_string(rows) + "</VertPerRow>\n<VertPerCol>" + std::to_string(cols) +
           "</VertPerCol>\n<CellSpacing>2</CellSpacing>\n</Grid>\n<Pos>\n<x>0</x>\n<y>-1</y>\n<z>0</z>\n</Pos>\n"
           "<Scalars>\n<x>1</x>\n<y>1</y>\n<z>1</z>\n</Scalars>\n<Textures>\n<SpecularMap>s.dds</SpecularMap>\n"
           "<NormalMap>n.dds</NormalMap>\n</Textures>\n<Type>\n<entry>" +
           std::to_string(kind) + "</entry>\n</Type>\n<VBIBFileName>\n<entry>" + gridFile +
           "</entry>\n</VBIBFileName>\n</Water>\n";
}

class ModelDataTest : public ::testing::Test {
protected:
    ModelDataTest() {
        // Sounds are plain objects here, remembered with the file name they were made for.
        m_env.m_models =
            std::make_unique<kelvo::CModelDataMgr>(m_env.m_dir.Path() + "/", [this](const std::string& name) {
                m_sounds.push_back(std::make_unique<velm::CSound>());
                m_soundNames.push_back(name);
                return m_sounds.back().get();
            });
        kelvo::SetModelDataMgr(m_env.m_models.get());
    }
    SModelData Load(const std::string& key, const std::string& instance) {
        m_env.AddModel(key, instance);
        SModelData record;
        EXPECT_TRUE(m_env.m_models->Get(key, record));
        return record;
    }
    std::string GridFile(std::size_t vertices, std::size_t indices, std::size_t cells) {
        return m_env.m_dir.Write("grid.bin", std::string(vertices * 60 + indices * 2 + cells * 60, '\0'));
    }
    std::vector<std::unique_ptr<velm::CSound>> m_sounds;
    std::vector<std::string> m_soundNames;
    tktest::CFlowEnvironment m_env;
};

TEST_F(ModelDataTest, GraphicDataKeepsFixedTextureSlotsAndSkipsNone) {
    const SModelData record = Load("MonkeyModelData", tktest::GraphicSection() + kNoneSections);
    ASSERT_NE(record.m_graphic, nullptr);
    const SModelData::SGraphicData& g = *record.m_graphic;
    EXPECT_EQ(g.m_meshFileName, "m.x");
    EXPECT_EQ(g.m_effectFileName, "Racer.fx");
    EXPECT_EQ(g.m_technique, "Render");
    EXPECT_EQ(g.m_tileFactor, 2.0f);
    ASSERT_EQ(g.m_textures.size(), 2u);
    EXPECT_EQ(g.m_textures[0], std::make_pair(std::string("b1.dds"), 4));
    EXPECT_EQ(g.m_textures[1], std::make_pair(std::string("n.dds"), 0));
    EXPECT_EQ(g.m_position, common::CVector3(1, 2, 3));
    EXPECT_EQ(g.m_rotationAxis, common::CVector3(0, 1, 0));
    EXPECT_EQ(g.m_rotationAngle, 90.0f);
    EXPECT_EQ(g.m_facingDir, common::CVector3(0, 0, 1));
    EXPECT_EQ(record.m_light, nullptr);
    EXPECT_EQ(record.m_water, nullptr);
    EXPECT_EQ(record.m_terrain, nullptr);
    EXPECT_EQ(record.m_physics, nullptr);
    EXPECT_EQ(record.m_key, "MonkeyModelData");
    EXPECT_EQ(record.m_objectId, 0u);
}

TEST_F(ModelDataTest, AMissingSectionStaysAbsentAndTheSectionsAfterItAreStillRead) {
    // No LightData, Water or Terrain at all: the sound list and physics after them still load.
    const SModelData record =
        Load("BaitModelData", tktest::GraphicSection() +
                                  "<SoundData>\n<NumFiles>1</NumFiles>\n<FileName>hit.wav</FileName>\n</SoundData>\n" +
                                  Physics("<HasHull>FALSE</HasHull>\n"));
    EXPECT_EQ(record.m_light, nullptr);
    EXPECT_EQ(record.m_water, nullptr);
    ASSERT_NE(record.m_physics, nullptr);
    EXPECT_EQ(record.m_physics->m_mass, 80.0f);
    EXPECT_EQ(record.m_physics->m_hullType, SModelData::HULL_NONE);
    EXPECT_EQ(m_soundNames, std::vector<std::string>{"hit.wav"});

    // A missing instance file gives only what the model file holds.
    m_env.m_models->Load("Nothing", "none", "missing.xml");
    SModelData nothing;
    ASSERT_TRUE(m_env.m_models->Get("Nothing", nothing));
    EXPECT_EQ(nothing.m_graphic, nullptr);
    EXPECT_EQ(nothing.m_physics, nullptr);
}

// A model or instance file that cannot be used is named in one line with what its record lacks;
// the record is still made from the other file.
TEST_F(ModelDataTest, EachUnusableModelOrInstanceFileIsNamedWithWhatTheRecordLacks) {
    int made = 0;
    for (const char* suffix : {".xml", "_instance.xml"}) {
        for (const tktest::SDamage& damage : tktest::kDamages) {
            const std::string key = "Damaged" + std::to_string(made++);
            m_env.m_dir.Write(key + ".xml",
                              "<ModelData>\n<GraphicData>\n<XFileName>m.x</XFileName>\n</GraphicData>\n"
                              "</ModelData>\n");
            m_env.m_dir.Write(key + "_instance.xml",
                              "<InstanceData>\n" + tktest::GraphicSection() + "</InstanceData>\n");
            const std::string path = m_env.m_dir.Path() + "/" + key + suffix;
            tktest::Damage(path, damage);
            ::testing::internal::CaptureStderr();
            m_env.m_models->Load(key, key + ".xml", key + "_instance.xml");
            const std::string log = ::testing::internal::GetCapturedStderr();
            const std::string lacks = std::string(suffix) == ".xml" ? " has no mesh" : " has no graphics, light";
            EXPECT_NE(log.find(path + ": " + damage.said + "; model data " + key + lacks), std::string::npos) << log;
            SModelData record;
            EXPECT_TRUE(m_env.m_models->Get(key, record)) << key;
        }
    }
    // A record that names no instance file (as the end-of-level trigger's does) is no damage.
    m_env.m_dir.Write("plain.xml", "<ModelData>\n</ModelData>\n");
    ::testing::internal::CaptureStderr();
    m_env.m_models->Load("NoInstance", "plain.xml", "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(ModelDataTest, SoundsAreReadInFileOrderAndNeverPastTheNamesGiven) {
    const SModelData record = Load("FishModelData",
                                   "<SoundData>\n<NumFiles>5</NumFiles>\n<FileName>hurt.wav</FileName>\n"
                                   "<FileName>slap.wav</FileName>\n<FileName>win.wav</FileName>\n</SoundData>\n");
    EXPECT_EQ(m_soundNames, (std::vector<std::string>{"hurt.wav", "slap.wav", "win.wav"}));
    ASSERT_EQ(record.m_sounds.size(), 3u);
    EXPECT_EQ(record.GetSound(2), m_sounds[2].get());
    EXPECT_EQ(record.GetSound(3), nullptr);

    m_soundNames.clear();
    const SModelData two = Load("BearModelData",
                                "<SoundData>\n<NumFiles>2</NumFiles>\n<FileName>a.wav</FileName>\n"
                                "<FileName>b.wav</FileName>\n<FileName>c.wav</FileName>\n</SoundData>\n");
    EXPECT_EQ(m_soundNames, (std::vector<std::string>{"a.wav", "b.wav"}));
    const SModelData negative = Load("AlienModelData",
                                     "<SoundData>\n<NumFiles>-1</NumFiles>\n"
                                     "<FileName>a.wav</FileName>\n</SoundData>\n");
    EXPECT_TRUE(negative.m_sounds.empty());
}

TEST_F(ModelDataTest, PhysicsHullsOffsetsAndFlags) {
    const SModelData cylinder = Load(
        "A", Physics("<HasHull>TRUE</HasHull>\n<IndependentHull>TRUE</IndependentHull>\n<HullType>Cylinder</HullType>\n"
                     "<Height>2</Height>\n<Radius>0.5</Radius>\n<Layers>3</Layers>\n<Slices>8</Slices>\n",
                     Offset(1, 2, 3) + Offset(4, 5, 6) + Offset(7, 8, 9), "true"));
    const SModelData::SPhysicsData& c = *cylinder.m_physics;
    EXPECT_EQ(c.m_immovable, 0u);
    EXPECT_EQ(c.m_independentHull, 1u);
    EXPECT_EQ(c.m_hullType, SModelData::HULL_CYLINDER);
    EXPECT_EQ(c.m_hullDims[0], 2.0f);
    EXPECT_EQ(c.m_hullDims[1], 0.5f);
    EXPECT_EQ(c.m_hullLayers, 3);
    EXPECT_EQ(c.m_hullSlices, 8);
    ASSERT_EQ(c.m_positionOffsets.size(), 3u);
    EXPECT_EQ(c.m_positionOffsets[0], common::CVector3(1, 2, 3));
    EXPECT_EQ(c.m_positionOffsets[2], common::CVector3(7, 8, 9));

    const SModelData box = Load("B", Physics("<HasHull>TRUE</HasHull>\n<HullType>Box</HullType>\n<XLength>1</XLength>\n"
                                             "<YLength>2</YLength>\n<ZLength>3</ZLength>\n"));
    EXPECT_EQ(box.m_physics->m_immovable, 1u);
    EXPECT_EQ(box.m_physics->m_hullType, SModelData::HULL_BOX);
    EXPECT_EQ(box.m_physics->m_hullDims[2], 3.0f);
    EXPECT_TRUE(box.m_physics->m_positionOffsets.empty());

    const std::string point = "<Point>\n<x>1</x>\n<y>1</y>\n<z>0</z>\n</Point>\n";
    const std::string origin = "<Point>\n<x>0</x>\n<y>0</y>\n<z>0</z>\n</Point>\n";
    const std::string triangle = "<Triangle>\n" + origin + point +
                                 "<Point>\n<x>1</x>\n<y>0</y>\n<z>1</z>\n</Point>\n"
                                 "</Triangle>\n";
    const std::string mesh = "<HasHull>TRUE</HasHull>\n<HullType>Mesh</HullType>\n<Hull>\n<TriCount>";
    const SModelData two = Load("C", Physics(mesh +
                                                 "9</TriCount>\n<Scalars>\n<x>2</x>\n<y>3</y>\n<z>4</z>\n"
                                                 "</Scalars>\n" +
                                                 triangle + triangle + "</Hull>\n",
                                             Offset(0, 1, 0)));
    EXPECT_EQ(two.m_physics->m_hullType, SModelData::HULL_MESH);
    ASSERT_EQ(two.m_physics->m_meshHull.size(), 2u); // nine declared, two present
    EXPECT_EQ(two.m_physics->m_meshHull[1][1], common::CVector3(2, 3, 0));
    const SModelData empty = Load("D", Physics(mesh + "0</TriCount>\n</Hull>\n"));
    EXPECT_TRUE(empty.m_physics->m_meshHull.empty());

    const SModelData none = Load("E", "<PhysicsData>\n<entry>none</entry>\n</PhysicsData>\n");
    EXPECT_EQ(none.m_physics, nullptr);
}

// Each refused number is said with the file and the field and replaced: a place by 0, a spacing,
// a hull's side or mass, and a hull's layers and slices by values that still make a body (a metre,
// 100 kg, the game's own 3 layers and 12 slices); the hull built from the record stays small.
TEST(ModelDataFileTest, HostileNumbersAreRefusedWithALineNamingTheFileAndField) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "TK_SOURCE_DIR is not set";
    const std::string folder = std::string(source) + "/tests/game/flow/data/";
    kelvo::CModelDataMgr models(folder);
    testing::internal::CaptureStderr();
    models.Load("Hostile", "none", "hostile_instance.xml");
    const std::string errors = testing::internal::GetCapturedStderr();
    SModelData record;
    ASSERT_TRUE(models.Get("Hostile", record));
    ASSERT_TRUE(record.m_graphic && record.m_terrain && record.m_physics);
    EXPECT_EQ(record.m_graphic->m_position, common::CVector3(0, 0, 0));
    EXPECT_EQ(record.m_graphic->m_scale, common::CVector3(1, 0, 1));
    EXPECT_EQ(record.m_terrain->m_vertPerRow, 0);
    EXPECT_EQ(record.m_terrain->m_vertPerCol, 33);
    EXPECT_EQ(record.m_terrain->m_cellSpacing, 1.0f);
    const SModelData::SPhysicsData& p = *record.m_physics;
    EXPECT_EQ(p.m_mass, 100.0f);
    EXPECT_EQ(p.m_hullDims[0], 2.0f);
    EXPECT_EQ(p.m_hullDims[1], 1.0f);
    EXPECT_EQ(p.m_hullLayers, 3);
    EXPECT_EQ(p.m_hullSlices, 12);
    ASSERT_EQ(p.m_positionOffsets.size(), 1u);
    EXPECT_EQ(p.m_positionOffsets[0], common::CVector3(0, 0, 0));
    const std::string file = folder + "hostile_instance.xml: ";
    for (const char* line : {"Pos x \"nan\"", "Pos y \"1e10\"", "Pos z \"-inf\"", "Scalars y \"inf\"",
                             "VertPerRow \"2147483647\" is not a whole number from 0 to 65536; using 0",
                             "CellSpacing \"-inf\" is not a number from 0.001 to 1e+06; using 1",
                             "Mass \"nan\" is not a number from 0.001 to 1e+06; using 100", "Radius \"1e10\"",
                             "Layers \"-1\" is not a whole number from 1 to 64; using 3",
                             "Slices \"1000000000\" is not a whole number from 3 to 256; using 12", "y \"inf\""}) {
        EXPECT_NE(errors.find(file + line), std::string::npos) << line << "\n" << errors;
    }

    velm::phy::CRigidBody body;
    body.SetCylinderHull(p.m_hullDims[0], p.m_hullDims[1], p.m_mass, static_cast<unsigned>(p.m_hullLayers),
                         static_cast<unsigned>(p.m_hullSlices), false);
    EXPECT_EQ(body.GetHull()->GetLocalTestPoints().size(), 12u * 4u + 2u) << "12 slices of 4 rims and the ends";
}

// Counts and sizes of none make no hull and no grid: each is said with the file and field and
// replaced by what still makes one, and the body built from the record has a mass and an extent.
TEST_F(ModelDataTest, HullsAndGridsOfNothingAreRefused) {
    const struct {
        const char* what;
        std::string instance;
        const char* said;
    } cases[] = {
        {"0 slices",
         Physics("<HasHull>TRUE</HasHull>\n<HullType>Cylinder</HullType>\n<Height>2</Height>\n<Radius>0.5</Radius>\n"
                 "<Layers>2</Layers>\n<Slices>0</Slices>\n"),
         ": Slices \"0\" is not a whole number from 3 to 256; using 12"},
        {"0 layers",
         Physics("<HasHull>TRUE</HasHull>\n<HullType>Cylinder</HullType>\n<Height>2</Height>\n<Radius>0.5</Radius>\n"
                 "<Layers>0</Layers>\n<Slices>8</Slices>\n"),
         ": Layers \"0\" is not a whole number from 1 to 64; using 3"},
        {"a box of no height",
         Physics("<HasHull>TRUE</HasHull>\n<HullType>Box</HullType>\n<XLength>1</XLength>\n<YLength>0</YLength>\n"
                 "<ZLength>1</ZLength>\n"),
         ": YLength \"0\" is not a number from 0.001 to 1e+06; using 1"},
        {"0 mass",
         "<PhysicsData>\n<entry>yes</entry>\n<Mass>0</Mass>\n<HullData>\n<HasHull>FALSE</HasHull>\n</HullData>\n"
         "</PhysicsData>\n",
         ": Mass \"0\" is not a number from 0.001 to 1e+06; using 100"},
        {"water cells of no size", Water(1, 2, 2, "none"), ": CellSpacing \"0\" is not a number from 0.001"},
        {"terrain cells of no size",
         "<Terrain>\n<entry>yes</entry>\n<Amplitude>4</Amplitude>\n<Grid>\n<VertPerRow>9</VertPerRow>\n"
         "<VertPerCol>9</VertPerCol>\n<CellSpacing>0</CellSpacing>\n</Grid>\n</Terrain>\n",
         ": CellSpacing \"0\" is not a number from 0.001 to 1e+06; using 1"},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string instance = c.instance;
        const std::size_t spacing = instance.find("<CellSpacing>2<");
        if (spacing != std::string::npos) {
            instance.replace(spacing + 13, 1, "0");
        }
        const std::string key = "Nothing" + std::to_string(n++);
        testing::internal::CaptureStderr();
        const SModelData record = Load(key, instance);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find(c.said), std::string::npos) << c.what << "\n" << errors;
        if (record.m_physics) {
            const SModelData::SPhysicsData& p = *record.m_physics;
            EXPECT_GT(p.m_mass, 0.0f) << c.what;
            velm::phy::CRigidBody body;
            if (p.m_hullType == SModelData::HULL_CYLINDER) {
                body.SetCylinderHull(p.m_hullDims[0], p.m_hullDims[1], p.m_mass, static_cast<unsigned>(p.m_hullLayers),
                                     static_cast<unsigned>(p.m_hullSlices), false);
                EXPECT_GE(body.GetHull()->GetLocalTestPoints().size(), 3u * 2u + 2u) << c.what;
                EXPECT_GT(body.GetInverseMass(), 0.0f) << c.what;
            }
        }
        if (record.m_water) {
            EXPECT_GT(record.m_water->m_cellSpacing, 0.0f) << c.what;
        }
        if (record.m_terrain) {
            EXPECT_EQ(record.m_terrain->m_cellSpacing, 1.0f) << c.what;
        }
    }
}

TEST_F(ModelDataTest, LightAndTerrainRecords) {
    const SModelData light =
        Load("LightModelData",
             "<LightData>\n<entry>yes</entry>\n<Ambient>\n<r>0.1</r>\n<g>0.2</g>\n<b>0.3</b>\n"
             "</Ambient>\n<Diffuse>\n<r>1</r>\n<g>1</g>\n<b>1</b>\n</Diffuse>\n<Specular>\n<r>0</r>\n"
             "<g>0</g>\n<b>0.5</b>\n</Specular>\n<Direction>\n<x>0</x>\n<y>-1</y>\n<z>0</z>\n"
             "</Direction>\n<entry>\n<Type>3</Type>\n<Range>100</Range>\n<Att0>1</Att0>\n"
             "<Att1>0</Att1>\n<Att2>0.01</Att2>\n</entry>\n</LightData>\n");
    ASSERT_NE(light.m_light, nullptr);
    EXPECT_EQ(light.m_light->m_ambient, common::CVector3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(light.m_light->m_specular, common::CVector3(0, 0, 0.5f));
    EXPECT_EQ(light.m_light->m_direction, common::CVector3(0, -1, 0));
    EXPECT_EQ(light.m_light->m_type, 3);
    EXPECT_EQ(light.m_light->m_range, 100.0f);
    EXPECT_EQ(light.m_light->m_attenuation2, 0.01f);

    const SModelData terrain =
        Load("TerrainModelData1",
             "<Terrain>\n<entry>yes</entry>\n<Amplitude>40</Amplitude>\n<Grid>\n<VertPerRow>65"
             "</VertPerRow>\n<VertPerCol>33</VertPerCol>\n<CellSpacing>4</CellSpacing>\n</Grid>\n"
             "<Pos>\n<x>10</x>\n<y>0</y>\n<z>-5</z>\n</Pos>\n<RotationInfo>\n<x>0</x>\n<y>1</y>\n<z>0</z>\n"
             "<Angle>180</Angle>\n</RotationInfo>\n<Scalars>\n<x>1</x>\n<y>2</y>\n<z>1</z>\n</Scalars>\n"
             "<Textures>\n<Base1>grass.dds</Base1>\n<Base2>rock.dds</Base2>\n<Base3>snow.dds</Base3>\n"
             "<BlendMap>blend.dds</BlendMap>\n<SpecularMap>spec.dds</SpecularMap>\n"
             "<HeightMap>height1.raw</HeightMap>\n</Textures>\n</Terrain>\n");
    ASSERT_NE(terrain.m_terrain, nullptr);
    const SModelData::STerrainData& t = *terrain.m_terrain;
    EXPECT_EQ(t.m_vertPerRow, 65);
    EXPECT_EQ(t.m_vertPerCol, 33);
    EXPECT_EQ(t.m_amplitude, 40.0f);
    EXPECT_EQ(t.m_position[2], -5.0f);
    EXPECT_EQ(t.m_rotationAngle, 180.0f);
    EXPECT_EQ(t.m_scale[1], 2.0f);
    EXPECT_EQ(t.m_textures[0], "grass.dds");
    EXPECT_EQ(t.m_textures[5], "height1.raw");
}

TEST_F(ModelDataTest, WaterKindsAndTheirGrids) {
    const SModelData planar = Load("WaterModelData1", Water(1, 0, 0, ""));
    ASSERT_NE(planar.m_water, nullptr);
    EXPECT_EQ(planar.m_water->m_wave1.m_amp, 0.5f);
    EXPECT_EQ(planar.m_water->m_wave1.m_freq, 2.0f);
    EXPECT_EQ(planar.m_water->m_planar[3], 4.0f);
    EXPECT_EQ(planar.m_water->m_deepColor[3], 1.0f);
    EXPECT_EQ(planar.m_water->m_normalMap, "n.dds");

    const SModelData grid = Load("WaterModelData2", Water(2, 2, 50, GridFile(100, 294, 49)));
    ASSERT_NE(grid.m_water, nullptr);
    EXPECT_EQ(grid.m_water->m_vertexCount, 100u);
    EXPECT_EQ(grid.m_water->m_vertices.size(), 6000u);
    EXPECT_EQ(grid.m_water->m_indexCount, 294u);
    EXPECT_EQ(grid.m_water->m_cells.size(), 49u);
    EXPECT_EQ(planar.m_water->m_planar[0], 0.1f);
    EXPECT_EQ(grid.m_water->m_planar[0], 0.0f);

    // Grids that cannot be built drop the water record instead of building a broken one.
    EXPECT_EQ(Load("WaterModelData3", Water(2, 0, 0, GridFile(0, 0, 0))).m_water, nullptr);
    EXPECT_EQ(Load("WaterModelData4", Water(2, 1, 50, GridFile(50, 0, 49))).m_water, nullptr);
    EXPECT_EQ(Load("WaterModelData5", Water(2, -3, 50, GridFile(0, 0, 0))).m_water, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Load("WaterModelData6", Water(2, 2, 50, GridFile(100, 294, 48))).m_water, nullptr);
    const std::string said = testing::internal::GetCapturedStderr();
    // Both files are named: the grid file and the instance file that names it.
    EXPECT_NE(said.find("Grid file " + m_env.m_dir.Path() +
                        "/grid.bin refused: 9468 bytes where the counts describe "
                        "9528"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("WaterModelData6_instance.xml: water grid " + m_env.m_dir.Path() +
                        "/grid.bin cannot be used; the water is dropped"),
              std::string::npos)
        << said;
    EXPECT_EQ(Load("WaterModelData7", Water(2, 2, 50, m_env.m_dir.Path() + "/absent.bin")).m_water, nullptr);
    EXPECT_EQ(Load("WaterModelData8", Water(2, 300, 300, GridFile(0, 0, 0))).m_water, nullptr);
}

TEST_F(ModelDataTest, TheManagerKeepsTheFirstRecordAndCopiesDeeply) {
    Load("RockModelData", tktest::GraphicSection("<x>1</x>\n<y>1</y>\n<z>1</z>"));
    m_env.m_dir.Write("other_instance.xml",
                      "<InstanceData>\n" + tktest::GraphicSection("<x>9</x>") + "</InstanceData>\n");
    m_env.m_models->Load("RockModelData", "none", "other_instance.xml");
    SModelData record;
    ASSERT_TRUE(m_env.m_models->Get("RockModelData", record));
    EXPECT_EQ(record.m_graphic->m_position.x, 1.0f);

    record.m_graphic->m_position.x = 5.0f;
    SModelData again;
    m_env.m_models->Get("RockModelData", again);
    EXPECT_EQ(again.m_graphic->m_position.x, 1.0f);
    EXPECT_EQ(again.m_physics, nullptr);

    SModelData copy = again;
    copy = record;
    EXPECT_EQ(copy.m_graphic->m_position.x, 5.0f);
    EXPECT_NE(copy.m_graphic.get(), record.m_graphic.get());

    SModelData untouched;
    untouched.m_objectId = 7;
    EXPECT_FALSE(m_env.m_models->Get("IceModelData", untouched));
    EXPECT_EQ(untouched.m_objectId, 7u);
}

TEST(ModelDataKeyTest, KeywordAndTypeTables) {
    const std::pair<const char*, const char*> keywords[] = {
        {"FISH", "FishModelData"},
        {"FISHING_POLE", "FishingPoleModelData"},
        {"ramp", "SpeedRampModelData"},
        {"SPEED_RAMP", "SpeedRampModelData"},
        {"jug", "ItemJugModelData"},
        {"ITEM_JUG", "ItemJugModelData"},
        {"WATER_40", "WaterModelData40"},
        {"TERRAIN_26", "TerrainModelData26"},
        {"WATER_41", "Invalid Input String"},
        {"Jug", "Invalid Input String"},
        {"splash", "splash1_system"},
        {"geyser", "GeyserDataKey"},
        {"MOVIE_STAR", "MovideStarModelData"},
        {"", "Invalid Input String"},
    };
    for (const auto& row : keywords) {
        EXPECT_EQ(kelvo::ModelDataKeyFromTypeName(row.first), row.second) << row.first;
    }
    EXPECT_EQ(kelvo::ModelDataKeyFromType(1), "MonkeyModelData");
    EXPECT_EQ(kelvo::ModelDataKeyFromType(6), "MovideStarModelData");
    EXPECT_EQ(kelvo::ModelDataKeyFromType(14), "MineModelData");
    for (std::uint32_t none : {0u, 8u, 12u, 15u, 99u}) {
        EXPECT_EQ(kelvo::ModelDataKeyFromType(none), "") << none;
    }
    EXPECT_EQ(kelvo::ModelDataKeys().size(), 42u + 40u + 26u + 1u);
    EXPECT_EQ(kelvo::ModelDataKeys().back(), "LightModelData");
    EXPECT_EQ(kelvo::StartupModelDataFiles().size(), 72u);
    EXPECT_EQ(kelvo::StartupModelDataFiles()[13].m_instanceFile, "River20.xml");
}

} // namespace
