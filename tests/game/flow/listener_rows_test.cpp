// The game listener's rows on the shipped model data: replicated state applied only from the
// network, the host's relay to the other clients, the hosts' answers to requests, the hit forces,
// the connection rows, the lobby's chat and the answer to a host change.
#include <gtest/gtest.h>

#include <list>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/object_id.h"
#include "engine/events/engine_events.h"
#include "engine/gfx/chat_box.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/text_sprite.h"
#include "engine/phy/rigid_body.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/flow/tumbo_kelvo_listener.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/world/item_hit_effects.h"
#include "game/world/item_model.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/weapon_data.h"
#include "level_fixture.h"
#include "libs/common/quaternion.h"

namespace {

using common::CVector3;

class ListenerRowsTest : public tktest::CShippedGameTest {
protected:
    void TearDown() override {
        m_game->SetPeersForTest(nullptr);
        tktest::CShippedGameTest::TearDown();
    }
    kelvo::CRacerModel* Racer(std::uint32_t controlKind, std::uint32_t owner = 0) {
        const std::uint32_t id = velm::NewObjectID();
        velm::TriggerEvent(
            kelvo::CCreateRacerEvt("MonkeyModelData", id, owner, 1, 0, controlKind, 1, CVector3(0, 0, 0)));
        return dynamic_cast<kelvo::CRacerModel*>(m_game->FindModel(id));
    }
    void Host(const std::list<std::uint32_t>& clients) {
        m_peers = clients;
        m_game->SetPeersForTest(&m_peers);
        m_game->SetNetworkMode(true, 1, nullptr);
    }
    // Delivers the event as the network would, from `sender` (0: not known).
    void FromNetwork(velm::CEvent&& event, std::uint32_t sender = 0) {
        event.SetFromNetwork(true);
        event.SetSender(sender);
        m_listener.HandleEvent(event);
    }
    // The recipients of the relayed copies of that type (the copies are not from the network).
    // With `addressed` only the copies sent to chosen clients (a racer's own state setters also
    // send to every peer).
    std::vector<std::list<std::uint32_t>> Relayed(const std::string& type, bool addressed = false) const {
        std::vector<std::list<std::uint32_t>> out;
        for (const tktest::SDispatched& seen : m_recorder->m_seen) {
            if (seen.m_type == type && !seen.m_fromNetwork && (!addressed || !seen.m_recipients.empty())) {
                out.push_back(seen.m_recipients);
            }
        }
        return out;
    }

