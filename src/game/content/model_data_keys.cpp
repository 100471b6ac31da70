#include "game/content/model_data_keys.h"

#include <utility>

#include "game/content/object_type.h"

namespace kelvo {

const char* const kInvalidModelDataKey = "Invalid Input String";

namespace {

std::vector<std::pair<std::string, std::string>> BuildKeywordTable() {
    std::vector<std::pair<std::string, std::string>> table = {
        {"MONKEY", "MonkeyModelData"},
        {"ALIEN", "AlienModelData"},
        {"BEAR", "BearModelData"},
        {"HILLBILY", "HillbillyModelData"},
        {"MOVIE_STAR", "MovideStarModelData"},
        {"FISH", "FishModelData"},
        {"FISHING_POLE", "FishingPoleModelData"},
        {"MINE", "MineModelData"},
        {"BAIT", "BaitModelData"},
        {"PROPELLOR", "PropellorModelData"},
        {"DRILL", "DrillModelData"},
        {"SHARK", "SharkModelData"},
        {"ARROW", "ArrowModelData"},
        {"SPEED_RAMP", "SpeedRampModelData"},
        {"ramp", "SpeedRampModelData"},
        {"ITEM_JUG", "ItemJugModelData"},
        {"jug", "ItemJugModelData"},
        {"flag", "FlagModelDataKey"},
        {"BOX", "BoxModelData"},
        {"GAME_NAME_1", "GameNameModelData"},
        {"GAME_NAME_2", "GameNameModelData2"},
        {"ICE_CAVE", "IceCaveModelData"},
        {"ROCK_CAVE", "RockCaveModelData"},
    };
    for (int i = 1; i <= 40; ++i) {
        table.emplace_back("WATER_" + std::to_string(i), "WaterModelData" + std::to_string(i));
    }
    for (int i = 1; i <= 26; ++i) {
        table.emplace_back("TERRAIN_" + std::to_string(i), "TerrainModelData" + std::to_string(i));
    }
    const std::pair<const char*, const char*> rest[] = {
        {"ENGINE_LOGO", "EngineLogoModelData"},
        {"gold", "GoldNuggetModelData"},
        {"rock", "RockModelData"},
        {"ice", "IceModelData"},
        {"log1", "Log1ModelData"},
        {"log2", "Log2ModelData"},
        {"log3", "Log3ModelData"},
        {"stump", "StumpModelData"},
        {"fir", "FirTreeModelData"},
        {"pine", "PineTreeModelData"},
        {"meadow", "MeadowTreeModelData"},
        {"snowtree", "SnowTreeModelData"},
        {"forest", "ForestModelData"},
        {"boulder", "BoulderModelDataKey"},
        {"defaultps", "default_system"},
        {"explode3ps", "explode3_system"},
        {"explode4ps", "explode4_system"},
        {"splash", "splash1_system"},
        {"splash2", "splash_system2"},
        {"steam2ps", "steam_system_02"},
        {"whitewater", "white_water"},
        {"trail", "trail"},
        {"waterfall1", "waterfall1"},
        {"END_LEVEL_COLL", "EndLevelCollisionDataKey"},
        {"finishline", "FinishLineModelData"},
        {"box2", "PhysicsBoxCollDataKey"},
        {"cyl", "PhysicsCylinderCollDataKey"},
        {"geysernormal", "geyser_normal"},
        {"geysererupt", "geyser_erupt"},
        {"geyser", "GeyserDataKey"},
        {"tumbo1", "Tumbo01DataKey"},
        {"tumbo2", "Tumbo02DataKey"},
    };
    for (const auto& row : rest) {
        table.emplace_back(row.first, row.second);
    }
    return table;
}

std::vector<std::string> BuildKeyList() {
    std::vector<std::string> keys = {
        "MonkeyModelData",
        "HillbillyModelData",
        "AlienModelData",
        "BearModelData",
        "MovideStarModelData",
        "FishModelData",
        "BaitModelData",
        "FishingPoleModelData",
        "DrillModelData",
        "MineModelData",
        "PropellorModelData",
        "ArrowModelData",
        "SharkModelData",
        "ItemJugModelData",
        "SpeedRampModelData",
        "BoxModelData",
        "GameNameModelData",
        "GameNameModelData2",
        "IceCaveModelData",
        "RockCaveModelData",
        "GoldNuggetModelData",
        "RockModelData",
        "IceModelData",
        "Log1ModelData",
        "Log2ModelData",
        "Log3ModelData",
        "StumpModelData",
        "FirTreeModelData",
        "PineTreeModelData",
        "MeadowTreeModelData",
        "SnowTreeModelData",
        "ForestModelData",
        "BoulderModelDataKey",
        "EngineLogoModelData",
        "FinishLineModelData",
        "FlagModelDataKey",
        "EndLevelCollisionDataKey",
        "GeyserDataKey",
        "Tumbo01DataKey",
        "Tumbo02DataKey",
        "PhysicsBoxCollDataKey",
        "PhysicsCylinderCollDataKey",
    };
    for (int i = 1; i <= 40; ++i) {
        keys.push_back("WaterModelData" + std::to_string(i));
    }
    for (int i = 1; i <= 26; ++i) {
        keys.push_back("TerrainModelData" + std::to_string(i));
    }
    keys.push_back("LightModelData");
    return keys;
}

std::vector<SModelDataFiles> BuildStartupFiles() {
    std::vector<SModelDataFiles> files;
    const auto stem = [&files](const char* key, const std::string& name) {
        files.push_back({key, name + ".xml", name + "_instance.xml"});
    };
    stem("MonkeyModelData", "monkey");
    stem("HillbillyModelData", "hillbilly");
    stem("AlienModelData", "alien");
    stem("BearModelData", "bear");
    stem("MovideStarModelData", "moviestar");
    stem("FishModelData", "fish");
    stem("BaitModelData", "bait");
    stem("FishingPoleModelData", "fishingpole");
    stem("DrillModelData", "drill");
    stem("MineModelData", "mine");
    stem("PropellorModelData", "propeller");
    stem("SharkModelData", "shark");
    files.push_back({"WaterModelData1", "none", "water1.xml"});
    for (int i = 2; i <= 9; ++i) {
        files.push_back({"WaterModelData" + std::to_string(i), "none", "River" + std::to_string(18 + i) + ".xml"});
    }
    for (int i = 1; i <= 9; ++i) {
        files.push_back({"TerrainModelData" + std::to_string(i), "none", "terrain" + std::to_string(i) + ".xml"});
    }
    stem("ItemJugModelData", "item_jug");
    stem("BoxModelData", "box");
    stem("IceCaveModelData", "ice_cave");
    stem("GoldNuggetModelData", "gold_nugget");
    stem("RockModelData", "rock");
    stem("IceModelData", "ice");
    stem("Log1ModelData", "log1");
    stem("Log2ModelData", "log2");
    stem("Log3ModelData", "log3");
    files.push_back({"StumpModelData", "billboards.xml", "stump_instance.xml"});
    files.push_back({"FirTreeModelData", "billboards.xml", "fir_tree_instance.xml"});
    files.push_back({"PineTreeModelData", "billboards.xml", "pine_tree_instance.xml"});
    files.push_back({"MeadowTreeModelData", "billboards.xml", "meadow_tree_instance.xml"});
    files.push_back({"SnowTreeModelData", "billboards.xml", "snow_tree_instance.xml"});
    files.push_back({"ForestModelData", "billboards.xml", "forest_instance.xml"});
    stem("BoulderModelDataKey", "boulder");
    stem("SpeedRampModelData", "ramp");
    stem("FinishLineModelData", "finish_line");
    stem("FlagModelDataKey", "flag");
    files.push_back({"EndLevelCollisionDataKey", "end_level_instance.xml", ""});
    files.push_back({"GeyserDataKey", "box.xml", "geyser_instance.xml"});
    files.push_back({"Tumbo01DataKey", "tumbo.xml", "tumbo01_instance.xml"});
    files.push_back({"Tumbo02DataKey", "tumbo.xml", "tumbo02_instance.xml"});
    files.push_back({"PhysicsBoxCollDataKey", "physic_box.xml", "test_phy_box_instance5.xml"});
    files.push_back({"PhysicsCylinderCollDataKey", "physic_cylinder.xml", "test_phy_cylinder_instance3.xml"});
    stem("LightModelData", "light");
    for (const char* system :
         {"default_system", "explode3_system", "explode4_system", "splash1_system", "splash_system2", "water_explosion",
          "water_explosion2", "steam_system_02", "white_water", "orbit_x", "orbit_y", "orbit_z", "trail", "waterfall1",
          "geyser_normal", "geyser_erupt"}) {
        files.push_back({system, "none", "generic_particle_sys_instance.xml"});
    }
    return files;
}

} // namespace

std::string ModelDataKeyFromTypeName(const std::string& keyword) {
    static const std::vector<std::pair<std::string, std::string>> table = BuildKeywordTable();
    for (const auto& row : table) {
        if (row.first == keyword) {
            return row.second;
        }
    }
    return kInvalidModelDataKey;
}

std::string ModelDataKeyFromType(std::uint32_t objectType) {
    switch (objectType) {
        case 1:
            return "MonkeyModelData";
        case 2:
            return "BearModelData";
        case 3:
            return "AlienModelData";
        case 4:
            return "FishModelData";
        case 5:
            return "HillbillyModelData";
        case 6:
            return "MovideStarModelData";
        case 7:
            return "DrillModelData";
        case 9:
            return "BaitModelData";
        case 10:
            return "SharkModelData";
        case 11:
            return "FishingPoleModelData";
        case 13:
            return "PropellorModelData";
        case 14:
            return "MineModelData";
        default:
            return std::string();
    }
}

const std::vector<std::string>& ModelDataKeys() {
    static const std::vector<std::string> keys = BuildKeyList();
    return keys;
}

const std::vector<SModelDataFiles>& StartupModelDataFiles() {
    static const std::vector<SModelDataFiles> files = BuildStartupFiles();
    return files;
}

std::uint32_t ObjectTypeFromName(const std::string& keyword) {
    static const std::pair<const char*, std::uint32_t> table[] = {
        {"ICE_CAVE", OBJECT_ENVIRONMENT},
        {"flag", OBJECT_ENVIRONMENT},
        {"ROCK_CAVE", OBJECT_ENVIRONMENT},
        {"GAME_NAME_1", OBJECT_ENVIRONMENT},
        {"GAME_NAME_2", OBJECT_ENVIRONMENT},
        {"ENGINE_LOGO", OBJECT_ENVIRONMENT},
        {"jug", OBJECT_JUG},
        {"ice", OBJECT_ENVIRONMENT},
        {"rock", OBJECT_ENVIRONMENT},
        {"gold", OBJECT_ENVIRONMENT},
        {"tumbo1", OBJECT_ENVIRONMENT},
        {"tumbo2", OBJECT_ENVIRONMENT},
        {"box2", OBJECT_COLLISION_VOLUME},
        {"cyl", OBJECT_COLLISION_VOLUME},
        {"steam2ps", OBJECT_PARTICLE_SYSTEM},
        {"defaultps", OBJECT_PARTICLE_SYSTEM},
        {"explode3ps", OBJECT_PARTICLE_SYSTEM},
        {"explode4ps", OBJECT_PARTICLE_SYSTEM},
        {"splash", OBJECT_PARTICLE_SYSTEM},
        {"whitewater", OBJECT_PARTICLE_SYSTEM},
        {"splash2", OBJECT_PARTICLE_SYSTEM},
        {"trail", OBJECT_PARTICLE_SYSTEM},
        {"waterfall1", OBJECT_PARTICLE_SYSTEM},
        {"geysernormal", OBJECT_PARTICLE_SYSTEM},
        {"geysererupt", OBJECT_PARTICLE_SYSTEM},
        {"snowtree", OBJECT_TREES},
        {"pine", OBJECT_TREES},
        {"stump", OBJECT_TREES},
        {"forest", OBJECT_TREES},
        {"fir", OBJECT_TREES},
        {"ramp", OBJECT_RAMP},
        {"geyser", OBJECT_GEYSER},
        {"log1", OBJECT_LOG},
        {"log2", OBJECT_LOG},
        {"log3", OBJECT_LOG},
        {"boulder", OBJECT_BOULDER},
        {"finishline", OBJECT_FINISH_LINE},
    };
    for (const auto& row : table) {
        if (keyword == row.first) {
            return row.second;
        }
    }
    return OBJECT_JUG;
}

} // namespace kelvo
