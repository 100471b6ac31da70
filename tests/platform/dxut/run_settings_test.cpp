#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/dxut/run_settings.h"

namespace {

struct SKnobs {
    const char* frameLimit;
    const char* fixedDt;
    const char* screenshots;
};

platform::SRunSettings Read(const SKnobs& knobs, std::string& errors) {
    setenv("TK_FRAME_LIMIT", knobs.frameLimit, 1);
    setenv("TK_FIXED_DT", knobs.fixedDt, 1);
    setenv("TK_SCREENSHOT_FRAMES", knobs.screenshots, 1);
    unsetenv("TK_INPUT_FILE");
    std::ostringstream out;
    const platform::SRunSettings settings = platform::ReadRunSettings(out);
    errors = out.str();
    unsetenv("TK_FRAME_LIMIT");
    unsetenv("TK_FIXED_DT");
    unsetenv("TK_SCREENSHOT_FRAMES");
    return settings;
}

TEST(RunSettings, GoodValuesAreTaken) {
    std::string errors;
    const auto settings = Read({"300", "0.0166", "100,3,3"}, errors);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(settings.frameLimit, 300u);
    EXPECT_DOUBLE_EQ(settings.fixedFrameTime, 0.0166);
    EXPECT_EQ(settings.screenshotFrames, (std::vector<unsigned long>{3, 100}));
}

TEST(RunSettings, MalformedValuesAreReportedAndIgnored) {
    std::string errors;
    const auto settings = Read({"ten", "-1", "3,,x,0,7"}, errors);
    EXPECT_EQ(settings.frameLimit, 0u);
    EXPECT_EQ(settings.fixedFrameTime, 0.0);
    EXPECT_EQ(settings.screenshotFrames, (std::vector<unsigned long>{3, 7}));
    EXPECT_NE(errors.find("TK_FRAME_LIMIT: 'ten'"), std::string::npos) << errors;
    EXPECT_NE(errors.find("TK_FIXED_DT: '-1'"), std::string::npos) << errors;
    EXPECT_NE(errors.find("'x' is not a frame number"), std::string::npos) << errors;
    EXPECT_NE(errors.find("'0' is not a frame number"), std::string::npos) << errors;
    const auto nan = Read({"", "nan", ""}, errors);
    EXPECT_EQ(nan.fixedFrameTime, 0.0);
}

} // namespace
