#include "game/flow/start_grid.h"

#include "game/content/model_data_keys.h"
#include "libs/common/checked_number.h"
#include "libs/common/script_manager.h"

namespace kelvo {

SStartGridSettings ReadStartGridSettings(common::CScriptManager& script, std::ostream& errors) {
    const auto place = [&script, &errors](const char* name) {
        return static_cast<float>(common::CheckNumber(script.GetGlobalNumber(name), common::kAnyDataNumber,
                                                      common::kScriptGlobalOrigin, common::ScriptGlobalField(name),
                                                      errors));
    };
    SStartGridSettings settings;
    settings.m_start = common::CVector3(place("STAGE1_X"), place("STAGE1_Y"), place("STAGE1_Z"));
    settings.m_dx = place("STAGE1_RACER_DX");
    settings.m_dz = place("STAGE1_RACER_DZ");
    // Any row count works: none or a negative one is one row for the whole field.
    settings.m_perRow = script.GetGlobalInt("STAGE1_RACERS_PER_ROW");
    settings.m_racers =
        common::CheckWhole(script.GetGlobalNumber("NUM_RACERS"), {0.0, kMostRacers, kMostRacers},
                           common::kScriptGlobalOrigin, common::ScriptGlobalField("NUM_RACERS"), errors);
    return settings;
}

std::vector<SGridSlot> BuildStartGrid(const common::CVector3& start, float dx, float dz, int perRow, int racers,
                                      std::uint32_t selected) {
    std::vector<SGridSlot> slots;
    // A row count of zero would leave the row test without a divisor: the field is one row.
    const int row = perRow > 0 ? perRow : (racers > 0 ? racers : 1);
    float x = start.x + dx;
    float z = start.z;
    for (int index = 1; index <= racers; ++index) {
        if (static_cast<std::uint32_t>(index) != selected) {
            slots.push_back({static_cast<std::uint32_t>(index), common::CVector3(x, start.y, z)});
        }
        if (index % row == 0) {
            z += dz;
            x = x - static_cast<float>(row) * dx + dx;
        } else {
            x += dx;
        }
    }
    return slots;
}

std::uint32_t HostGridControl(std::uint32_t clientId, std::uint32_t localClientId) {
    if (clientId == 0) {
        return 2;
    }
    return clientId == localClientId ? 1 : 0;
}

common::CVector3 HostGridPosition(std::uint32_t slot) {
    return common::CVector3(-1.0f + 0.7f * static_cast<float>(slot), 39.51f, 195.2f);
}

std::string CharacterModelKey(std::uint32_t character) {
    return character >= 1 && character <= 6 ? ModelDataKeyFromType(character) : std::string();
}

} // namespace kelvo
