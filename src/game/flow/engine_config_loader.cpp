#include "game/flow/engine_config_loader.h"

#include "libs/common/string_util.h"
#include "libs/common/xml_reader.h"

namespace kelvo {

void CEngineConfigLoader::Load(const std::string& fileName) {
    common::CXmlReader reader;
    reader.Load(fileName);
    reader.Enter("VelmConfig");

    reader.Enter("VelmGraphic");
    m_info.m_useDefault = common::StringToInt(reader.GetValue("UseDefault")) != 0;

    reader.Enter("Atmosphere");
    m_info.m_r = static_cast<float>(common::StringToFloat(reader.GetValue("r")));
    m_info.m_g = static_cast<float>(common::StringToFloat(reader.GetValue("g")));
    m_info.m_b = static_cast<float>(common::StringToFloat(reader.GetValue("b")));
    m_info.m_a = static_cast<float>(common::StringToFloat(reader.GetValue("a")));
    m_info.m_fogStart = static_cast<float>(common::StringToFloat(reader.GetValue("FogStart")));
    m_info.m_fogEnd = static_cast<float>(common::StringToFloat(reader.GetValue("FogEnd")));
    m_info.m_fogDensity = static_cast<float>(common::StringToFloat(reader.GetValue("FogDensity")));

    reader.Enter("Settings");
    m_info.m_enableFullSceneAA = common::StringToInt(reader.GetValue("EnableFullSceneAA")) != 0;
    m_info.m_enableWireFrame = common::StringToInt(reader.GetValue("EnableWireFrame")) != 0;
    m_info.m_fullScreen = common::StringToInt(reader.GetValue("FullScreen")) != 0;
    m_info.m_screenWidth = common::StringToInt(reader.GetValue("ScreenWidth"));
    m_info.m_screenHeight = common::StringToInt(reader.GetValue("ScreenHeight"));

    reader.Enter("FX");
    for (std::string name = reader.GetValue("FileName"); !name.empty(); name = reader.GetValue("FileName")) {
        m_info.m_fxFiles.push_back(name);
        reader.Enter("FX");
    }
}

} // namespace kelvo
