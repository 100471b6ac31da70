#include "game/flow/engine_config_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
        m_loader.Load(m_dir.Write("config.xml", text));
        return m_loader.GetInfo();
    }
    tktest::CTempDir m_dir;
    kelvo::CEngineConfigLoader m_loader;
};

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

TEST_F(EngineConfigLoaderTest, MissingEmptyOrMalformedFilesGiveZeros) {
    for (const std::string& content : {std::string(), std::string("not xml at all\n"),
                                       std::string("<VelmConfig>\n<VelmGraphic>\n<Settings>\n<ScreenWidth>9\n")}) {
        kelvo::CEngineConfigLoader loader;
        loader.Load(m_dir.Write("bad.xml", content));
        EXPECT_FALSE(loader.GetInfo().m_useDefault);
        EXPECT_EQ(loader.GetInfo().m_screenWidth, 0);
        EXPECT_TRUE(loader.GetInfo().m_fxFiles.empty());
    }
    kelvo::CEngineConfigLoader missing;
    missing.Load(m_dir.Path() + "/absent.xml");
    EXPECT_EQ(missing.GetInfo().m_screenHeight, 0);
}

TEST(DefaultDataTreeTest, ShippedEngineConfigurationLoads) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    kelvo::CEngineConfigLoader loader;
    loader.Load(std::string(source) + "/data/files/xmlfiles/tumbo_kelvo_engine_config.xml");
    EXPECT_GT(loader.GetInfo().m_screenWidth, 0);
    EXPECT_GT(loader.GetInfo().m_screenHeight, 0);
}

} // namespace