    kelvo::TumboKelvoListener m_listener;
    std::list<std::uint32_t> m_peers;
};

TEST_F(ListenerRowsTest, PositionUpdatesApplyOnlyFromTheNetworkAndTheHostRelaysThemToTheOthers) {
    kelvo::CRacerModel* racer = Racer(0, 5);
    const common::CQuaternion turn(0.0f, 0.0f, 0.0f, 1.0f);
    m_listener.HandleEvent(kelvo::CPositionUpdate(CVector3(9, 9, 9), CVector3(), turn, racer->GetID(), 5));
    EXPECT_FLOAT_EQ(racer->GetPosition().x, 0.0f);

    Host({5});
    FromNetwork(kelvo::CPositionUpdate(CVector3(1, 2, 3), CVector3(0, 0, -4), turn, racer->GetID(), 5), 5);
    EXPECT_FLOAT_EQ(racer->GetPosition().z, 3.0f);
    EXPECT_FLOAT_EQ(racer->GetLinearVelocity().z, -4.0f);
    EXPECT_TRUE(Relayed("Position_Update").empty());

    m_peers = {5, 6, 7};
    FromNetwork(kelvo::CPositionUpdate(CVector3(1, 2, 4), CVector3(), turn, racer->GetID(), 5), 5);
    ASSERT_EQ(Relayed("Position_Update").size(), 1u);
    EXPECT_EQ(Relayed("Position_Update")[0], (std::list<std::uint32_t>{6, 7}));
    // An object that does not exist is neither moved nor relayed.
    FromNetwork(kelvo::CPositionUpdate(CVector3(), CVector3(), turn, 987654, 5), 5);
    EXPECT_EQ(Relayed("Position_Update").size(), 1u);
}

TEST_F(ListenerRowsTest, AStateChangeNeverEchoesBackToTheRacerThatSentIt) {
    kelvo::CRacerModel* racer = Racer(0, 6);
    Host({5, 6, 7});
    // Racer-state changes carry no sender: the racer's own connection is left out.
    FromNetwork(kelvo::CChangeRacerStateEvt(true, racer->GetID(), 2.0f, 1.5f));
    EXPECT_TRUE(racer->IsInvincible());
    EXPECT_FLOAT_EQ(racer->GetBoost(), 2.0f);
    EXPECT_FLOAT_EQ(racer->GetSpeedScale(), 1.5f);
    ASSERT_EQ(Relayed("Change_Racer_State", true).size(), 1u);
    EXPECT_EQ(Relayed("Change_Racer_State", true)[0], (std::list<std::uint32_t>{5, 7}));
    // A known sender is the one left out.
    FromNetwork(kelvo::CChangeRacerStateEvt(false, racer->GetID(), 0.0f, 1.0f), 7);
    ASSERT_EQ(Relayed("Change_Racer_State", true).size(), 2u);
    EXPECT_EQ(Relayed("Change_Racer_State", true)[1], (std::list<std::uint32_t>{5, 6}));

    // Chat text goes to everyone but its writer.
    FromNetwork(velm::CTextMessageEvt("hello", 7), 7);
    ASSERT_EQ(Relayed("Text_Message_Event").size(), 1u);
    EXPECT_EQ(Relayed("Text_Message_Event")[0], (std::list<std::uint32_t>{5, 6}));
}

TEST_F(ListenerRowsTest, AnimationsOfOtherRacersChangeAndTheHostAlwaysResendsThem) {
    kelvo::CRacerModel* mine = Racer(1);
    Host({5});
    FromNetwork(kelvo::CAniChangeEvt(12, mine->GetID()), 5);
    EXPECT_EQ(Relayed("Change_Ani_Evt").size(), 1u);
    EXPECT_TRUE(Relayed("Change_Ani_Evt")[0].empty());

    // The effect row is the clients': the server ignores it.
    FromNetwork(kelvo::CChangeRacerFXEvt("Other.fx", "Glow", mine->GetID()), 5);
    EXPECT_NE(mine->GetGfxUnit()->GetEffectFileName(), "Other.fx");
    m_game->SetNetworkMode(false, 0, nullptr);
    m_game->SetNetworkMode(true, 0, nullptr);
    FromNetwork(kelvo::CChangeRacerFXEvt("Other.fx", "Glow", mine->GetID()), 5);
    EXPECT_EQ(mine->GetGfxUnit()->GetEffectFileName(), "Other.fx");
    EXPECT_EQ(mine->GetGfxUnit()->GetTechniqueName(), "Glow");
}

TEST_F(ListenerRowsTest, TheHostAnswersRacerAndItemRequests) {
    const auto request = [&](std::uint32_t character, std::uint32_t client) {
        auto data = std::make_shared<kelvo::CRequestHumanRacerIDData>();
        data->m_character = character;
        data->m_clientId = client;
        m_listener.HandleEvent(velm::CEvent("Request_Human_Controller", data));
    };
    const std::size_t before = m_game->GetModels().size();
    request(7, 9);
    EXPECT_EQ(m_game->GetModels().size(), before);
    request(3, 9);
    ASSERT_EQ(m_game->GetRacerIds().size(), 1u);
    auto* racer = dynamic_cast<kelvo::CRacerModel*>(m_game->FindModel(m_game->GetRacerIds()[0]));
    ASSERT_NE(racer, nullptr);
    EXPECT_EQ(racer->GetObjectType(), 3u);
    EXPECT_EQ(racer->GetConnectionId(), 9u);
    EXPECT_EQ(racer->GetController(), nullptr);
    EXPECT_FLOAT_EQ(racer->GetPosition().z, 66.0f);

    m_listener.HandleEvent(kelvo::CRequestItemEvent(9, racer->GetID()));
    kelvo::CItemModel* item = nullptr;
    for (const auto& entry : m_game->GetModels()) {
        auto* made = dynamic_cast<kelvo::CItemModel*>(entry.second);
        item = item == nullptr && made != nullptr && made->GetOwnerId() == racer->GetID() ? made : item;
    }
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetObjectType(), 9u);
    EXPECT_FALSE(item->GetStateMachine()->GetCurrentState().empty());
}

