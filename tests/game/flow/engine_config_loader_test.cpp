#include "game/flow/engine_config_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using Info = velm::gfx::CVelmGfx::SVelmGfxInitInfo;

std::string Config(const std::string& useDefault, const std::string& wireFrame, const std::string& fx) {
    return "<VelmConfig>\n<VelmGraphic>\n<UseDefault>" + useDefault +
           "</UseDefault>\n<Atmosphere>\n<r>0.5</r>\n<g>0.25</g>\n<b>1</b>\n<a>1</a>\n<FogStart>10</FogStart>\n"
           "<FogEnd>200</FogEnd>\n<FogDensity>0.01</FogDensity>\n</Atmosphere>\n<Settings>\n"
           "<EnableFullSceneAA>1</EnableFullSceneAA>\n<EnableWireFrame>" +
           wireFrame +
           "</EnableWireFrame>\n<FullScreen>0</FullScreen>\n<ScreenWidth>1024</ScreenWidth>\n"
           "<ScreenHeight>768</ScreenHeight>\n</Settings>\n" +
           fx + "</VelmGraphic>\n</VelmConfig>\n";
}

std::string Fx(const std::string& name) { return "<FX>\n<FileName>" + name + "</FileName>\n</FX>\n"; }

class EngineConfigLoaderTest : public ::testing::Test {
protected:
    const Info& Load(const std::string& content, const std::string& lineEnd = "\n") {
        std::string text;
        for (char c : content) {
            text += c == '\n' ? lineEnd : std::string(1, c);
        }
        m_loader.Load(m_dir.Write("config.xml", text), m_errors);
        return m_loader.GetInfo();
    }
    tktest::CTempDir m_dir;
    kelvo::CEngineConfigLoader m_loader;
    std::ostringstream m_errors;
};

long Lines(const std::ostringstream& errors) {
    const std::string text = errors.str();
    return std::count(text.begin(), text.end(), '\n');
}

// Each checked field by its element name, and the default settings (windowed 800 x 600).
std::map<std::string, double> Fields(const Info& i) {
    return {{"UseDefault", i.m_useDefault},
            {"r", i.m_r},
            {"g", i.m_g},
            {"FogStart", i.m_fogStart},
            {"FogEnd", i.m_fogEnd},
            {"FogDensity", i.m_fogDensity},
            {"FullScreen", i.m_fullScreen},
            {"EnableFullSceneAA", i.m_enableFullSceneAA},
            {"ScreenWidth", i.m_screenWidth},
            {"ScreenHeight", i.m_screenHeight}};
}
const std::map<std::string, double> kDefaults = {
    {"UseDefault", 0},    {"r", 0.62f},           {"g", 0.74f},      {"FogStart", 60},
    {"FogEnd", 400},      {"FogDensity", 0.004f}, {"FullScreen", 0}, {"EnableFullSceneAA", 1},
    {"ScreenWidth", 800}, {"ScreenHeight", 600}};

TEST_F(EngineConfigLoaderTest, ReadsEverySetting) {
    const Info& info = Load(Config("1", "2", Fx("a.fx") + Fx("b.fx") + Fx("c.fx")));
    EXPECT_TRUE(info.m_useDefault);
    EXPECT_FLOAT_EQ(info.m_r, 0.5f);
    EXPECT_FLOAT_EQ(info.m_g, 0.25f);
    EXPECT_FLOAT_EQ(info.m_fogEnd, 200.0f);
    EXPECT_FLOAT_EQ(info.m_fogDensity, 0.01f);
    EXPECT_TRUE(info.m_enableFullSceneAA);
    EXPECT_TRUE(info.m_enableWireFrame);
    EXPECT_FALSE(info.m_fullScreen);
    EXPECT_EQ(info.m_screenWidth, 1024);
    EXPECT_EQ(info.m_screenHeight, 768);
    EXPECT_EQ(info.m_fxFiles, (std::vector<std::string>{"a.fx", "b.fx", "c.fx"}));
    EXPECT_EQ(m_errors.str(), "");
}

TEST_F(EngineConfigLoaderTest, EmptyFileNameEndsTheEffectList) {
    const Info& info = Load(Config("0", "0", Fx("a.fx") + Fx("") + Fx("c.fx")));
    EXPECT_FALSE(info.m_useDefault);
    EXPECT_EQ(info.m_fxFiles, (std::vector<std::string>{"a.fx"}));
}

