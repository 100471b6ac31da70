// The shipped data tree: every model-data key loads with the sections its objects need, and every
// level, list and placement file names only files and models that exist.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/object_id.h"
#include "engine/core/sound.h"
#include "game/content/content_fixtures.h"
#include "game/content/data_files.h"
#include "game/content/model_data_keys.h"
#include "game/events/creation_events.h"
#include "game/flow/level_loader.h"
#include "game/flow/startup_model_data.h"
#include "libs/common/xml_reader.h"
#include "support/game_folder.h"

namespace {

using kelvo::SModelData;

std::string Folder() {
    const char* source = std::getenv("TK_SOURCE_DIR");
    return source != nullptr ? std::string(source) + "/data/files/xmlfiles/" : std::string();
}

// Values of `leaf` in file order, from the lines between the opening and closing tags of `section`.
std::vector<std::string> LeavesIn(const std::string& file, const std::string& section, const std::string& leaf) {
    common::CXmlReader reader;
    reader.Load(file);
    reader.Enter(section);
    return reader.GetValues(leaf);
}

class DataTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Folder().empty()) << "TK_SOURCE_DIR is not set";
        m_env.m_models = std::make_unique<kelvo::CModelDataMgr>(Folder(), [this](const std::string&) {
            m_sounds.push_back(std::make_unique<velm::CSound>());
            return m_sounds.back().get();
        });
        kelvo::SetModelDataMgr(m_env.m_models.get());
        kelvo::LoadStartupModelData(*m_env.m_models);
    }
    SModelData Get(const std::string& key) {
        SModelData record;
        EXPECT_TRUE(m_env.m_models->Get(key, record)) << key;
        return record;
    }
    // The water records name their grid files as the game does, from its working folder.
    tktest::CGameFolder m_folder;
    std::vector<std::unique_ptr<velm::CSound>> m_sounds;
    tktest::CFlowEnvironment m_env;
};

TEST_F(DataTreeTest, EveryModelAndInstanceFileExists) {
    for (const kelvo::SModelDataFiles& files : kelvo::StartupModelDataFiles()) {
        if (files.m_modelFile != "none") {
            EXPECT_TRUE(std::filesystem::is_regular_file(Folder() + files.m_modelFile)) << files.m_modelFile;
        }
        // The end-of-level volume is the one key read from its model file alone.
        if (!files.m_instanceFile.empty()) {
            EXPECT_TRUE(std::filesystem::is_regular_file(Folder() + files.m_instanceFile)) << files.m_instanceFile;
        }
    }
    for (const char* name :
         {kelvo::kRaceTrack1File, kelvo::kRaceTrack2File, kelvo::kRaceTrack3File, kelvo::kTemplateItemsFile,
          kelvo::kLogPositionsFile, kelvo::kTumboPositionsFile, kelvo::kRaceCameraFile, kelvo::kFreeRoamCameraFile}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(Folder() + name)) << name;
    }
}

// The names the game reads ahead at start-up: each once, each a picture in the texture folder.
TEST_F(DataTreeTest, EveryTextureTheModelsNameIsInTheTextureFolder) {
    const std::vector<std::string> names = m_env.m_models->TextureNames();
    EXPECT_GT(names.size(), 20u);
    const std::string textures = std::string(std::getenv("TK_SOURCE_DIR")) + "/data/arts/textures/";
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(std::filesystem::is_regular_file(textures + names[i])) << names[i];
        EXPECT_TRUE(i == 0 || names[i - 1] < names[i]) << names[i] << " is given twice or out of order";
    }
}

TEST_F(DataTreeTest, EveryKeyLoadsWithTheSectionsItsObjectsNeed) {
    for (std::uint32_t type = 1; type <= 6; ++type) {
        const SModelData racer = Get(kelvo::ModelDataKeyFromType(type));
        SCOPED_TRACE(racer.m_key);
        ASSERT_NE(racer.m_graphic, nullptr);
        EXPECT_FALSE(racer.m_graphic->m_meshFileName.empty());
        ASSERT_NE(racer.m_physics, nullptr);
        EXPECT_FALSE(racer.m_physics->m_positionOffsets.empty());
        EXPECT_EQ(racer.m_sounds.size(), 3u);
    }
    for (std::uint32_t type : {7u, 9u, 10u, 11u, 13u, 14u}) {
        const SModelData item = Get(kelvo::ModelDataKeyFromType(type));
        EXPECT_NE(item.m_graphic, nullptr) << item.m_key;
        EXPECT_NE(item.m_physics, nullptr) << item.m_key;
        EXPECT_EQ(item.m_sounds.size(), 1u) << item.m_key;
    }
    for (const char* key :
         {"ItemJugModelData", "BoxModelData", "IceCaveModelData", "GoldNuggetModelData", "RockModelData",
          "IceModelData", "Log1ModelData", "Log2ModelData", "Log3ModelData", "BoulderModelDataKey",
          "SpeedRampModelData", "FinishLineModelData", "FlagModelDataKey", "GeyserDataKey", "Tumbo01DataKey",
          "Tumbo02DataKey", "PhysicsBoxCollDataKey", "PhysicsCylinderCollDataKey"}) {
        const SModelData scenery = Get(key);
        ASSERT_NE(scenery.m_graphic, nullptr) << key;
        EXPECT_FALSE(scenery.m_graphic->m_meshFileName.empty()) << key;
        EXPECT_NE(scenery.m_physics, nullptr) << key;
    }
    EXPECT_EQ(Get("SpeedRampModelData").m_physics->m_meshHull.size(), 2u);
    for (const char* key : {"StumpModelData", "FirTreeModelData", "PineTreeModelData", "MeadowTreeModelData",
                            "SnowTreeModelData", "ForestModelData", "EndLevelCollisionDataKey"}) {
        const SModelData record = Get(key);
        ASSERT_NE(record.m_graphic, nullptr) << key;
        EXPECT_FALSE(record.m_graphic->m_meshFileName.empty()) << key;
    }
    const SModelData light = Get("LightModelData");
    EXPECT_NE(light.m_graphic, nullptr);
    ASSERT_NE(light.m_light, nullptr);
    EXPECT_EQ(light.m_light->m_type, 3);
    for (int i = 1; i <= 9; ++i) {
        const SModelData terrain = Get("TerrainModelData" + std::to_string(i));
        ASSERT_NE(terrain.m_terrain, nullptr) << i;
        EXPECT_GT(terrain.m_terrain->m_vertPerRow, 1) << i;
    }
    for (const char* key : {"default_system", "white_water", "geyser_erupt", "trail", "waterfall1"}) {
        EXPECT_NE(Get(key).m_graphic, nullptr) << key;
    }
}

