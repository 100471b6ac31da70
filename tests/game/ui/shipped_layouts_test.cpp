// The screens' shipped tables against the layout files that ship: a change to either alone fails
// here, so a screen whose file is damaged is laid out as the game really ships it.
#include "game/ui/shipped_layouts.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "libs/common/xml_reader.h"
#include "support/damaged_file.h"
#include "support/source_file.h"

namespace {

// The lines as the tag reader sees them: blanks, tabs and carriage returns dropped.
std::string AsRead(const std::string& text) {
    std::string lines;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r') {
            lines.push_back(c);
        }
    }
    return lines;
}

TEST(ShippedLayouts, EachTableIsItsShippedFile) {
    std::set<std::string> files;
    for (const kelvo::SShippedLayout& layout : kelvo::ShippedLayouts()) {
        const std::string shipped =
            tktest::ReadAll(tktest::SourceFile(std::string("data/files/xmlfiles/") + layout.m_fileName));
        ASSERT_FALSE(shipped.empty()) << layout.m_fileName;
        EXPECT_EQ(AsRead(layout.m_text), AsRead(shipped))
            << layout.m_fileName << " and its table in src/game/ui/shipped_layouts.cpp differ: change both";
        files.insert(layout.m_fileName);
    }
    // Every layout the game's screens and cursor read.
    EXPECT_EQ(files, (std::set<std::string>{"StartMenu.xml", "CharacterSelection.xml", "MultiplayerMenu.xml",
                                            "CreditsMenu.xml", "InGameMenu.xml", "StartRaceInit.xml", "EndRace.xml",
                                            "VictoryScreen.xml", "NorvaleSplash.xml", "CursorInit.xml"}));
}

} // namespace
