// The lobby: the host's slots and labels, clients joining and leaving, a client's mirror of the
// host's announcements, Start and Back.
#include <gtest/gtest.h>

#include "game/ui/multi_player_menu.h"
#include "screen_fakes.h"

namespace {

using kelvo::MultiPlayerMenu;
using SConnect = tktest::CFakeScreenGame::SConnect;

std::vector<std::uint32_t> Characters(const MultiPlayerMenu& lobby) {
    std::vector<std::uint32_t> characters;
    for (const auto& slot : lobby.GetSlots()) {
        characters.push_back(slot.m_character);
    }
    return characters;
}

std::vector<std::wstring> Labels(const MultiPlayerMenu& lobby) {
    std::vector<std::wstring> labels;
    for (int slot = 1; slot <= MultiPlayerMenu::kSlotCount; ++slot) {
        labels.push_back(lobby.GetSlotLabel(slot));
    }
    return labels;
}

class LobbyTest : public tktest::CScreenTest {};

TEST_F(LobbyTest, TheHostTakesSlotOneAndComputersTheOtherCharactersInOrder) {
    const std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>> cases = {
        {3, {3, 1, 2, 4, 5, 6}}, {6, {6, 1, 2, 3, 4, 5}}, {0, {0, 1, 2, 3, 4, 5}}, {1, {1, 2, 3, 4, 5, 6}}};
    for (const auto& [selected, characters] : cases) {
        m_game.m_selected = selected;
        m_game.m_calls.clear();
        MultiPlayerMenu lobby("MultiplayerMenu.xml", 1);
        EXPECT_EQ(Characters(lobby), characters) << selected;
        EXPECT_EQ(lobby.GetSlots().front().m_connectionId, 1u);
        EXPECT_EQ(Labels(lobby), (std::vector<std::wstring>{L"Player 1", L"Computer", L"Computer", L"Computer",
                                                            L"Computer", L"Computer"}));
        EXPECT_EQ(m_game.m_calls, (std::vector<std::string>{"network on 1", "accepting"}));
        EXPECT_TRUE(lobby.HasSearchingAnimation());
        EXPECT_NE(lobby.GetChild(MultiPlayerMenu::kStartButton), nullptr);
    }
}

TEST_F(LobbyTest, JoiningClientsFillTheFirstComputerSlotsAndARepeatKeepsItsSlot) {
    m_game.m_selected = 2;
    m_game.m_host = true;
    MultiPlayerMenu lobby("MultiplayerMenu.xml", 1);
    lobby.SendRacerConnectEvents(5);
    ASSERT_EQ(m_game.m_connects.size(), 6u);
    EXPECT_EQ(m_game.m_connects[0], SConnect(2, 1, 1, 5));
    EXPECT_EQ(m_game.m_connects[5], SConnect(6, 0, 6, 5));
    m_game.m_connects.clear();

    lobby.OnRacerConnect(4, 5, 0);
    lobby.OnRacerConnect(1, 6, 0);
    // The same client again (a replayed announcement) changes its character in its own slot.
    lobby.OnRacerConnect(6, 5, 0);
    EXPECT_EQ(m_game.m_connects, (std::vector<SConnect>{{4, 5, 2, 0}, {1, 6, 3, 0}, {6, 5, 2, 0}}));
    EXPECT_EQ(Characters(lobby), (std::vector<std::uint32_t>{2, 6, 1, 4, 5, 6}));
    EXPECT_EQ(Labels(lobby), (std::vector<std::wstring>{L"Player 1", L"Player 2", L"Player 3", L"Computer", L"Computer",
                                                        L"Computer"}));
    EXPECT_TRUE(lobby.HasSearchingAnimation());

    // The second client leaves: a computer again, with the character it had.
    lobby.RemovePlayer(6);
    lobby.RemovePlayer(42);
    EXPECT_EQ(lobby.GetSlots()[2].m_connectionId, 0u);
    EXPECT_EQ(lobby.GetSlots()[2].m_character, 1u);
    EXPECT_EQ(lobby.GetSlotLabel(3), L"Computer");

    // Full: the seventh machine gets nothing, and the host stops accepting and searching.
    for (std::uint32_t id = 7; id <= 10; ++id) {
        lobby.OnRacerConnect(3, id, 0);
    }
    m_game.m_calls.clear();
    m_game.m_connects.clear();
    lobby.OnRacerConnect(3, 11, 0);
    EXPECT_TRUE(m_game.m_connects.empty());
    EXPECT_EQ(m_game.m_calls, (std::vector<std::string>{"not accepting"}));
    EXPECT_FALSE(lobby.HasSearchingAnimation());
    lobby.OnLostDevice();
    lobby.OnResetDevice();
}

TEST_F(LobbyTest, StartLinesUpClientsInTheirSlotsAndComputersInTheRest) {
    m_game.m_selected = 5;
    m_game.m_host = true;
    MultiPlayerMenu lobby("MultiplayerMenu.xml", 1);
    lobby.OnRacerConnect(1, 2, 0);
    lobby.OnRacerConnect(3, 3, 0);
    m_game.m_calls.clear();
    kelvo::CButtonPressedStart{lobby}();
    kelvo::CButtonPressedStart{lobby}();
    EXPECT_TRUE(lobby.IsStartPressed());
    EXPECT_EQ(m_game.m_calls, (std::vector<std::string>{"not accepting", "peer list"}));
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {{1, 5}, {2, 1}, {3, 3},
                                                                           {0, 3}, {0, 4}, {0, 6}};
    ASSERT_EQ(m_game.m_lineUp.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(m_game.m_lineUp[i].m_connectionId, expected[i].first) << i;
        EXPECT_EQ(m_game.m_lineUp[i].m_character, expected[i].second) << i;
    }
    kelvo::CButtonPressedMultiBack{lobby}();
    EXPECT_TRUE(lobby.IsBackPressed());
    EXPECT_EQ(m_game.m_calls.back(), "network off");
}

TEST_F(LobbyTest, AClientMirrorsTheHostAndAnnouncesItselfOnce) {
    m_game.m_selected = 4;
    m_game.m_localId = 2;
    MultiPlayerMenu lobby("MultiplayerMenu.xml", 0);
    EXPECT_EQ(m_game.m_calls, (std::vector<std::string>{"network on 0", "accepting"}));
    EXPECT_TRUE(lobby.GetSlots().empty());
    EXPECT_EQ(lobby.GetChild(MultiPlayerMenu::kStartButton), nullptr);
    EXPECT_EQ(Labels(lobby), std::vector<std::wstring>(6, L""));
    lobby.OnRacerConnect(3, 1, 1);
    for (std::uint32_t slot = 2; slot <= 6; ++slot) {
        lobby.OnRacerConnect(slot, 0, slot);
    }
    EXPECT_EQ(m_game.m_connects, (std::vector<SConnect>{{4, 2, 0, 0}}));
    EXPECT_FALSE(lobby.HasSearchingAnimation());
    // The host's answer names this machine in slot 2: the chat speaks as that player.
    lobby.OnRacerConnect(4, 2, 2);
    ::testing::internal::CaptureStderr();
    lobby.OnRacerConnect(4, 9, 7);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("slot 7"), std::string::npos);
    // A client hands out no slots.
    lobby.OnRacerConnect(1, 9, 0);
    EXPECT_EQ(Labels(lobby), (std::vector<std::wstring>{L"Player 1", L"Player 2", L"Computer", L"Computer", L"Computer",
                                                        L"Computer"}));
    EXPECT_EQ(m_game.m_connects.size(), 1u);
    lobby.GetChatBox()->AddMessageW(L"x");
    // Lines typed into the box go out under the slot's name.
    lobby.GetChatBox()->HandleInput({0x2D, 0, 0, 0});
    lobby.GetChatBox()->HandleInput({0x1C, 0, 0, 0});
    EXPECT_EQ(lobby.GetChatBox()->GetMessageLines().front()->GetText(), L"Player 2: x");
}

