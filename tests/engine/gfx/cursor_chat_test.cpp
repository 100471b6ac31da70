#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "engine/gfx/button.h"
#include "engine/gfx/chat_box.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/gfx_core.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CChatBox;
using velm::input::SInputEvent;

SInputEvent Record(std::uint32_t code, std::uint32_t value) {
    SInputEvent event;
    event.m_code = code;
    event.m_value = value;
    return event;
}

class CursorTest : public ::testing::Test {
protected:
    void TearDown() override { velm::gfx::GFXCore::Destroy(); }
    tktest::CTempDir m_dir;
};

TEST_F(CursorTest, ReadsItsFileAndStopsAtTheScreenEdgesInFullScreen) {
    const std::string file = m_dir.Write("CursorInit.xml",
                                         "<Cursor>\n<FileName>gui/cursor.png</FileName>\n"
                                         "<PosX>10</PosX>\n<PosY>20</PosY>\n<HotspotX>2</HotspotX>\n"
                                         "<HotspotY>900</HotspotY>\n</Cursor>\n");
    velm::gfx::CGFXCore& core = velm::gfx::GFXCore::Instance();
    core.SetFullScreen(true);
    core.SetScreenSize(640, 480);
    velm::gfx::CCursor cursor(file, true);
    EXPECT_EQ(cursor.GetX(), 10);
    EXPECT_EQ(cursor.GetY(), 20);
    EXPECT_EQ(cursor.GetPivotX(), 2);
    EXPECT_EQ(cursor.GetPivotY(), velm::gfx::CCursor::kFrameSide) << "hot spot held to the frame";
    EXPECT_EQ(cursor.GetZOrder(), 10);
    EXPECT_TRUE(cursor.IsCurrentAnimation(velm::gfx::kPointerAnimation));
    EXPECT_FALSE(cursor.HandleInput(Record(218, static_cast<std::uint32_t>(-50))));
    EXPECT_FALSE(cursor.HandleInput(Record(219, 1000)));
    cursor.Update(16);
    EXPECT_EQ(cursor.GetX(), 0);
    EXPECT_EQ(cursor.GetY(), 479);
    // Hidden, it is not drawn but keeps following the mouse, as a windowed one follows the
    // system pointer: the next click lands where the mouse is.
    cursor.Show(false);
    EXPECT_FALSE(cursor.IsVisible());
    cursor.HandleInput(Record(218, 30));
    EXPECT_EQ(cursor.GetX(), 30);
}

TEST_F(CursorTest, HostileNumbersAreHeldToTheScreenWithALineNamingTheFileAndField) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "TK_SOURCE_DIR is not set";
    const std::string file = std::string(source) + "/tests/engine/gfx/data/CursorInit_hostile.xml";
    ::testing::internal::CaptureStderr();
    velm::gfx::CCursor cursor(file, true);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(cursor.GetX(), velm::gfx::CButton::kMostSide);
    EXPECT_EQ(cursor.GetY(), 0);
    EXPECT_EQ(cursor.GetPivotX(), velm::gfx::CCursor::kFrameSide);
    EXPECT_EQ(cursor.GetPivotY(), velm::gfx::CCursor::kFrameSide);
    for (const char* line : {": PosX \"99999999999\" is not a whole number from 0 to 16384; using 16384",
                             ": PosY \"-5\"", ": HotspotX \"1e10\"", ": HotspotY \"70\""}) {
        EXPECT_NE(errors.find(file + line), std::string::npos) << line << "\n" << errors;
    }
    velm::gfx::GFXCore::Instance().SetFullScreen(true);
    velm::gfx::GFXCore::Instance().SetScreenSize(640, 480);
    cursor.Update(16);
    EXPECT_EQ(cursor.GetX(), 639) << "on the screen from the first frame";
}

TEST_F(CursorTest, AMissingFileGivesACursorAtTheOrigin) {
    velm::gfx::GFXCore::Instance().SetFullScreen(true);
    velm::gfx::CCursor cursor(m_dir.Path() + "/none.xml", true);
    cursor.Update(16);
    EXPECT_EQ(cursor.GetX(), 0);
    EXPECT_EQ(cursor.GetY(), 0);
}

