#include "game/flow/event_socket.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/content/content_fixtures.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"

namespace {

class EventSocketTest : public ::testing::Test {
protected:
    // Hands the bytes to the socket and returns what the next tick delivers.
    std::vector<tktest::SSeenEvent> Receive(std::vector<unsigned char> bytes, std::uint32_t sender = 3) {
        m_env.Seen().clear();
        m_socket.OnPacket(bytes.data(), static_cast<std::uint8_t>(bytes.size()), sender);
        m_env.m_events.Tick(-1);
        return m_env.Seen();
    }
    tktest::CFlowEnvironment m_env;
    kelvo::CTumboKelvoEventSocket m_socket;
};

TEST_F(EventSocketTest, ReceivedEventsAreQueuedMarkedFromTheNetwork) {
    const auto seen = Receive({16});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].m_type, "Start_Race_Evt");
    EXPECT_TRUE(seen[0].m_fromNetwork);

    const auto text = Receive({0, 2, 'h', 'i', 7, 0, 0, 0});
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].m_type, "Text_Message_Event");
}

// The game holds what an event claims against who sent it.
TEST_F(EventSocketTest, EveryEventCarriesItsSender) {
    std::vector<unsigned char> update(49, 0);
    update[0] = 7;
    for (const auto& bytes : {update, std::vector<unsigned char>{27, 1, 0, 0, 0}, std::vector<unsigned char>{16}}) {
        const auto seen = Receive(bytes, 3);
        ASSERT_EQ(seen.size(), 1u) << int(bytes[0]);
        EXPECT_EQ(seen[0].m_sender, 3u) << seen[0].m_type;
    }
}

TEST_F(EventSocketTest, IdsWithoutAnEventAndMalformedPayloadsQueueNothing) {
    for (unsigned char id : {8, 2, 10, 28, 255}) {
        EXPECT_TRUE(Receive({id, 0, 0, 0, 0}).empty()) << int(id);
    }
    EXPECT_TRUE(Receive({16, 0}).empty());
    EXPECT_TRUE(Receive({13, 1, 2}).empty());
    EXPECT_FALSE(m_socket.OnPacket(nullptr, 0, 1));
}

TEST_F(EventSocketTest, CreationRecordsOfUnknownModelsAreDropped) {
    m_env.AddModel("LightModelData", "<LightData>\n<entry>yes</entry>\n</LightData>\n");
    const std::string wire = std::string("\x06\x0e") + "LightModelData" + std::string("\x09\0\0\0\0\x01\x13\0\0\0", 10);
    std::vector<unsigned char> light(wire.begin(), wire.end());
    const auto known = Receive(light);
    ASSERT_EQ(known.size(), 1u);
    const auto* record = static_cast<kelvo::CCreateLightData*>(known[0].m_data.get());
    ASSERT_NE(record->m_modelData.m_light, nullptr);

    light[2] = 'N'; // "NightModelData" is not loaded here
    EXPECT_TRUE(Receive(light).empty());
}

} // namespace