TEST_F(LobbyTest, AClientTheHostGaveTheNextIdChatsUnderThatId) {
    // Offered id 2 together with another player who connected first, this client was given 3
    // after it had found the host and taken 2 as its chat id.
    m_game.m_localId = 3;
    MultiPlayerMenu lobby("MultiplayerMenu.xml", 0);
    lobby.GetChatBox()->SetSenderValue(2);
    for (std::uint32_t slot = 1; slot <= 6; ++slot) {
        lobby.OnRacerConnect(slot, slot <= 2 ? slot : 0, slot);
    }
    EXPECT_EQ(lobby.GetChatBox()->GetSenderValue(), 2u);
    lobby.OnRacerConnect(5, 3, 3);
    EXPECT_EQ(lobby.GetChatBox()->GetSenderValue(), 3u);
    EXPECT_EQ(lobby.GetSlotLabel(3), L"Player 3");
}

TEST_F(LobbyTest, SetActiveShowsAndHidesEverythingAndInputIsNeverConsumed) {
    m_game.m_host = true;
    MultiPlayerMenu lobby("MultiplayerMenu.xml", 1);
    lobby.SetActive(true);
    lobby.SetActive(false);
    for (const auto& [id, child] : lobby.GetChildren()) {
        EXPECT_FALSE(child->IsVisible()) << id;
    }
    lobby.SetActive(true);
    for (const auto& [id, child] : lobby.GetChildren()) {
        EXPECT_TRUE(child->IsVisible()) << id;
    }
    EXPECT_FALSE(lobby.HandleInput({210, 0, 0, 0}));
    EXPECT_FALSE(lobby.HandleInput({210, 1, 0, 0}));
}

} // namespace
