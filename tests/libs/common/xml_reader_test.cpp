#include "libs/common/xml_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "libs/common/string_util.h"
#include "support/damaged_file.h"
#include "support/temp_dir.h"

namespace {

using common::CXmlReader;

class XmlReaderTest : public ::testing::Test {
protected:
    CXmlReader Read(const std::string& content) {
        CXmlReader reader;
        reader.Load(m_dir.Write("file.xml", content));
        return reader;
    }
    tktest::CTempDir m_dir;
};

const char* const kOuterInner = "<Outer>\n<Inner>\n1\n</Inner>\n<Leaf>2</Leaf>\n</Outer>\n";

TEST_F(XmlReaderTest, ChildScopeHidesParentValues) {
    CXmlReader reader = Read(kOuterInner);
    reader.Enter("Outer");
    EXPECT_EQ(reader.GetValue("Leaf"), "2");
    reader.Enter("Inner");
    EXPECT_EQ(reader.GetValue("Leaf"), "");
    EXPECT_EQ(reader.GetValue("Inner"), "");
}

TEST_F(XmlReaderTest, EnteringAnAbsentNameClimbsUntilEveryScopeIsGone) {
    CXmlReader reader = Read(kOuterInner);
    reader.Enter("Outer");
    reader.Enter("Inner");
    reader.Enter("Leaf");
    EXPECT_EQ(reader.GetScopeCount(), 0u);
    EXPECT_EQ(reader.GetValue("Leaf"), "");
}

TEST_F(XmlReaderTest, SpacesAndTabsAreRemovedEverywhere) {
    CXmlReader reader = Read("  <Mesh>\t big boat.x </Mesh>  \n");
    EXPECT_EQ(reader.GetValue("Mesh"), "bigboat.x");
}

TEST_F(XmlReaderTest, RepeatedElementsAreEnteredInFileOrder) {
    CXmlReader reader = Read(
        "<Ranks>\n<Rank>\n<V>1</V>\n</Rank>\n<Rank>\n<V>2</V>\n</Rank>\n<Rank>\n<V>3</V>\n</Rank>\n"
        "</Ranks>\n");
    reader.Enter("Ranks");
    for (const char* expected : {"1", "2", "3"}) {
        reader.Enter("Rank");
        EXPECT_EQ(reader.GetValue("V"), expected);
    }
}

TEST_F(XmlReaderTest, RepeatedLeavesAreAllReadInFileOrderWithoutConsumingThem) {
    CXmlReader reader = Read("<S>\n<Name>a</Name>\n<Name>b</Name>\n<Inner>\n</Inner>\n<Name>c</Name>\n</S>\n");
    reader.Enter("S");
    EXPECT_EQ(reader.GetValues("Name"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(reader.GetValue("Name"), "a");
    EXPECT_TRUE(reader.HasElement("Inner"));
    EXPECT_FALSE(reader.HasElement("Name")); // a leaf, not an element that can be entered
    EXPECT_FALSE(reader.HasElement("S"));
    EXPECT_EQ(reader.GetScopeCount(), 2u);
}

TEST_F(XmlReaderTest, ValueLinesThatAreNotWholeElementsReadEmpty) {
    CXmlReader reader = Read("<Open>value\n<Late></Late><Late>x</Late>\n<case>1</case>\n");
    EXPECT_EQ(reader.GetValue("Open"), "");
    EXPECT_EQ(reader.GetValue("Late"), "");
    EXPECT_EQ(reader.GetValue("Case"), "");
    EXPECT_EQ(reader.GetValue("case"), "1");
}

TEST_F(XmlReaderTest, CrLfLinesReadLikeLfLines) {
    CXmlReader reader = Read("<Root>\r\n<A>7</A>\r\n</Root>\r\n");
    reader.Enter("Root");
    EXPECT_EQ(reader.GetScopeCount(), 2u);
    EXPECT_EQ(reader.GetValue("A"), "7");
}

TEST_F(XmlReaderTest, OpeningTagWithoutClosingTagCountsAsAbsent) {
    CXmlReader reader = Read("<A>1</A>\n<B>2</B>\n<Broken>\n<C>3</C>\n");
    reader.Enter("Broken");
    // The element counts as absent: the fall-back drops the only scope, nothing is erased wrongly.
    EXPECT_EQ(reader.GetScopeCount(), 0u);

    CXmlReader again = Read("<Root>\n<Broken>\n<C>3</C>\n</Root>\n");
    again.Enter("Root");
    again.Enter("Broken");
    EXPECT_EQ(again.GetScopeCount(), 0u);
}

TEST_F(XmlReaderTest, MissingFileGivesOneEmptyScope) {
    CXmlReader reader;
    reader.Load(m_dir.Path() + "/nothing.xml");
    EXPECT_EQ(reader.GetScopeCount(), 1u);
    EXPECT_EQ(reader.GetValue("Anything"), "");
    reader.Enter("Anything");
    EXPECT_EQ(reader.GetScopeCount(), 0u);
}

// Whatever stands in a data file's place, the reader says in one line which file and why, reads
// it as empty and goes on: nothing thrown, nothing read without end.
TEST_F(XmlReaderTest, UnusableFilesAreNamedInOneLineAndReadAsEmpty) {
    struct SCase {
        std::string path;
        std::string said;
    };
    std::vector<SCase> cases;
    for (const tktest::SDamage& damage : tktest::kDamages) {
        const std::string path = m_dir.Path() + "/" + damage.what + ".xml";
        tktest::Damage(path, damage);
        cases.push_back({path, damage.said});
    }
    const std::string large = m_dir.Write("large.xml", "<A>1</A>\n");
    std::filesystem::resize_file(large, CXmlReader::kMostFileBytes + 1);
    cases.push_back({large, "more than the 67108864 a file may have"});
    cases.push_back({"/dev/zero", "is not a regular file"});
    cases.push_back({m_dir.Write("cut.xml", "<Root>\n<A>1</A>\n"), "is cut short (<Root> is never closed)"});
    cases.push_back({m_dir.Write("long.xml", "<A>\n" + std::string(CXmlReader::kMostLineBytes + 1, 'x') + "\n</A>\n"),
                     "has a line (2) longer than 65536 bytes"});
    for (const SCase& c : cases) {
        CXmlReader reader;
        std::ostringstream errors;
        EXPECT_FALSE(reader.LoadContent(c.path, "the race goes on without it", errors)) << c.path;
        EXPECT_EQ(errors.str(), c.path + ": " + reader.GetError() + "; the race goes on without it\n");
        EXPECT_NE(reader.GetError().find(c.said), std::string::npos) << reader.GetError();
        EXPECT_EQ(reader.GetScopeCount(), 1u);
        reader.Enter("Root");
        EXPECT_EQ(reader.GetValue("A"), "") << c.path;
    }
    for (const char* content : {"<Root>\n<A>1</A>\n</Root>", "<A>1</A>\n<B>2</B>\n"}) {
        CXmlReader good;
        std::ostringstream errors;
        EXPECT_TRUE(good.LoadContent(m_dir.Write("good.xml", content), "unused", errors)) << content;
        EXPECT_EQ(errors.str(), "");
        EXPECT_EQ(good.GetError(), "");
    }
}

TEST_F(XmlReaderTest, WindowsStylePathsResolve) {
    m_dir.Write("Files/Config.XML", "<A>5</A>\n");
    CXmlReader reader;
    reader.Load(m_dir.Path() + "\\files\\config.xml");
    EXPECT_EQ(reader.GetValue("A"), "5");
}

TEST(StringToNumberTest, FollowsAtoiAndAtof) {
    EXPECT_EQ(common::StringToInt("42abc"), 42);
    EXPECT_EQ(common::StringToInt(""), 0);
    EXPECT_EQ(common::StringToInt("abc"), 0);
    EXPECT_DOUBLE_EQ(common::StringToFloat("0.25"), 0.25);
    EXPECT_DOUBLE_EQ(common::StringToFloat(""), 0.0);
}

TEST(ConvertAnsiStringToWideTest, ChecksArgumentsAndAlwaysTerminates) {
    WCHAR buffer[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(common::ConvertAnsiStringToWide(nullptr, buffer, 4), E_INVALIDARG);
    EXPECT_EQ(common::ConvertAnsiStringToWide("ab", nullptr, 4), E_INVALIDARG);
    EXPECT_EQ(common::ConvertAnsiStringToWide("ab", buffer, 0), E_INVALIDARG);
    EXPECT_EQ(common::ConvertAnsiStringToWide("ab", buffer, 4), S_OK);
    EXPECT_EQ(std::wstring(buffer), L"ab");
    common::ConvertAnsiStringToWide("abcdef", buffer, 4);
    EXPECT_EQ(buffer[3], L'\0');
    EXPECT_EQ(std::wstring(buffer), L"abc");
}

} // namespace
