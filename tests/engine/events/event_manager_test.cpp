#include "engine/events/event_manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/engine_events.h"

namespace {

using velm::CEvent;
using velm::CEventManager;
using velm::CEventType;
using velm::EventPtr;

// Records every event it sees in a log shared by the test's listeners.
class CRecordingListener : public velm::IEventListener {
public:
    CRecordingListener(std::string name, std::vector<std::string>& log, bool result = false)
        : m_name(std::move(name)), m_log(log), m_result(result) {}
    bool HandleEvent(const CEvent& event) override {
        m_log.push_back(m_name + ":" + event.GetEventType().GetName());
        if (m_onEvent) {
            m_onEvent(event);
        }
        return m_result;
    }
    std::string GetName() override { return m_name; }
    std::function<void(const CEvent&)> m_onEvent;

private:
    std::string m_name;
    std::vector<std::string>& m_log;
    bool m_result;
};

class EventManagerTest : public ::testing::Test {
protected:
    std::shared_ptr<CRecordingListener> Listener(const std::string& name, bool result = false) {
        return std::make_shared<CRecordingListener>(name, m_log, result);
    }
    static EventPtr Make(const std::string& type) { return std::make_shared<CEvent>(type, nullptr); }

    CEventManager m_manager;
    std::vector<std::string> m_log;
};

TEST(EventHashTest, KnownValuesAndCaseBlindness) {
    EXPECT_EQ(velm::HashEventTypeName(""), 5381u);
    EXPECT_EQ(velm::HashEventTypeName("!"), (5381u * 33u) ^ 0x21u);
    EXPECT_EQ(velm::HashEventTypeName("a"), (5381u * 33u) ^ 'a');
    EXPECT_EQ(velm::HashEventTypeName("Create_Racer_Event"), velm::HashEventTypeName("CREATE_RACER_EVENT"));
}

TEST_F(EventManagerTest, CollidingNamesCannotBothBeUsed) {
    ASSERT_TRUE(m_manager.AddListener(Listener("a"), CEventType("Create_Racer_Event")));
    EXPECT_FALSE(m_manager.AddListener(Listener("b"), CEventType("CREATE_RACER_EVENT")));
    EXPECT_FALSE(m_manager.Trigger(CEvent("CREATE_RACER_EVENT", nullptr)));
    EXPECT_FALSE(m_manager.QueueEvent(Make("CREATE_RACER_EVENT")));
}

TEST_F(EventManagerTest, NameHashingLikeTheWildcardIsRefused) {
    // Found by undoing the last hash steps (33 is invertible modulo 2^32) against four-letter prefixes.
    const std::string clash = "2kme'$s";
    ASSERT_EQ(velm::HashEventTypeName(clash.c_str()), velm::WildcardEventType().GetHash());
    EXPECT_FALSE(m_manager.ValidateType(CEventType(clash)));
    EXPECT_FALSE(m_manager.AddListener(Listener("a"), CEventType(clash)));
    m_manager.AddListener(Listener("w"), velm::WildcardEventType());
    EXPECT_FALSE(m_manager.QueueEvent(Make(clash)));
    EXPECT_FALSE(m_manager.Trigger(CEvent(clash, nullptr)));
    EXPECT_TRUE(m_log.empty());
}

TEST_F(EventManagerTest, QueueNeedsAListenerEntryOrAWildcard) {
    EXPECT_FALSE(m_manager.QueueEvent(Make("Nobody")));
    auto listener = Listener("a");
    m_manager.AddListener(listener, CEventType("Somebody"));
    m_manager.DelListener(listener, CEventType("Somebody"));
    // The entry stays after its last listener leaves.
    EXPECT_TRUE(m_manager.QueueEvent(Make("Somebody")));
    m_manager.AddListener(Listener("w"), velm::WildcardEventType());
    EXPECT_TRUE(m_manager.QueueEvent(Make("Nobody")));
}

TEST_F(EventManagerTest, TriggerCallsWildcardFirstAndEveryListener) {
    m_manager.AddListener(Listener("first", true), CEventType("Hit"));
    m_manager.AddListener(Listener("second"), CEventType("Hit"));
    m_manager.AddListener(Listener("wild", false), velm::WildcardEventType());
    EXPECT_TRUE(m_manager.Trigger(CEvent("Hit", nullptr)));
    EXPECT_EQ(m_log, (std::vector<std::string>{"wild:Hit", "first:Hit", "second:Hit"}));
    m_log.clear();
    // Wildcard results do not count, and a type without an entry is not delivered further.
    EXPECT_FALSE(m_manager.Trigger(CEvent("Miss", nullptr)));
    EXPECT_EQ(m_log, (std::vector<std::string>{"wild:Miss"}));
}

TEST_F(EventManagerTest, DuplicateListenerIsRefusedAndCalledOnce) {
    auto listener = Listener("a");
    EXPECT_TRUE(m_manager.AddListener(listener, CEventType("Hit")));
    EXPECT_FALSE(m_manager.AddListener(listener, CEventType("Hit")));
    m_manager.Trigger(CEvent("Hit", nullptr));
    EXPECT_EQ(m_log.size(), 1u);
    EXPECT_TRUE(m_manager.DelListenerAll(listener));
    EXPECT_FALSE(m_manager.DelListenerAll(listener));
}

TEST_F(EventManagerTest, EventQueuedDuringTickWaitsForTheNextTick) {
    auto listener = Listener("a");
    listener->m_onEvent = [this](const CEvent& event) {
        if (event.GetEventType().GetName() == "First") {
            m_manager.QueueEvent(Make("Second"));
        }
    };
    m_manager.AddListener(listener, CEventType("First"));
    m_manager.AddListener(listener, CEventType("Second"));
    m_manager.QueueEvent(Make("First"));
    EXPECT_TRUE(m_manager.Tick(-1));
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:First"}));
    EXPECT_TRUE(m_manager.Tick(-1));
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:First", "a:Second"}));
}

TEST_F(EventManagerTest, ZeroBudgetDispatchesOneAndKeepsTheRestInFront) {
    m_manager.AddListener(Listener("a"), CEventType("E"));
    m_manager.AddListener(Listener("a"), CEventType("F"));
    m_manager.QueueEvent(Make("E"));
    m_manager.QueueEvent(Make("F"));
    m_manager.QueueEvent(Make("E"));
    EXPECT_FALSE(m_manager.Tick(0));
    EXPECT_EQ(m_log.size(), 1u);
    m_manager.QueueEvent(Make("F"));
    m_log.clear();
    EXPECT_TRUE(m_manager.Tick(-1));
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:F", "a:E", "a:F"}));
}

TEST_F(EventManagerTest, AbortRemovesOnlyTheGivenOrTheOldestEvent) {
    m_manager.AddListener(Listener("a"), CEventType("E"));
    EventPtr first = Make("E");
    EventPtr second = Make("E");
    EventPtr third = Make("E");
    m_manager.QueueEvent(first);
    m_manager.QueueEvent(second);
    m_manager.QueueEvent(third);
    EXPECT_TRUE(m_manager.AbortEvent(second));
    EXPECT_FALSE(m_manager.AbortEvent(second));
    EXPECT_TRUE(m_manager.AbortEventsOfType(CEventType("E"), false));
    m_manager.Tick(-1);
    EXPECT_EQ(m_log.size(), 1u);
    m_manager.QueueEvent(first);
    m_manager.QueueEvent(third);
    EXPECT_TRUE(m_manager.AbortEventsOfType(CEventType("E"), true));
    EXPECT_FALSE(m_manager.AbortEventsOfType(CEventType("E"), true));
}

TEST_F(EventManagerTest, ListenerRemovingItselfDuringDispatchIsSafe) {
    auto self = Listener("self");
    std::weak_ptr<CRecordingListener> weak = self;
    self->m_onEvent = [this, weak](const CEvent&) { m_manager.DelListenerAll(weak.lock()); };
    m_manager.AddListener(self, CEventType("E"));
    m_manager.AddListener(Listener("other"), CEventType("E"));
    self.reset();
    m_manager.Trigger(CEvent("E", nullptr));
    EXPECT_EQ(m_log, (std::vector<std::string>{"self:E", "other:E"}));
    m_log.clear();
    m_manager.Trigger(CEvent("E", nullptr));
    EXPECT_EQ(m_log, (std::vector<std::string>{"other:E"}));
}

// Outside the application's Init to Shutdown there is no process-wide manager: the free
// functions deliver nothing and say so, and they reach the manager once one is set.
TEST_F(EventManagerTest, FreeFunctionsWithoutTheProcessWideManagerDeliverNothing) {
    velm::SetEventManager(nullptr);
    EXPECT_FALSE(velm::TriggerEvent(CEvent("Hit", nullptr)));
    EXPECT_FALSE(velm::QueueEvent(Make("Hit")));

    m_manager.AddListener(Listener("a"), CEventType("Hit"));
    velm::SetEventManager(&m_manager);
    velm::TriggerEvent(CEvent("Hit", nullptr));
    EXPECT_TRUE(velm::QueueEvent(Make("Hit")));
    m_manager.Tick(-1);
    velm::SetEventManager(nullptr);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:Hit", "a:Hit"}));
}

TEST(TextMessageEventTest, WireFormRoundTrips) {
    velm::CTextMessageEvt event("hello", 7);
    unsigned char bytes[255] = {};
    unsigned char* at = bytes;
    ASSERT_EQ(event.Serialise(at), 11u);
    const unsigned char expected[] = {0, 5, 'h', 'e', 'l', 'l', 'o', 7, 0, 0, 0};
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 11), std::vector<unsigned char>(expected, expected + 11));
    EXPECT_TRUE(event.IsReliable());
    ASSERT_TRUE(velm::CTextMessageEvt::IsWellFormed(bytes, 11));
    velm::CTextMessageEvt back(bytes, 11);
    EXPECT_EQ(back.GetMessage().m_text, "hello");
    EXPECT_EQ(back.GetMessage().m_value, 7u);
    EXPECT_EQ(back.GetEventType().GetName(), "Text_Message_Event");
}

TEST(TextMessageEventTest, LongTextIsCutToWhatTravelsIntact) {
    velm::CTextMessageEvt event(std::string(400, 'x'), 1);
    unsigned char bytes[255] = {};
    unsigned char* at = bytes;
    const std::size_t length = event.Serialise(at);
    EXPECT_EQ(length, velm::CTextMessageEvt::kMaxTextBytes + 6);
    velm::CTextMessageEvt back(bytes, length);
    EXPECT_EQ(back.GetMessage().m_text, std::string(velm::CTextMessageEvt::kMaxTextBytes, 'x'));
}

TEST(TextMessageEventTest, ShortOrLyingMessagesAreNotWellFormed) {
    const unsigned char lying[] = {0, 50, 'a', 'b', 1, 0, 0, 0};
    EXPECT_FALSE(velm::CTextMessageEvt::IsWellFormed(lying, sizeof lying));
    EXPECT_FALSE(velm::CTextMessageEvt::IsWellFormed(lying, 3));
    EXPECT_FALSE(velm::CTextMessageEvt::IsWellFormed(nullptr, 10));
    velm::CTextMessageEvt rebuilt(lying, sizeof lying);
    EXPECT_EQ(rebuilt.GetMessage().m_text, "");
}

} // namespace