TEST_F(ListenerRowsTest, HitForcesActOnlyOnRacersDrivenHere) {
    kelvo::CRacerModel* remote = Racer(0, 5);
    kelvo::CRacerModel* ai = Racer(2);
    kelvo::CRacerModel* human = Racer(1);
    m_listener.HandleEvent(kelvo::CSharkForceEvt(remote->GetID(), ai->GetID()));
    EXPECT_FALSE(remote->HasHitEffect());
    m_listener.HandleEvent(kelvo::CSharkForceEvt(ai->GetID(), human->GetID()));
    ASSERT_TRUE(ai->HasHitEffect());
    const auto* shark = dynamic_cast<kelvo::HitBySharkFunc*>(ai->GetHitEffect());
    ASSERT_NE(shark, nullptr);
    // Away from any water the pull is down and back.
    const float mass = ai->GetBody()->GetMass();
    EXPECT_NEAR(shark->GetForce().y, -8.0f * mass / std::sqrt(2.0f), 1e-3f * mass);
    EXPECT_NEAR(shark->GetForce().z, 8.0f * mass / std::sqrt(2.0f), 1e-3f * mass);

    // A coat turned the hit back on the human: the hit overlay shows.
    const int overlays = m_game->GetHUD()->GetHitOverlayCount();
    m_listener.HandleEvent(kelvo::CSharkForceEvt(human->GetID(), human->GetID()));
    EXPECT_EQ(m_game->GetHUD()->GetHitOverlayCount(), overlays + 1);

    kelvo::data::Pole().m_hForce = 3.0f;
    kelvo::data::Pole().m_vForce = 2.0f;
    kelvo::CRacerModel* hooked = Racer(2);
    m_listener.HandleEvent(kelvo::CPoleForceEvt(hooked->GetID(), ai->GetID()));
    const auto* pole = dynamic_cast<kelvo::HitByPoleFunc*>(hooked->GetHitEffect());
    ASSERT_NE(pole, nullptr);
    EXPECT_FLOAT_EQ(pole->GetForce().y, hooked->GetBody()->GetMass() * 2.0f);
    m_listener.HandleEvent(kelvo::CPoleForceEvt(hooked->GetID(), 987654));
    kelvo::data::Pole().m_hForce = 0.0f;
    kelvo::data::Pole().m_vForce = 0.0f;

    m_listener.HandleEvent(kelvo::CIconSpinEvt(ai->GetID()));
    EXPECT_EQ(m_game->GetHUD()->GetIconSpin(ai->GetID()).m_count, 4u);
}

TEST_F(ListenerRowsTest, ConnectionRowsHandComputerControlToRacersWithoutAPlayer) {
    kelvo::CRacerModel* human = Racer(1);
    kelvo::CRacerModel* idle = Racer(0);
    kelvo::CRacerModel* joined = Racer(0, 8);
    // The joined player is still a peer of this machine.
    m_peers = {8};
    m_game->SetPeersForTest(&m_peers);
    m_game->SetNetworkMode(true, 0, nullptr);
    m_listener.HandleEvent(velm::CStartedConnectionEvt(0));
    EXPECT_TRUE(m_game->IsAuthoritative());
    EXPECT_NE(dynamic_cast<kelvo::CHumanRacerContr*>(human->GetController()), nullptr);
    EXPECT_EQ(human->GetControlKind(), kelvo::CONTROL_LOCAL_PLAYER);
    EXPECT_NE(dynamic_cast<kelvo::CAIRacerContr*>(idle->GetController()), nullptr);
    EXPECT_EQ(m_game->GetControllers().at(idle->GetID()), idle->GetController());
    EXPECT_EQ(joined->GetController(), nullptr);

    // A player lost mid-race leaves its racer to the computer; an unknown one changes nothing.
    m_game->SetRaceInProgress(true);
    m_listener.HandleEvent(velm::CLostConnectionEvt(99));
    EXPECT_EQ(joined->GetController(), nullptr);
    m_listener.HandleEvent(velm::CLostConnectionEvt(8));
    EXPECT_NE(dynamic_cast<kelvo::CAIRacerContr*>(joined->GetController()), nullptr);
    EXPECT_EQ(joined->GetConnectionId(), 0u);
    EXPECT_EQ(joined->GetControlKind(), kelvo::CONTROL_LOCAL_OTHER);
    m_game->SetRaceInProgress(false);
}

TEST_F(ListenerRowsTest, ItemFlagsResultsAndSurfacesFollowTheirRows) {
    const std::uint32_t id = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateItemFromKeyEvt("BaitModelData", id, 0, 0, 9, 0, 1));
    m_listener.HandleEvent(kelvo::CItemShouldDetachEvt(id));
    EXPECT_TRUE(dynamic_cast<kelvo::CItemModel*>(m_game->FindModel(id))->ShouldDetach());

    const std::uint32_t first = Racer(2)->GetID();
    const std::uint32_t second = Racer(2)->GetID();
    m_listener.HandleEvent(kelvo::CRacerFinishedRaceEvt(first));
    EXPECT_TRUE(m_game->GetEndRaceGUI()->HasResultRow(first));
    Host({5});
    m_listener.HandleEvent(kelvo::CRacerFinishedRaceEvt(second));
    EXPECT_FALSE(m_game->GetEndRaceGUI()->HasResultRow(second));

    // A record without water or terrain builds nothing and says so.
    testing::internal::CaptureStderr();
    m_listener.HandleEvent(kelvo::CMakeWaterEvt("BoxModelData", velm::NewObjectID(), 0, 20));
    m_listener.HandleEvent(kelvo::CMakeTerrainEvt("BoxModelData", velm::NewObjectID(), 0, 21));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Make_Water: model data \"BoxModelData\" holds no water"), std::string::npos) << log;
    EXPECT_NE(log.find("Make_Terrain: model data \"BoxModelData\" holds no terrain"), std::string::npos) << log;
}