TEST_F(EngineConfigLoaderTest, CrLfFileReadsTheSame) {
    const Info& info = Load(Config("0", "1", Fx("a.fx")), "\r\n");
    EXPECT_TRUE(info.m_enableWireFrame);
    EXPECT_EQ(info.m_screenWidth, 1024);
    EXPECT_EQ(info.m_fxFiles, (std::vector<std::string>{"a.fx"}));
}

TEST_F(EngineConfigLoaderTest, MissingEmptyTruncatedOrGarbageFilesGiveTheDefaultsAndSaySo) {
    const std::string whole = Config("1", "1", Fx("a.fx"));
    for (const std::string& content :
         {std::string("absent"), std::string(), std::string("\x89PNG\r\n\x1a\n\0\0\xff", 11),
          std::string("<VelmConfig>\n<VelmGraphic>\n<Settings>\n<ScreenWidth>9\n"),
          whole.substr(0, whole.rfind("</VelmConfig>"))}) {
        kelvo::CEngineConfigLoader loader;
        std::ostringstream errors;
        loader.Load(content == "absent" ? m_dir.Path() + "/absent.xml" : m_dir.Write("bad.xml", content), errors);
        EXPECT_EQ(Fields(loader.GetInfo()), kDefaults) << content;
        EXPECT_TRUE(loader.GetInfo().m_fxFiles.empty());
        const char* reason = content == "absent" ? "absent.xml: cannot be read" : "bad.xml: not a complete engine";
        EXPECT_NE(errors.str().find(reason), std::string::npos) << errors.str();
        EXPECT_NE(errors.str().find("; using the default settings (windowed 800 x 600)"), std::string::npos);
        EXPECT_EQ(Lines(errors), 1) << errors.str();
    }
}

// Each unusable value takes its field's default and says so; the other fields keep theirs.
TEST_F(EngineConfigLoaderTest, UnusableValuesTakeTheirFieldsDefault) {
    std::istringstream cases(
        "ScreenWidth=99999999 ScreenWidth=0 ScreenWidth=1024px ScreenHeight= r=nan r=2 g=-inf FogEnd=1e999 "
        "FogStart=-5 FogDensity=fog FullScreen=yes UseDefault=99999999999999999999");
    const std::string text = Config("0", "0", Fx("a.fx"));
    const std::map<std::string, double> good = Fields(Load(text));
    for (std::string c; cases >> c;) {
        const std::string field = c.substr(0, c.find('='));
        const std::string value = c.substr(c.find('=') + 1);
        std::string bad = text;
        const std::size_t open = bad.find("<" + field + ">") + field.size() + 2;
        bad.replace(open, bad.find('<', open) - open, value);
        kelvo::CEngineConfigLoader loader;
        std::ostringstream errors;
        loader.Load(m_dir.Write("config.xml", bad), errors);
        std::map<std::string, double> expected = good;
        expected[field] = kDefaults.at(field);
        EXPECT_EQ(Fields(loader.GetInfo()), expected) << field << " " << value;
        EXPECT_NE(errors.str().find("config.xml: " + field + " "), std::string::npos) << errors.str();
        EXPECT_EQ(Lines(errors), 1) << errors.str();
    }
}

TEST(DefaultDataTreeTest, ShippedEngineConfigurationLoads) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    kelvo::CEngineConfigLoader loader;
    std::ostringstream errors;
    loader.Load(std::string(source) + "/data/files/xmlfiles/tumbo_kelvo_engine_config.xml", errors);
    EXPECT_EQ(errors.str(), "");
    EXPECT_GT(loader.GetInfo().m_screenWidth, 0);
    EXPECT_GT(loader.GetInfo().m_screenHeight, 0);
}

// A screen size this large once went on to the graphics driver and smashed its stack.
TEST(DefaultDataTreeTest, HugeConfiguredScreenWidthFallsBackToTheDefault) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    kelvo::CEngineConfigLoader loader;
    std::ostringstream errors;
    loader.Load(std::string(source) + "/tests/game/flow/data/config-width-99999999.xml", errors);
    EXPECT_NE(errors.str().find("ScreenWidth \"99999999\" is not a whole number from 1 to 16384; using 800"),
              std::string::npos)
        << errors.str();
    EXPECT_EQ(loader.GetInfo().m_screenWidth, 800);
    EXPECT_EQ(loader.GetInfo().m_screenHeight, 768);
}

} // namespace
