#include "game/flow/level_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/object_id.h"
#include "game/content/content_fixtures.h"
#include "game/events/creation_events.h"
#include "support/damaged_file.h"

namespace {

class CRecordingHost : public kelvo::ILevelLoaderHost {
public:
    bool IsNetworkClient() const override { return m_client; }
    void AddLevelLog(std::uint32_t id) override { m_logs.push_back(id); }
    void CreateSkyBox(float scalar, const std::string (&faces)[6]) override {
        m_skyScalar = scalar;
        m_skyFaces.assign(faces, faces + 6);
    }
    void SetWaterEnvironmentMap(const std::string& name) override { m_envMap.push_back(name); }

    bool m_client = false;
    std::vector<std::uint32_t> m_logs;
    float m_skyScalar = -1.0f;
    std::vector<std::string> m_skyFaces;
    std::vector<std::string> m_envMap;
};

const char* const kLevel =
    "<Level>\n<WatersFile>waters.xml</WatersFile>\n<TerrainsFile>terrains.xml</TerrainsFile>\n"
    "<Skybox>\n<right>r.dds</right>\n<left>l.dds</left>\n<up>u.dds</up>\n<down>d.dds</down>\n<front>f.dds</front>\n"
    "<back>b.dds</back>\n<scalar>500</scalar>\n<EnvMap>\n<TextureName>sky_cube.dds</TextureName>\n</EnvMap>\n"
    "</Skybox>\n<Lights>\n<TypeFileName>light.xml</TypeFileName>\n<InstanceFileName>light_instance.xml"
    "</InstanceFileName>\n</Lights>\n<EnvObjs>\n"
    "<entry>\n<Opaque>FALSE</Opaque>\n<Type>rock</Type>\n<Pos>\n<entry>none</entry>\n</Pos>\n</entry>\n"
    "<entry>\n<Opaque>false</Opaque>\n<Type>log2</Type>\n<Pos>\n<entry>at</entry>\n<x>1</x>\n<y>2</y>\n<z>3</z>\n"
    "</Pos>\n<RotationInfo>\n<x>0</x>\n<y>1</y>\n<z>0</z>\n<Angle>45</Angle>\n</RotationInfo>\n<Scalars>\n<x>2</x>\n"
    "<y>2</y>\n<z>2</z>\n</Scalars>\n</entry>\n"
    "<entry>\n<Opaque>TRUE</Opaque>\n<Type>Jug</Type>\n<Pos>\n<entry>none</entry>\n</Pos>\n</entry>\n"
    "<entry>\n<Opaque>TRUE</Opaque>\n<Type>meadow</Type>\n<Pos>\n<entry>none</entry>\n</Pos>\n</entry>\n"
    "<entry>\n</entry>\n</EnvObjs>\n<ParticleSystems>\n"
    "<entry>\n<Type>splash</Type>\n<Pos>\n<x>4</x>\n<y>5</y>\n<z>6</z>\n</Pos>\n<RotationInfo>\n<x>1</x>\n<y>0</y>\n"
    "<z>0</z>\n<Angle>10</Angle>\n</RotationInfo>\n<Scalars>\n<x>1</x>\n<y>1</y>\n<z>1</z>\n</Scalars>\n</entry>\n"
    "<entry>\n</entry>\n</ParticleSystems>\n<TriggerObjs>\n"
    "<entry>\n<Type>END_LEVEL_COLL</Type>\n<Pos>\n<entry>none</entry>\n</Pos>\n</entry>\n"
    "<entry>\n</entry>\n</TriggerObjs>\n</Level>\n";

class LevelLoaderTest : public ::testing::Test {
protected:
    LevelLoaderTest() : m_loader(&m_host, m_env.m_dir.Path() + "/") {
        for (const char* key : {"RockModelData", "Log2ModelData", "ItemJugModelData", "splash1_system",
                                "EndLevelCollisionDataKey", "LightModelData", "WaterModelData1", "WaterModelData2",
                                "TerrainModelData1", "BaitModelData", "MeadowTreeModelData"}) {
            m_env.AddModel(key, tktest::GraphicSection());
        }
        m_env.m_dir.Write("race_track2.xml", kLevel);
        m_env.m_dir.Write("waters.xml",
                          "<Waters>\n<entry>\n<Type>WATER_1</Type>\n</entry>\n<entry>\n<Type>WATER_10"
                          "</Type>\n</entry>\n<entry>\n<Type>WATER_2</Type>\n</entry>\n<entry>\n</entry>\n"
                          "</Waters>\n");
        m_env.m_dir.Write("terrains.xml",
                          "<Terrains>\n<entry>\n<Type>TERRAIN_1</Type>\n</entry>\n<entry>\n</entry>\n</Terrains>\n");
        velm::SetObjectIDCounter(100);
    }
    std::vector<std::string> Types() const {
        std::vector<std::string> types;
        for (const auto& seen : m_env.m_listener->m_seen) {
            types.push_back(seen.m_type);
        }
        return types;
    }
    template <typename Data>
    const Data& Record(std::size_t index) {
        return *static_cast<const Data*>(m_env.Seen().at(index).m_data.get());
    }