TEST_F(ListenerRowsTest, PeersChatShowsInTheLobbyOutsideARaceAndTheHostPassesItOn) {
    m_game->CreateMultiPlayerMenu(1);
    m_peers = {5, 6, 7};
    m_game->SetPeersForTest(&m_peers);
    const velm::gfx::CChatBox& chat = *m_game->GetMultiPlayerMenu()->GetChatBox();
    const auto lines = [&] {
        std::vector<std::wstring> texts;
        for (const velm::gfx::CTextSprite* line : chat.GetMessageLines()) {
            texts.push_back(line->GetText());
        }
        return texts;
    };
    FromNetwork(velm::CTextMessageEvt("Player 2: hello", 7), 7);
    EXPECT_EQ(lines(), std::vector<std::wstring>{L"Player 2: hello"});
    ASSERT_EQ(Relayed("Text_Message_Event").size(), 1u);
    EXPECT_EQ(Relayed("Text_Message_Event")[0], (std::list<std::uint32_t>{5, 6}));
    // This machine's own lines are the chat box's to show.
    m_listener.HandleEvent(velm::CTextMessageEvt("Player 1: mine", 1));
    EXPECT_EQ(lines().size(), 1u);
    // In a race the lobby shows nothing new, but the others still hear it.
    m_game->SetRaceInProgress(true);
    FromNetwork(velm::CTextMessageEvt("Player 3: late", 6), 6);
    EXPECT_EQ(lines().size(), 1u);
    EXPECT_EQ(Relayed("Text_Message_Event").size(), 2u);
    m_game->SetRaceInProgress(false);
    // A client shows what its host passes on and sends nothing back.
    m_game->SetNetworkMode(false, 0, nullptr);
    m_game->SetNetworkMode(true, 0, nullptr);
    FromNetwork(velm::CTextMessageEvt("Player 4: hi all", 6), 1);
    EXPECT_EQ(lines(), (std::vector<std::wstring>{L"Player 4: hi all", L"Player 2: hello"}));
    EXPECT_EQ(Relayed("Text_Message_Event").size(), 2u);
    // Bytes of any value show as they can, up to a NUL; nothing at all shows no line.
    FromNetwork(velm::CTextMessageEvt(std::string("\xff\xfe\x01 odd\0hidden", 15), 6), 1);
    FromNetwork(velm::CTextMessageEvt("", 6), 1);
    ASSERT_EQ(lines().size(), 3u);
    EXPECT_NE(lines().front().find(L" odd"), std::wstring::npos);
    EXPECT_EQ(lines().front().find(L"hidden"), std::wstring::npos);
}

TEST_F(ListenerRowsTest, AHostChangeRaisedOnTheNetworkThreadIsAnsweredOnTheMainThread) {
    m_game->CreateMultiPlayerMenu(0);
    velm::gfx::CChatBox& chat = *m_game->GetMultiPlayerMenu()->GetChatBox();
    chat.SetSenderValue(99);
    const std::shared_ptr<kelvo::TumboKelvoListener> listener = m_game->GetEventListener();
    std::thread network([&] { listener->HandleEvent(velm::CChangeToServerEvt()); });
    network.join();
    EXPECT_EQ(chat.GetSenderValue(), 99u) << "nothing of the lobby is touched off the main thread";
    EXPECT_EQ(Dispatched("Change_NextObjID"), 0u);
    m_events.Tick(-1);
    // Not yet the server: the chat sends under this machine's id (none without a socket), and
    // the ids this machine hands out move past those seen.
    EXPECT_EQ(chat.GetSenderValue(), 0u);
    EXPECT_EQ(Dispatched("Change_NextObjID"), 1u);

    // Already the server: every peer hears the lobby's six slots.
    m_game->RemoveMultiPlayerMenu();
    m_game->GetScreens().Update(0);
    m_game->InitNetwork(0, 0, nullptr);
    m_game->CreateMultiPlayerMenu(1);
    listener->HandleEvent(velm::CChangeToServerEvt());
    m_events.Tick(-1);
    std::size_t slots = 0;
    for (const tktest::SDispatched& seen : m_recorder->m_seen) {
        if (seen.m_type == "RacerConnectEvt") {
            ++slots;
            EXPECT_TRUE(seen.m_recipients.empty());
        }
    }
    EXPECT_EQ(slots, 6u);
    EXPECT_EQ(Dispatched("Change_NextObjID"), 1u);
}

} // namespace
