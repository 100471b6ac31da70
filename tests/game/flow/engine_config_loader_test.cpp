#include "game/flow/engine_config_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

// The settings a user gets without a usable file: windowed 800 x 600.
void ExpectDefaults(const Info& info, const std::string& what) {
    EXPECT_FALSE(info.m_useDefault) << what;
    EXPECT_FLOAT_EQ(info.m_r, 0.62f) << what;
    EXPECT_FLOAT_EQ(info.m_a, 1.0f) << what;
    EXPECT_FLOAT_EQ(info.m_fogStart, 60.0f) << what;
    EXPECT_FLOAT_EQ(info.m_fogEnd, 400.0f) << what;
    EXPECT_FLOAT_EQ(info.m_fogDensity, 0.004f) << what;
    EXPECT_TRUE(info.m_enableFullSceneAA) << what;
    EXPECT_FALSE(info.m_enableWireFrame) << what;
    EXPECT_FALSE(info.m_fullScreen) << what;
    EXPECT_EQ(info.m_screenWidth, 800) << what;
    EXPECT_EQ(info.m_screenHeight, 600) << what;
    EXPECT_TRUE(info.m_fxFiles.empty()) << what;
}

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
         {std::string(), std::string("not xml at all\n"), std::string("\x89PNG\r\n\x1a\n\0\0\xff", 11),
          std::string("<VelmConfig>\n<VelmGraphic>\n<Settings>\n<ScreenWidth>9\n"), whole.substr(0, whole.size() / 2),
          whole.substr(0, whole.rfind("</VelmConfig>"))}) {
        kelvo::CEngineConfigLoader loader;
        std::ostringstream errors;
        loader.Load(m_dir.Write("bad.xml", content), errors);
        ExpectDefaults(loader.GetInfo(), content);
        EXPECT_NE(errors.str().find("bad.xml: not a complete engine configuration"), std::string::npos) << errors.str();
        EXPECT_NE(errors.str().find("using the default settings (windowed 800 x 600)"), std::string::npos);
        EXPECT_EQ(Lines(errors), 1) << errors.str();
    }
    kelvo::CEngineConfigLoader missing;
    std::ostringstream errors;
    missing.Load(m_dir.Path() + "/absent.xml", errors);
    ExpectDefaults(missing.GetInfo(), "missing");
    EXPECT_NE(errors.str().find("absent.xml: cannot be read; using the default settings"), std::string::npos)
        << errors.str();
}

// Each unusable value takes that field's default, says which field and keeps the others.
TEST_F(EngineConfigLoaderTest, UnusableValuesTakeTheirFieldsDefault) {
    struct SCase {
        const char* good;
        const char* bad;
        const char* field;
    };
    const SCase cases[] = {
        {"<ScreenWidth>1024</ScreenWidth>", "<ScreenWidth>99999999</ScreenWidth>", "ScreenWidth"},
        {"<ScreenWidth>1024</ScreenWidth>", "<ScreenWidth>0</ScreenWidth>", "ScreenWidth"},
        {"<ScreenWidth>1024</ScreenWidth>", "<ScreenWidth>-800</ScreenWidth>", "ScreenWidth"},
        {"<ScreenWidth>1024</ScreenWidth>", "<ScreenWidth>1024px</ScreenWidth>", "ScreenWidth"},
        {"<ScreenWidth>1024</ScreenWidth>", "<ScreenWidth>99999999999999999999</ScreenWidth>", "ScreenWidth"},
        {"<ScreenHeight>768</ScreenHeight>", "<ScreenHeight></ScreenHeight>", "ScreenHeight"},
        {"<ScreenHeight>768</ScreenHeight>", "", "ScreenHeight"},
        {"<r>0.5</r>", "<r>nan</r>", "r"},
        {"<r>0.5</r>", "<r>2</r>", "r"},
        {"<g>0.25</g>", "<g>-inf</g>", "g"},
        {"<FogEnd>200</FogEnd>", "<FogEnd>1e999</FogEnd>", "FogEnd"},
        {"<FogStart>10</FogStart>", "<FogStart>-5</FogStart>", "FogStart"},
        {"<FogDensity>0.01</FogDensity>", "<FogDensity>fog</FogDensity>", "FogDensity"},
        {"<FullScreen>0</FullScreen>", "<FullScreen>yes</FullScreen>", "FullScreen"},
        {"<UseDefault>0</UseDefault>", "<UseDefault></UseDefault>", "UseDefault"},
    };
    const Info fallback = [] {
        kelvo::CEngineConfigLoader loader;
        std::ostringstream ignored;
        loader.Load("/nonexistent/config.xml", ignored);
        return loader.GetInfo();
    }();
    for (const SCase& c : cases) {
        std::string text = Config("0", "0", Fx("a.fx"));
        text.replace(text.find(c.good), std::string(c.good).size(), c.bad);
        kelvo::CEngineConfigLoader loader;
        std::ostringstream errors;
        loader.Load(m_dir.Write("config.xml", text), errors);
        const Info& info = loader.GetInfo();
        EXPECT_NE(errors.str().find(std::string("config.xml: ") + c.field + " "), std::string::npos)
            << c.bad << errors.str();
        EXPECT_NE(errors.str().find("; using "), std::string::npos) << errors.str();
        EXPECT_EQ(Lines(errors), 1) << errors.str();
        const std::string field = c.field;
        EXPECT_EQ(info.m_screenWidth, field == "ScreenWidth" ? fallback.m_screenWidth : 1024) << c.bad;
        EXPECT_EQ(info.m_screenHeight, field == "ScreenHeight" ? fallback.m_screenHeight : 768) << c.bad;
        EXPECT_FLOAT_EQ(info.m_r, field == "r" ? fallback.m_r : 0.5f) << c.bad;
        EXPECT_FLOAT_EQ(info.m_g, field == "g" ? fallback.m_g : 0.25f) << c.bad;
        EXPECT_FLOAT_EQ(info.m_fogStart, field == "FogStart" ? fallback.m_fogStart : 10.0f) << c.bad;
        EXPECT_FLOAT_EQ(info.m_fogEnd, field == "FogEnd" ? fallback.m_fogEnd : 200.0f) << c.bad;
        EXPECT_FLOAT_EQ(info.m_fogDensity, field == "FogDensity" ? fallback.m_fogDensity : 0.01f) << c.bad;
        EXPECT_TRUE(info.m_enableFullSceneAA) << c.bad;
        EXPECT_EQ(info.m_fxFiles, (std::vector<std::string>{"a.fx"})) << c.bad;
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
