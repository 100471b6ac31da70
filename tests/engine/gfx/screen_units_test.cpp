#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/base_gui.h"
#include "engine/gfx/button.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/gui_manager.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/text_sprite.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CButton;
using velm::gfx::CSprite;
using velm::gfx::SSpriteAnimation;
using velm::input::SInputEvent;

constexpr std::uint32_t kLeftButton = 210;

SInputEvent Record(std::uint32_t code, std::uint32_t value) {
    SInputEvent event;
    event.m_code = code;
    event.m_value = value;
    return event;
}

// A sprite of 64 x 64 frames on a 256-pixel-wide sheet, playing.
std::unique_ptr<CSprite> Playing(int frameCount, int frameTime, bool loop, int frameWidth = 64, int firstLeft = 0) {
    auto sprite = std::make_unique<CSprite>();
    sprite->SetTextureSize(256, 256);
    sprite->AddAnimation("run", frameWidth, 64, frameCount, firstLeft, 0, frameTime, 0, 0, loop);
    sprite->SetAnimation("run");
    sprite->GetCurrentAnimation()->stopped = 0;
    return sprite;
}

TEST(SpriteAnimation, FramesFollowTheClockWithAndWithoutLooping) {
    struct SCase {
        bool loop;
        std::vector<unsigned> steps;
        int frame;
    };
    const SCase cases[] = {
        {true, {250}, 1},   {true, {250, 350}, 0}, {false, {250, 350}, 2},     {true, {1000}, 2},
        {false, {5000}, 2}, {true, {199}, 0},      {true, {100, 100, 100}, 1}, {false, {199, 1, 200}, 2},
    };
    for (const SCase& c : cases) {
        auto sprite = Playing(3, 200, c.loop);
        for (const unsigned step : c.steps) {
            sprite->Update(step);
        }
        EXPECT_EQ(sprite->GetCurrentAnimation()->currentFrame, c.frame)
            << "loop " << c.loop << ", first step " << c.steps.front();
    }
    // A stopped record does not move.
    auto stopped = Playing(3, 200, true);
    stopped->GetCurrentAnimation()->stopped = 1;
    stopped->Update(1000);
    EXPECT_EQ(stopped->GetCurrentAnimation()->currentFrame, 0);
}

TEST(SpriteAnimation, SourceRectanglesWalkTheRowsOfTheSheet) {
    struct SCase {
        int frameWidth;
        int firstLeft;
        int frame;
        RECT rect;
    };
    const SCase cases[] = {
        {64, 0, 0, {0, 0, 63, 63}},
        {64, 0, 3, {192, 0, 255, 63}},
        {64, 0, 4, {0, 64, 63, 127}},
        {64, 0, 9, {64, 128, 127, 191}},
        {64, 32, 2, {160, 0, 223, 63}},
        {64, 32, 3, {32, 64, 95, 127}},
        {100, 0, 1, {100, 0, 199, 63}},
        {100, 0, 2, {0, 64, 99, 127}},
        // A frame whose right edge would be the sheet's width is past the sheet: next row.
        {64, 1, 3, {1, 64, 64, 127}},
        // Wider than the sheet: not one frame per row, so the frames stand one under another.
        {300, 0, 0, {0, 0, 299, 63}},
        {300, 0, 2, {0, 128, 299, 191}},
    };
    for (const SCase& c : cases) {
        auto sprite = Playing(16, 200, true, c.frameWidth, c.firstLeft);
        sprite->GetCurrentAnimation()->currentFrame = c.frame;
        RECT rect = {};
        ASSERT_TRUE(sprite->GetSourceRect(&rect));
        EXPECT_EQ(rect.left, c.rect.left) << "width " << c.frameWidth << " frame " << c.frame;
        EXPECT_EQ(rect.top, c.rect.top) << "width " << c.frameWidth << " frame " << c.frame;
        EXPECT_EQ(rect.right, c.rect.right) << "width " << c.frameWidth << " frame " << c.frame;
        EXPECT_EQ(rect.bottom, c.rect.bottom) << "width " << c.frameWidth << " frame " << c.frame;
    }
}