    tktest::CFlowEnvironment m_env;
    CRecordingHost m_host;
    kelvo::CLevelLoader m_loader;
};

TEST_F(LevelLoaderTest, ALevelBuildsEveryPlacedObjectInFileOrder) {
    m_loader.SetFileName("race_track3.xml");
    m_loader.LoadLevel("race_track2.xml");
    EXPECT_EQ(m_loader.GetFileName(), "race_track3.xml");

    // WATER_10 and the keyword Jug (no model data) are logged and not built, though their ids
    // are taken.
    EXPECT_EQ(Types(),
              (std::vector<std::string>{"Make_Water", "Make_Water", "Make_Terrain", "Create_Light",
                                        "Create_Environment_Obj_Event", "Create_Environment_Obj_Event",
                                        "Create_Environment_Obj_Event", "Create_PartSys_Event", "Create_Trigger_Obj"}));
    EXPECT_EQ(Record<kelvo::CMakeWaterEvtData>(0).m_modelData.m_objectId, 101u);
    EXPECT_EQ(Record<kelvo::CMakeWaterEvtData>(1).m_modelData.m_objectId, 103u);
    EXPECT_EQ(Record<kelvo::CMakeWaterEvtData>(1).m_modelData.m_objectType, 20u);
    EXPECT_EQ(Record<kelvo::CMakeTerrainEvtData>(2).m_modelData.m_objectType, 21u);
    EXPECT_EQ(Record<kelvo::CCreateLightData>(3).m_modelData.m_controlKind, 1u);

    const auto& rock = Record<kelvo::CCreateEnvObjData>(4);
    EXPECT_EQ(rock.m_opaque, 0u);
    EXPECT_EQ(rock.m_modelData.m_graphic->m_position, common::CVector3(1, 2, 3)); // the model's own
    const auto& log = Record<kelvo::CCreateEnvObjData>(5);
    EXPECT_EQ(log.m_opaque, 1u);
    EXPECT_EQ(log.m_modelData.m_objectType, 25u);
    EXPECT_EQ(log.m_modelData.m_graphic->m_position, common::CVector3(1, 2, 3));
    EXPECT_EQ(log.m_modelData.m_graphic->m_rotationAngle, 45.0f);
    EXPECT_EQ(log.m_modelData.m_graphic->m_scale, common::CVector3(2, 2, 2));
    EXPECT_EQ(m_host.m_logs, std::vector<std::uint32_t>{log.m_modelData.m_objectId});
    const auto& meadow = Record<kelvo::CCreateEnvObjData>(6);
    EXPECT_EQ(meadow.m_modelData.m_key, "MeadowTreeModelData");
    EXPECT_EQ(meadow.m_modelData.m_objectType, 15u);

    const auto& splash = Record<kelvo::CCreateParticleSysFromKeyData>(7);
    EXPECT_EQ(splash.m_modelData.m_key, "splash1_system");
    EXPECT_EQ(splash.m_modelData.m_graphic->m_position, common::CVector3(4, 5, 6));
    EXPECT_EQ(Record<kelvo::CCreateTriggerObjEvtData>(8).m_modelData.m_key, "EndLevelCollisionDataKey");

    EXPECT_EQ(m_host.m_skyScalar, 500.0f);
    EXPECT_EQ(m_host.m_skyFaces, (std::vector<std::string>{"r.dds", "l.dds", "u.dds", "d.dds", "f.dds", "b.dds"}));
    EXPECT_EQ(m_host.m_envMap, std::vector<std::string>{"sky_cube.dds"});
}

TEST_F(LevelLoaderTest, ANetworkClientBuildsOnlyWaterAndTerrainButTakesTheSceneryIds) {
    m_host.m_client = true;
    m_loader.SetFileName("race_track2.xml");
    m_loader.LoadLevel(kelvo::CLevelLoader::kUseStoredFileName);
    EXPECT_EQ(Types(), (std::vector<std::string>{"Make_Water", "Make_Water", "Make_Terrain"}));
    EXPECT_EQ(m_host.m_logs.size(), 1u);
    EXPECT_EQ(velm::PeekObjectIDCounter(), 100u + 4u + 4u);
    EXPECT_EQ(m_host.m_skyFaces.size(), 6u);
}

TEST_F(LevelLoaderTest, AMissingLevelStillSetsUpTheSkyAndTheLight) {
    m_loader.LoadLevel("absent.xml");
    EXPECT_EQ(Types(), std::vector<std::string>{"Create_Light"});
    EXPECT_EQ(m_host.m_skyScalar, 0.0f);
    EXPECT_EQ(m_host.m_envMap, std::vector<std::string>{""});
}

TEST_F(LevelLoaderTest, HostilePlacementNumbersAreRefusedWithALineNamingTheFileAndField) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "TK_SOURCE_DIR is not set";
    const std::string folder = std::string(source) + "/tests/game/flow/data/";
    kelvo::CLevelLoader loader(&m_host, folder);
    testing::internal::CaptureStderr();
    loader.LoadLevel("hostile_level.xml");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m_host.m_skyScalar, 0.0f);
    ASSERT_EQ(Types().back(), "Create_Environment_Obj_Event");
    const kelvo::SModelData::SGraphicData& rock =
        *Record<kelvo::CCreateEnvObjData>(Types().size() - 1).m_modelData.m_graphic;
    EXPECT_EQ(rock.m_position, common::CVector3(0, 2, 0));
    EXPECT_EQ(rock.m_rotationAngle, 0.0f);
    EXPECT_EQ(rock.m_scale, common::CVector3(0, 1, 1));
    const std::string file = folder + "hostile_level.xml: ";
    for (const char* line : {"Skybox scalar \"nan\"", "Pos x \"nan\"", "Pos z \"1e10\" is not a number from",
                             "RotationInfo Angle \"inf\"", "Scalars x \"-inf\""}) {
        EXPECT_NE(errors.find(file + line), std::string::npos) << line << "\n" << errors;
    }
}