// Keeps what is queued.
class CQueueRecorder : public velm::IEventManager {
public:
    bool AddListener(const velm::EventListenerPtr&, const velm::CEventType&) override { return false; }
    bool DelListener(const velm::EventListenerPtr&, const velm::CEventType&) override { return false; }
    bool DelListenerAll(const velm::EventListenerPtr&) override { return false; }
    bool Trigger(const velm::CEvent&) override { return false; }
    bool Tick(std::int32_t) override { return false; }
    bool QueueEvent(const velm::EventPtr& event) override {
        m_queued.push_back(event);
        return true;
    }
    bool AbortEvent(const velm::EventPtr&) override { return false; }
    bool AbortEventsOfType(const velm::CEventType&, bool) override { return false; }
    bool ValidateType(const velm::CEventType&) override { return true; }
    std::vector<velm::EventPtr> m_queued;
};

class ChatBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = velm::GetEventManager();
        velm::SetEventManager(&m_events);
    }
    void TearDown() override { velm::SetEventManager(m_previous); }

    static std::unique_ptr<CChatBox> Box(int maxLines, int maxChars) {
        return std::make_unique<CChatBox>(300, 200, velm::gfx::STextStyle(), velm::gfx::SScreenPoint{10, 300},
                                          velm::gfx::SScreenPoint{5, 180}, velm::gfx::SScreenPoint{5, 170}, 290,
                                          maxLines, maxChars, "", L"Ana", 10);
    }
    static void Type(CChatBox& box, const std::vector<std::uint32_t>& keys) {
        for (const std::uint32_t key : keys) {
            EXPECT_FALSE(box.HandleInput(Record(key, 0)));
            box.HandleInput(Record(key, 1));
        }
    }

    CQueueRecorder m_events;
    velm::IEventManager* m_previous = nullptr;
};

TEST_F(ChatBoxTest, KeepsTheNewestLinesUpToItsMaximum) {
    auto box = Box(3, 64);
    for (const char* text : {"one", "two", "three", "four", "five"}) {
        box->AddMessage(text);
    }
    box->AddMessage("");
    ASSERT_EQ(box->GetMessageLines().size(), 3u);
    std::vector<std::wstring> texts;
    std::vector<int> heights;
    for (const velm::gfx::CTextSprite* line : box->GetMessageLines()) {
        texts.push_back(line->GetText());
        heights.push_back(line->GetY());
    }
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"five", L"four", L"three"}));
    // Each line moved up 16 pixels per newer line, from the message position.
    EXPECT_EQ(heights, (std::vector<int>{470 - 16, 470 - 32, 470 - 48}));
}

TEST_F(ChatBoxTest, TypesShiftedSymbolsDeletesAndSends) {
    auto box = Box(4, 64);
    EXPECT_EQ(box->GetTypedLine(), L"|");
    Type(*box, {14});
    EXPECT_EQ(box->GetTypedLine(), L"|") << "backspace on the caret alone";
    Type(*box, {28});
    EXPECT_TRUE(m_events.m_queued.empty()) << "return on an empty line";
    box->HandleInput(Record(42, 0));
    Type(*box, {10, 11, 35});
    box->HandleInput(Record(42, 1));
    Type(*box, {23, 14, 23, 57, 13});
    EXPECT_EQ(box->GetTypedLine(), L"()Hi =|");
    Type(*box, {28});
    ASSERT_EQ(m_events.m_queued.size(), 1u);
    const auto& sent = static_cast<const velm::CTextMessageEvt&>(*m_events.m_queued[0]).GetMessage();
    EXPECT_EQ(sent.m_text, "Ana: ()Hi =");
    ASSERT_EQ(box->GetMessageLines().size(), 1u);
    EXPECT_EQ(box->GetMessageLines().front()->GetText(), L"Ana: ()Hi =");
    EXPECT_EQ(box->GetTypedLine(), L"|");
}

TEST_F(ChatBoxTest, AFullLineRefusesMoreCharactersAndTheCaretBlinks) {
    // "Ana: " and the caret leave room for two letters under eight.
    auto box = Box(4, 8);
    Type(*box, {30, 30, 30, 30});
    EXPECT_EQ(box->GetTypedLine(), L"aa|");
    box->Update(501);
    EXPECT_FALSE(box->IsCaretShown());
    EXPECT_EQ(box->GetTypedLine(), L"aa");
    Type(*box, {14});
    EXPECT_EQ(box->GetTypedLine(), L"a");
    box->Update(501);
    EXPECT_EQ(box->GetTypedLine(), L"a|");
    EXPECT_EQ(box->GetInputLine()->GetText(), L"a|");
}

} // namespace
