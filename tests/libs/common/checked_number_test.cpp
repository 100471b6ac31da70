#include "libs/common/checked_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace {

constexpr common::SNumberBounds kBounds = {-10.0, 10.0, 2.5};

TEST(CheckedNumberTest, NumbersOutsideTheBoundsOrNotFiniteGiveTheFallbackWithALine) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        double expected;
        const char* line;
    } cases[] = {
        {-10.0, -10.0, ""},
        {7.25, 7.25, ""},
        {std::nan(""), 2.5, "a.lua: SPEED \"nan\" is not a number from -10 to 10; using 2.5\n"},
        {kInf, 2.5, "a.lua: SPEED \"inf\" is not a number from -10 to 10; using 2.5\n"},
        {-kInf, 2.5, "a.lua: SPEED \"-inf\" is not a number from -10 to 10; using 2.5\n"},
        {1e10, 2.5, "a.lua: SPEED \"1e+10\" is not a number from -10 to 10; using 2.5\n"},
        {-10.5, 2.5, "a.lua: SPEED \"-10.5\" is not a number from -10 to 10; using 2.5\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream errors;
        EXPECT_EQ(common::CheckNumber(c.value, kBounds, "a.lua", "SPEED", errors), c.expected) << c.value;
        EXPECT_EQ(errors.str(), c.line);
    }
    std::ostringstream errors;
    EXPECT_EQ(common::CheckWhole(2.9, kBounds, "a.lua", "COUNT", errors), 2);
    EXPECT_EQ(common::CheckWhole(-2.9, kBounds, "a.lua", "COUNT", errors), -2);
    EXPECT_EQ(errors.str(), "");
    EXPECT_EQ(common::CheckWhole(1e9, kBounds, "a.lua", "COUNT", errors), 2);
    EXPECT_EQ(errors.str(), "a.lua: COUNT \"1e+09\" is not a whole number from -10 to 10; using 2.5\n");
}

TEST(CheckedNumberTest, FileTextReadsAsBeforeAndShowsTheTextItRefuses) {
    const struct {
        const char* text;
        float asFloat;
        int asWhole;
        bool refused;
    } cases[] = {
        {"", 0.0f, 0, false},   {"abc", 0.0f, 0, false}, {"3.75", 3.75f, 3, false}, {"4x", 4.0f, 4, false},
        {"nan", 2.5f, 2, true}, {"-inf", 2.5f, 2, true}, {"1e10", 2.5f, 2, true},   {"99999999999", 2.5f, 2, true},
    };
    for (const auto& c : cases) {
        std::ostringstream errors;
        EXPECT_EQ(common::ReadFloat(c.text, kBounds, "f.xml", "Mass", errors), c.asFloat) << c.text;
        EXPECT_EQ(!errors.str().empty(), c.refused) << c.text;
        if (c.refused) {
            EXPECT_EQ(errors.str(),
                      std::string("f.xml: Mass \"") + c.text + "\" is not a number from -10 to 10; using 2.5\n");
        }
        std::ostringstream wholeErrors;
        EXPECT_EQ(common::ReadWhole(c.text, kBounds, "f.xml", "Layers", wholeErrors), c.asWhole) << c.text;
        EXPECT_EQ(!wholeErrors.str().empty(), c.refused) << c.text;
    }

    tktest::CTempDir dir;
    common::CXmlReader reader;
    const std::string path = dir.Write("hull.xml", "<Hull>\n<Layers>-1</Layers>\n<Radius>nan</Radius>\n</Hull>\n");
    reader.Load(path);
    reader.Enter("Hull");
    std::ostringstream errors;
    EXPECT_EQ(common::ReadWhole(reader, "Layers", {0.0, 64.0, 0.0}, errors), 0);
    EXPECT_EQ(common::ReadFloat(reader, "Radius", {0.0, 64.0, 1.0}, errors), 1.0f);
    EXPECT_EQ(errors.str(), path + ": Layers \"-1\" is not a whole number from 0 to 64; using 0\n" + path +
                                ": Radius \"nan\" is not a number from 0 to 64; using 1\n");
}

// A reader holding its file's shipped values: what the file lacks or holds refused takes the
// shipped value, a missing file takes them all, and an optional field neither names reads as 0.
TEST(CheckedNumberTest, ShippedValuesStandInForWhatTheFileLacksOrHoldsRefused) {
    const char* const shipped = "<Menu>\n<Button>\n<Width>260</Width>\n<X>0.25</X>\n</Button>\n</Menu>\n";
    const struct {
        const char* file;
        int width;
        double x;
        const char* said;
    } cases[] = {
        {"<Menu>\n<Button>\n<Width>100</Width>\n<X>0.5</X>\n</Button>\n</Menu>\n", 100, 0.5, ""},
        {"<Menu>\n<Button>\n<Width>-2147483648</Width>\n<X>0.5</X>\n</Button>\n</Menu>\n", 260, 0.5,
         ": Width \"-2147483648\" is not a whole number from 1 to 16384; using 260 as shipped\n"},
        {"<Menu>\n<Button>\n<Width>12abc</Width>\n<X>nan</X>\n</Button>\n</Menu>\n", 260, 0.25,
         ": Width \"12abc\" is not a whole number from 1 to 16384; using 260 as shipped\n"},
        {"<Menu>\n<Button>\n<X>0.5</X>\n</Button>\n</Menu>\n", 260, 0.5,
         ": Width is missing or empty; using 260 as shipped\n"},
        {"<Menu>\n<Other>\n</Other>\n</Menu>\n", 260, 0.25, ": <Button> is missing or out of place"},
        {"", 260, 0.25, ""},
        {"\x01\x02garbage<<", 260, 0.25, ""},
    };
    tktest::CTempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.Write("menu.xml", c.file);
        common::CXmlReader reader;
        reader.SetShipped(shipped);
        std::ostringstream errors;
        ::testing::internal::CaptureStderr();
        reader.Load(path);
        reader.Enter("Menu");
        reader.Enter("Button");
        const int width = common::ReadWhole(reader, "Width", {1.0, 16384.0, 64.0}, errors);
        const double x = common::ReadNumber(reader, "X", {0.0, 1.0, 0.0}, errors);
        const double anchor = common::ReadNumber(reader, "Anchor", {-16.0, 16.0, 0.0}, errors);
        const std::string said = errors.str() + ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(width, c.width) << c.file;
        EXPECT_EQ(x, c.x) << c.file;
        EXPECT_EQ(anchor, 0.0) << c.file;
        if (*c.said == '\0') {
            EXPECT_EQ(said, "") << c.file;
        } else {
            EXPECT_EQ(said.rfind(path + c.said, 0), 0u) << c.file << "\n" << said;
        }
    }
}

} // namespace