TEST_F(LevelLoaderTest, ItemTemplatesAreCreatedAsIdleGenericItems) {
    m_env.m_dir.Write("templateitems.xml",
                      "<Items>\n<entry>\n<Type>BAIT</Type>\n</entry>\n<entry>\n<Type>ARROW</Type>"
                      "\n</entry>\n<entry>\n</entry>\n</Items>\n");
    m_loader.ReadItemTemplates("templateitems.xml");
    ASSERT_EQ(Types(), std::vector<std::string>{"Create_Item"});
    const auto& bait = Record<kelvo::CCreateItemFromKeyData>(0);
    EXPECT_EQ(bait.m_modelData.m_key, "BaitModelData");
    EXPECT_EQ(bait.m_modelData.m_objectType, 23u);
    EXPECT_EQ(bait.m_live, 0u);
}

// Each file of a level that cannot be used is named in one line with what the track goes without;
// the rest of the level is built as before.
TEST_F(LevelLoaderTest, EachUnusableLevelFileIsNamedWithWhatTheTrackLoses) {
    const struct {
        const char* file;
        const char* loses;
        const char* kept;
    } files[] = {
        {"race_track2.xml", "the track has no water, terrain, sky, lights or objects of its own", "Create_Light"},
        {"waters.xml", "the track has no water", "Make_Terrain"},
        {"terrains.xml", "the track has no terrain", "Make_Water"},
        {"templateitems.xml", "no item templates are made", nullptr},
    };
    for (const auto& f : files) {
        const std::string path = m_env.m_dir.Path() + "/" + f.file;
        const std::string whole = tktest::ReadAll(path);
        for (const tktest::SDamage& damage : tktest::kDamages) {
            tktest::Damage(path, damage);
            m_env.m_listener->m_seen.clear();
            ::testing::internal::CaptureStderr();
            m_loader.LoadLevel("race_track2.xml");
            m_loader.ReadItemTemplates("templateitems.xml");
            const std::string log = ::testing::internal::GetCapturedStderr();
            EXPECT_NE(log.find(path + ": " + damage.said), std::string::npos) << log;
            EXPECT_NE(log.find(std::string("; ") + f.loses + "\n"), std::string::npos) << log;
            if (f.kept != nullptr) {
                const std::vector<std::string> types = Types();
                EXPECT_NE(std::find(types.begin(), types.end(), f.kept), types.end()) << f.file << " " << damage.what;
            }
        }
        std::filesystem::remove_all(path);
        m_env.m_dir.Write(f.file, whole);
    }
}

TEST(ObjectTypeFromNameTest, KeywordsMapToTheirTypesExactly) {
    const std::pair<const char*, std::uint32_t> rows[] = {
        {"ICE_CAVE", 22}, {"ENGINE_LOGO", 22}, {"jug", 15},        {"Jug", 15},        {"tumbo2", 22}, {"box2", 34},
        {"cyl", 34},      {"geysererupt", 24}, {"waterfall1", 24}, {"fir", 28},        {"meadow", 15}, {"ramp", 16},
        {"geyser", 35},   {"log3", 25},        {"boulder", 26},    {"finishline", 29}, {"", 15},       {"LOG1", 15},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(kelvo::ObjectTypeFromName(row.first), row.second) << row.first;
    }
}

} // namespace