TEST(SpriteAnimation, DegenerateRecordsNeitherHangNorDivideByZero) {
    // No frame width: no rectangle, nothing drawn; no frames: the frame stays 0.
    auto noWidth = Playing(4, 200, true, 0);
    RECT rect = {};
    EXPECT_FALSE(noWidth->GetSourceRect(&rect));
    noWidth->Update(1000);
    auto noFrames = Playing(0, 200, true);
    noFrames->Update(1000);
    EXPECT_EQ(noFrames->GetCurrentAnimation()->currentFrame, 0);
    auto noFrameTime = Playing(3, 0, true);
    noFrameTime->Update(1000);
    EXPECT_EQ(noFrameTime->GetCurrentAnimation()->currentFrame, 0);
    // A sheet with no width (no texture): the rows never end, yet the walk stops.
    auto noSheet = Playing(8, 200, true);
    noSheet->SetTextureSize(0, 0);
    noSheet->GetCurrentAnimation()->currentFrame = 5;
    ASSERT_TRUE(noSheet->GetSourceRect(&rect));
    EXPECT_EQ(rect.top, 5 * 64);
    // Frame counts are held to what a sheet can hold.
    CSprite big;
    big.AddAnimation("many", 1, 1, 2000000000, 0, 0, 200, 0, 0, true);
    big.SetAnimation("many");
    EXPECT_EQ(big.GetCurrentAnimation()->frameCount, CSprite::kMostFrames);
}

TEST(SpriteAnimation, AnUnknownNameLeavesNoCurrentAnimationUntilAKnownOne) {
    auto sprite = Playing(3, 200, true);
    sprite->Update(250);
    sprite->SetAnimation("nothing");
    EXPECT_EQ(sprite->GetCurrentAnimation(), nullptr);
    RECT rect = {};
    EXPECT_FALSE(sprite->GetSourceRect(&rect));
    sprite->SetAnimation("run");
    EXPECT_TRUE(sprite->IsCurrentAnimation("run"));
}

TEST(TextSprite, ColourChannelsClampAndRound) {
    EXPECT_EQ(velm::gfx::ChannelToByte(1.5f), 255u);
    EXPECT_EQ(velm::gfx::ChannelToByte(-0.2f), 0u);
    EXPECT_EQ(velm::gfx::ChannelToByte(0.5f), 128u);
    EXPECT_EQ(velm::gfx::PackColour(1.0f, 0.0f, 0.5f, 0.25f), 0x40FF0080u);
}

// A button whose hit test reads a cursor the test moves.
struct SButtonRig {
    POINT cursor = {0, 0};
    int clicks = 0;
    std::unique_ptr<CButton> button;

    SButtonRig() {
        velm::gfx::SButtonLayout layout;
        layout.x = 100;
        layout.y = 50;
        layout.width = 80;
        layout.height = 20;
        button.reset(CButton::FromLayout(
            layout, [this](const POINT& corner) { return velm::gfx::IsPointInBox(cursor, corner, 80, 20); },
            [this] { ++clicks; }));
    }
    int Row() const { return button->GetCurrentAnimation()->firstTop / 20; }
};

TEST(Button, ShowsItsFrameRowByCursorAndPress) {
    SButtonRig rig;
    EXPECT_EQ(rig.Row(), 0);
    rig.cursor = {120, 60};
    EXPECT_FALSE(rig.button->HandleInput(Record(218, 5)));
    EXPECT_EQ(rig.Row(), 1) << "cursor over";
    EXPECT_TRUE(rig.button->HandleInput(Record(kLeftButton, 0)));
    EXPECT_EQ(rig.Row(), 2) << "pressed";
    EXPECT_FALSE(rig.button->HandleInput(Record(kLeftButton, 1)));
    EXPECT_EQ(rig.clicks, 1);
    // Pressed again, then released outside: back to normal, no click.
    EXPECT_TRUE(rig.button->HandleInput(Record(kLeftButton, 0)));
    rig.cursor = {400, 400};
    EXPECT_FALSE(rig.button->HandleInput(Record(kLeftButton, 1)));
    EXPECT_EQ(rig.Row(), 0);
    EXPECT_FALSE(rig.button->IsPressed());
    EXPECT_EQ(rig.clicks, 1);
    // A press outside is not taken; a disabled button shows its normal row under the cursor.
    EXPECT_FALSE(rig.button->HandleInput(Record(kLeftButton, 0)));
    rig.cursor = {100, 50};
    rig.button->SetEnabled(false);
    rig.button->HandleInput(Record(218, 1));
    EXPECT_EQ(rig.Row(), 0);
    // The box's edges count as inside.
    EXPECT_TRUE(velm::gfx::IsPointInBox({180, 70}, {100, 50}, 80, 20));
    EXPECT_FALSE(velm::gfx::IsPointInBox({181, 70}, {100, 50}, 80, 20));
}