TEST_F(DataTreeTest, ThePoolIsAPlanarWaterAndTheRiverIsBuiltFromGridFiles) {
    const SModelData pool = Get("WaterModelData1");
    ASSERT_NE(pool.m_water, nullptr);
    EXPECT_EQ(pool.m_water->m_kind, 0);
    for (int i = 2; i <= 9; ++i) {
        const std::string file = Folder() + "River" + std::to_string(18 + i) + ".xml";
        SCOPED_TRACE(file);
        EXPECT_EQ(LeavesIn(file, "Type", "entry"), std::vector<std::string>{"2"});
        const std::vector<std::string> grid = LeavesIn(file, "VBIBFileName", "entry");
        ASSERT_EQ(grid.size(), 1u);
        // The grid files come from the level generator; where one exists the water must load whole.
        const std::string relative = grid[0].substr(grid[0].find("data/"));
        const std::string source = Folder().substr(0, Folder().find("data/"));
        if (std::filesystem::is_regular_file(source + relative)) {
            const SModelData river = Get("WaterModelData" + std::to_string(i));
            ASSERT_NE(river.m_water, nullptr);
            EXPECT_FALSE(river.m_water->m_cells.empty());
        }
    }
}

// Counts the lines holding `leaf` between the opening and closing lines of `section`.
std::size_t CountIn(const std::string& file, const std::string& section, const std::string& leaf) {
    std::ifstream in(file);
    std::string line;
    bool inside = false;
    std::size_t count = 0;
    while (std::getline(in, line)) {
        line.erase(0, line.find_first_not_of('\t'));
        if (line == "<" + section + ">") {
            inside = true;
        } else if (line == "</" + section + ">") {
            inside = false;
        } else if (inside && line.rfind("<" + leaf + ">", 0) == 0) {
            ++count;
        }
    }
    return count;
}

TEST_F(DataTreeTest, EveryLevelBuildsEachOfItsPlacementsFromLoadedModels) {
    for (const char* level : {kelvo::kRaceTrack1File, kelvo::kRaceTrack2File, kelvo::kRaceTrack3File}) {
        SCOPED_TRACE(level);
        m_env.Seen().clear();
        kelvo::CLevelLoader loader(nullptr, Folder());
        loader.LoadLevel(level);
        std::map<std::string, std::size_t> counts;
        for (const tktest::SSeenEvent& seen : m_env.Seen()) {
            ++counts[seen.m_type];
            EXPECT_TRUE(static_cast<const kelvo::SCreationRecord*>(seen.m_data.get())->m_knownModel) << seen.m_type;
        }
        const std::string file = Folder() + level;
        EXPECT_EQ(counts["Make_Water"], 9u);
        EXPECT_EQ(counts["Make_Terrain"], 9u);
        EXPECT_EQ(counts["Create_Light"], 1u);
        EXPECT_EQ(counts["Create_Environment_Obj_Event"], CountIn(file, "EnvObjs", "Opaque"));
        EXPECT_EQ(counts["Create_PartSys_Event"], CountIn(file, "ParticleSystems", "Type"));
        EXPECT_EQ(counts["Create_Trigger_Obj"], CountIn(file, "TriggerObjs", "Type"));
        EXPECT_GT(counts["Create_Environment_Obj_Event"], 50u);
    }
    m_env.Seen().clear();
    kelvo::CLevelLoader(nullptr, Folder()).ReadItemTemplates(kelvo::kTemplateItemsFile);
    EXPECT_EQ(m_env.Seen().size(), 6u);
}

TEST_F(DataTreeTest, PlacementListsNameLoadedModels) {
    for (const char* list : {kelvo::kLogPositionsFile, kelvo::kTumboPositionsFile}) {
        const std::vector<std::string> types =
            LeavesIn(Folder() + list, list == std::string(kelvo::kLogPositionsFile) ? "log_pos" : "tumbo_pos", "Type");
        EXPECT_FALSE(types.empty()) << list;
        for (const std::string& type : types) {
            EXPECT_TRUE(m_env.m_models->Has(kelvo::ModelDataKeyFromTypeName(type))) << list << " " << type;
        }
    }
    EXPECT_EQ(kelvo::ObjectTypeFromName(LeavesIn(Folder() + kelvo::kLogPositionsFile, "log_pos", "Type").at(0)), 25u);
}

} // namespace
