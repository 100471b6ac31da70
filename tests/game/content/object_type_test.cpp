#include "game/content/object_type.h"

#include <gtest/gtest.h>

namespace {

TEST(ObjectTypeTest, NamesBothWays) {
    struct Case {
        std::uint32_t id;
        const char* name;
    };
    const Case cases[] = {{0, "noobj"},     {1, "monkey"},    {2, "bear"},       {3, "alien"},      {4, "fish"},
                          {5, "hillbilly"}, {6, "moviestar"}, {7, "drill"},      {8, "reflect"},    {9, "bait"},
                          {10, "shark"},    {11, "pole"},     {12, "whirlpool"}, {13, "propeller"}, {14, "mine"},
                          {15, "jug"},      {17, "rock"},     {18, "box"},       {19, "light"},     {20, "water"},
                          {21, "terrain"},  {22, "envobj"},   {23, "genitem"},   {24, "particle"},  {25, "log"},
                          {26, "boulder"},  {27, "logo"}};
    for (const Case& c : cases) {
        EXPECT_EQ(kelvo::ObjectTypeName(c.id), c.name);
        EXPECT_EQ(kelvo::ObjectTypeByName(c.name), c.id) << c.name;
    }
}

TEST(ObjectTypeTest, TheIrregularNames) {
    EXPECT_EQ(kelvo::ObjectTypeByName("ramp"), 16u);
    EXPECT_EQ(kelvo::ObjectTypeName(16), "speedramp");
    EXPECT_EQ(kelvo::ObjectTypeByName("speedramp"), 0u);
    EXPECT_EQ(kelvo::ObjectTypeByName("box2"), 34u);
    EXPECT_EQ(kelvo::ObjectTypeByName("cyl"), 34u);
    EXPECT_EQ(kelvo::ObjectTypeByName("Monkey"), 0u);
    EXPECT_EQ(kelvo::ObjectTypeByName(""), 0u);
    for (std::uint32_t id = 28; id <= 40; ++id) {
        EXPECT_EQ(kelvo::ObjectTypeName(id), "noobj") << id;
    }
}

TEST(ObjectTypeTest, ClassTests) {
    for (std::uint32_t id = 0; id <= 36; ++id) {
        EXPECT_EQ(kelvo::IsCharacterType(id), id >= 1 && id <= 6) << id;
        EXPECT_EQ(kelvo::IsItemType(id), (id >= 7 && id <= 14) || id == 23) << id;
    }
}

} // namespace