TEST(Button, LayoutElementsGivePixelsAndClampedSizes) {
    // Without shipped values a size beyond its range is held to the nearer end: a box of at least
    // a pixel.
    tktest::CTempDir dir;
    const std::string file = dir.Write("menu.xml",
                                       "<Menu>\n<PlayButton>\n<FileName>gui/play.png</FileName>\n"
                                       "<OffsetX>0.25</OffsetX>\n<OffsetY>0.5</OffsetY>\n"
                                       "<BBWidth>99999999</BBWidth>\n<BBHeight>-4</BBHeight>\n"
                                       "</PlayButton>\n</Menu>\n");
    common::CXmlReader reader;
    reader.Load(file);
    reader.Enter("Menu");
    const velm::gfx::SButtonLayout layout = CButton::ReadLayout(reader, "PlayButton", 1024, 768);
    EXPECT_EQ(layout.fileName, "gui/play.png");
    EXPECT_EQ(layout.x, 256);
    EXPECT_EQ(layout.y, 384);
    EXPECT_EQ(layout.width, CButton::kMostSide);
    EXPECT_EQ(layout.height, 1);
}

TEST(Button, AnAnchorKeepsItsPointOfTheItemAtTheOffsetAndBadNumbersStayOnTheScreen) {
    struct SCase {
        const char* values;
        int screenWidth;
        float drawnWidth;
        LONG x;
    };
    const SCase cases[] = {
        // No anchor: the corner at the fraction, truncated, as without anchors.
        {"<OffsetX>0.18</OffsetX>", 1024, 512.0f, 184},
        // Centred, right-aligned and beside a point, at two sizes; the anchor's pixels round.
        {"<OffsetX>0.5</OffsetX>\n<AnchorX>0.5</AnchorX>", 800, 512.0f, 144},
        {"<OffsetX>0.5</OffsetX>\n<AnchorX>0.5</AnchorX>", 1024, 512.0f, 256},
        {"<OffsetX>0.96</OffsetX>\n<AnchorX>1</AnchorX>", 1024, 192.0f, 791},
        {"<OffsetX>0.4667</OffsetX>\n<AnchorX>1.708333</AnchorX>", 600, 48.0f, 198},
        {"<OffsetX>0.06</OffsetX>\n<AnchorX>-1.107692</AnchorX>", 800, 260.0f, 336},
        // Not numbers, not finite or far too large: refused (with a line), the item at the corner.
        {"<OffsetX>0.5</OffsetX>\n<AnchorX>middle</AnchorX>", 800, 100.0f, 400},
        {"<OffsetX>nan</OffsetX>\n<AnchorX>inf</AnchorX>", 800, 100.0f, 0},
        {"<OffsetX>1e30</OffsetX>", 800, 100.0f, 0},
        {"<OffsetX>0</OffsetX>\n<AnchorX>1e30</AnchorX>", 800, 100.0f, 0},
    };
    tktest::CTempDir dir;
    for (const SCase& c : cases) {
        const std::string file =
            dir.Write("item.xml", std::string("<Item>\n") + c.values + "\n<OffsetY>0.25</OffsetY>\n</Item>\n");
        common::CXmlReader reader;
        reader.Load(file);
        reader.Enter("Item");
        const POINT corner = velm::gfx::ReadLayoutCorner(reader, c.screenWidth, 600, c.drawnWidth, 10.0f);
        EXPECT_EQ(corner.x, c.x) << c.values << " on " << c.screenWidth;
        EXPECT_EQ(corner.y, 150) << c.values;
    }
}

// A screen that counts what reaches it and consumes presses when asked to.
class CProbeScreen : public velm::gfx::CBaseGUI {
public:
    CProbeScreen(int z, bool consumes, int* updates = nullptr) : m_consumes(consumes), m_updates(updates) {
        SetZOrder(z);
    }
    bool HandleInput(const SInputEvent&) override {
        ++m_offered;
        return m_consumes;
    }
    void Update(unsigned ms) override {
        if (m_updates != nullptr) {
            ++*m_updates;
        }
        CBaseGUI::Update(ms);
    }
    int m_offered = 0;

private:
    bool m_consumes;
    int* m_updates;
};

TEST(GUIManager, InputStopsAtTheFirstScreenThatConsumesIt) {
    velm::gfx::CGUIManager gui;
    auto* passes = new CProbeScreen(3, false);
    auto* takes = new CProbeScreen(3, true);
    auto* after = new CProbeScreen(3, true);
    gui.AddScreen(1, takes);
    gui.AddScreen(0, passes);
    gui.AddScreen(2, after);
    EXPECT_TRUE(gui.HandleInput(Record(kLeftButton, 0)));
    EXPECT_EQ(passes->m_offered, 1);
    EXPECT_EQ(takes->m_offered, 1);
    EXPECT_EQ(after->m_offered, 0);
    gui.RemoveScreen(1);
    EXPECT_TRUE(gui.HandleInput(Record(kLeftButton, 0)));
    EXPECT_EQ(after->m_offered, 1);
}

TEST(GUIManager, ATakenIdRefusesTheNewScreenAndLeavesItToTheCaller) {
    velm::gfx::CGUIManager gui;
    auto* first = new CProbeScreen(3, false);
    auto second = std::make_unique<CProbeScreen>(3, true);
    ASSERT_TRUE(gui.AddScreen(4, first));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(gui.AddScreen(4, second.get()));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("id 4 is taken"), std::string::npos);
    EXPECT_EQ(gui.GetScreen(4), first);
    EXPECT_FALSE(gui.HandleInput(Record(kLeftButton, 0)));
    EXPECT_EQ(second->m_offered, 0);
}

TEST(GUIManager, LaterRemovalFinishesTheUpdateAndDrawsInZOrder) {
    velm::gfx::CGUIManager gui;
    int updates = 0;
    gui.AddScreen(0, new CProbeScreen(5, false));
    gui.AddScreen(1, new CProbeScreen(3, false, &updates));
    gui.AddScreen(2, new CProbeScreen(3, false));
    gui.Update(16);
    ASSERT_EQ(gui.GetDrawList().size(), 3u);
    std::vector<velm::gfx::IScreenUnit*> sorted = gui.GetDrawList();
    velm::gfx::SortByZOrder(&sorted);
    EXPECT_EQ(sorted[0], gui.GetScreen(1));
    EXPECT_EQ(sorted[1], gui.GetScreen(2));
    EXPECT_EQ(sorted[2], gui.GetScreen(0));
    gui.RemoveScreenLater(1);
    gui.Update(16);
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(gui.GetDrawList().size(), 2u);
    EXPECT_EQ(gui.GetScreen(1), nullptr);
}

TEST(BaseGUI, ChildrenTakeInputInIdOrderAndATakenIdIsRefused) {
    velm::gfx::CBaseGUI screen;
    auto* low = new CProbeScreen(3, true);
    auto* high = new CProbeScreen(3, true);
    screen.AddChild(7, high);
    screen.AddChild(2, low);
    EXPECT_TRUE(screen.HandleInput(Record(kLeftButton, 0)));
    EXPECT_EQ(low->m_offered, 1);
    EXPECT_EQ(high->m_offered, 0);
    CProbeScreen spare(3, false);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(screen.AddChild(7, &spare));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(screen.GetChild(7), high);
}

} // namespace
