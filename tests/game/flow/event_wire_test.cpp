#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/engine_events.h"
#include "game/content/content_fixtures.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/flow/event_socket.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Little helpers to write expected wire forms by hand.
struct CBytes {
    CBytes& U8(unsigned v) {
        m_bytes.push_back(static_cast<unsigned char>(v));
        return *this;
    }
    CBytes& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
        return *this;
    }
    CBytes& F32(float f) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, 4);
        return U32(bits);
    }
    CBytes& Str(const std::string& s) {
        U8(static_cast<unsigned>(s.size()));
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
        return *this;
    }
    Bytes m_bytes;
};

Bytes Serialise(const velm::CEvent& event) {
    unsigned char buffer[255] = {};
    unsigned char* cursor = buffer;
    const std::size_t length = event.Serialise(cursor);
    return Bytes(buffer, buffer + length);
}

class EventWireTest : public ::testing::Test {
protected:
    EventWireTest() {
        m_env.AddModel("MonkeyModelData", tktest::GraphicSection());
        m_env.AddModel("LightModelData", "<LightData>\n<entry>yes</entry>\n</LightData>\n");
        m_env.AddModel("BaitModelData", tktest::GraphicSection());
        m_env.AddModel("splash1_system", tktest::GraphicSection());
    }
    tktest::CFlowEnvironment m_env;
};

struct SWireCase {
    const char* m_name;
    std::function<std::unique_ptr<velm::CEvent>()> m_make;
    Bytes m_expected;
    bool m_reliable;
};

std::vector<SWireCase> WireCases() {
    const common::CVector3 pos(1.5f, -2.0f, 3.0f);
    const common::CVector3 axis(0.0f, 1.0f, 0.0f);
    const common::CVector3 scale(2.0f, 2.0f, 2.0f);
    using E = std::unique_ptr<velm::CEvent>;
    return {
        {"Create_Racer_Event", [=] { return E(new kelvo::CCreateRacerEvt("MonkeyModelData", 40, 3, 1, 1, 2, 1, pos)); },
         CBytes().U8(1).Str("MonkeyModelData").U32(40).U32(3).U8(1).U8(0).U32(1).F32(1.5f).F32(-2.0f).F32(3.0f).m_bytes,
         true},
        {"Load_Level", [] { return E(new kelvo::CLoadLevelEvt("race_track2.xml")); },
         CBytes().U8(5).Str("race_track2.xml").m_bytes, true},
        {"Create_Light", [] { return E(new kelvo::CCreateLight("LightModelData", 9, 0, 1, 19)); },
         CBytes().U8(6).Str("LightModelData").U32(9).U8(0).U8(1).U32(19).m_bytes, true},
        {"Position_Update",
         [=] { return E(new kelvo::CPositionUpdate(pos, axis, common::CQuaternion(0.0f, 0.0f, 0.0f, 1.0f), 12, 4)); },
         CBytes()
             .U8(7)
             .F32(1.5f)
             .F32(-2.0f)
             .F32(3.0f)
             .F32(0.0f)
             .F32(1.0f)
             .F32(0.0f)
             .F32(0.0f)
             .F32(0.0f)
             .F32(0.0f)
             .F32(1.0f)
             .U32(12)
             .U32(4)
             .m_bytes,
         false},
        {"Change_Ani_Evt", [] { return E(new kelvo::CAniChangeEvt(5, 77)); }, CBytes().U8(9).U32(5).U32(77).m_bytes,
         false},
        {"Create_Item", [] { return E(new kelvo::CCreateItemFromKeyEvt("BaitModelData", 50, 0, 0, 9, 40, 1)); },
         CBytes().U8(11).Str("BaitModelData").U32(50).U8(0).U8(0).U32(9).U32(40).m_bytes, true},
        {"Request_Item_Evt", [] { return E(new kelvo::CRequestItemEvent(0u, 40u)); },
         CBytes().U8(12).U32(0).U32(40).m_bytes, true},
        {"Destroy_Item_Event", [] { return E(new kelvo::CDestroyItemEvt(0x01020304)); },
         CBytes().U8(13).U32(0x01020304).m_bytes, true},
        {"Create_PartSys_Event",
         [=] { return E(new kelvo::CCreateParticleSysFromKeyEvt("splash1_system", 60, 1, pos, &axis, 45.0f, &scale)); },
         CBytes()
             .U8(14)
             .Str("splash1_system")
             .U32(60)
             .U8(1)
             .F32(1.5f)
             .F32(-2.0f)
             .F32(3.0f)
             .F32(0.0f)
             .F32(1.0f)
             .F32(0.0f)
             .F32(45.0f)
             .F32(2.0f)
             .F32(2.0f)
             .F32(2.0f)
             .m_bytes,
         true},
        {"RacerConnectEvt", [] { return E(new kelvo::CRacerConnectEvt(40, 2, 5)); },
         CBytes().U8(15).U32(40).U32(2).U32(5).m_bytes, true},
        {"Start_Race_Evt", [] { return E(new kelvo::CStartTrack1Evt()); }, CBytes().U8(16).m_bytes, true},
        {"Attach_Detach_Model_Eventt",
         [] { return E(new kelvo::CAttachDetachItemFromRacerEvt(true, 61, 40, 1, "Bip01_Head")); },
         CBytes().U8(17).U8(1).U8(1).U32(40).U32(61).Str("Bip01_Head").m_bytes, true},
        {"Item_Should_Detach_Event", [] { return E(new kelvo::CItemShouldDetachEvt(61)); },
         CBytes().U8(18).U32(61).m_bytes, true},
        {"Ready_To_Start_Race", [] { return E(new kelvo::CReadyToStartRaceEvt(2)); }, CBytes().U8(19).U32(2).m_bytes,
         true},
        {"Begin_Count_Down_Evt", [] { return E(new kelvo::CBeginCountDownEvt()); }, CBytes().U8(20).m_bytes, true},
        {"Player_Finished_Race", [] { return E(new kelvo::CRacerFinishedRaceEvt(40)); },
         CBytes().U8(21).U32(40).m_bytes, true},
        {"Change_FX_File", [] { return E(new kelvo::CChangeRacerFXEvt("Glow.fx", "Shine", 40)); },
         CBytes().U8(22).Str("Glow.fx").Str("Shine").U32(40).m_bytes, true},
        {"Change_Racer_State", [] { return E(new kelvo::CChangeRacerStateEvt(true, 40, 2.5f, 0.5f)); },
         CBytes().U8(23).U8(1).U32(40).F32(2.5f).F32(0.5f).m_bytes, true},
        {"Change_NextObjID", [] { return E(new kelvo::CChangeNextObjIDEvt(1000)); }, CBytes().U8(24).U32(1000).m_bytes,
         true},
        {"Shark_Force_Event", [] { return E(new kelvo::CSharkForceEvt(41, 40)); },
         CBytes().U8(25).U32(41).U32(40).m_bytes, true},
        {"Pole_Force_Event", [] { return E(new kelvo::CPoleForceEvt(40, 40)); },
         CBytes().U8(26).U32(40).U32(40).m_bytes, true},
        {"Icon_Spin_Event", [] { return E(new kelvo::CIconSpinEvt(40)); }, CBytes().U8(27).U32(40).m_bytes, true},
    };
}

TEST_F(EventWireTest, EveryReplicatedEventHasItsExactWireFormAndComesBackTheSame) {
    for (const SWireCase& c : WireCases()) {
        SCOPED_TRACE(c.m_name);
        const auto event = c.m_make();
        EXPECT_EQ(event->GetEventType().GetName(), c.m_name);
        EXPECT_EQ(event->IsReliable(), c.m_reliable);
        EXPECT_EQ(Serialise(*event), c.m_expected);

        const velm::EventPtr received =
            kelvo::CTumboKelvoEventSocket::BuildEvent(c.m_expected.data(), c.m_expected.size());
        ASSERT_NE(received, nullptr);
        EXPECT_EQ(received->GetEventType().GetName(), c.m_name);
        EXPECT_FALSE(received->IsReliable());
        EXPECT_EQ(Serialise(*received), c.m_expected);
    }
}

TEST_F(EventWireTest, TruncatedOverlongAndCorruptedPayloadsAreDropped) {
    for (const SWireCase& c : WireCases()) {
        SCOPED_TRACE(c.m_name);
        const Bytes& wire = c.m_expected;
        // Each prefix sits in a buffer of its own size, so a read past it is a sanitizer error.
        for (std::size_t length = 1; length < wire.size(); ++length) {
            const auto prefix = std::make_unique<unsigned char[]>(length);
            std::memcpy(prefix.get(), wire.data(), length);
            EXPECT_EQ(kelvo::CTumboKelvoEventSocket::BuildEvent(prefix.get(), length), nullptr) << length;
        }
        Bytes longer = wire;
        longer.push_back(0);
        EXPECT_EQ(kelvo::CTumboKelvoEventSocket::BuildEvent(longer.data(), longer.size()), nullptr);
    }
}

TEST_F(EventWireTest, LengthBytesThatDisagreeWithThePayloadAreDropped) {
    struct SCorruption {
        const char* m_what;
        Bytes m_bytes;
    };
    const SCorruption cases[] = {
        {"racer key longer than the message", CBytes().U8(1).U8(60).Str("MonkeyModelData").U32(1).m_bytes},
        {"level name with a negative length", CBytes().U8(5).U8(0x80).m_bytes},
        {"level name of 200 bytes",
         [] {
             Bytes b = CBytes().U8(5).U8(200).m_bytes;
             b.resize(202, 'a');
             return b;
         }()},
        {"attach point past the end", CBytes().U8(17).U8(1).U8(0).U32(1).U32(2).U8(5).U8('a').m_bytes},
        {"technique length past the end", CBytes().U8(22).Str("a.fx").U8(9).U8('t').U32(3).m_bytes},
        {"light key short by one byte",
         [] {
             Bytes b = CBytes().U8(6).Str("LightModelData").U32(9).U8(0).U8(1).U32(19).m_bytes;
             b[1] = 15;
             return b;
         }()},
        {"text message with a trailing byte",
         [] {
             Bytes b = CBytes().U8(0).Str("hi").U32(7).m_bytes;
             b.push_back(1);
             return b;
         }()},
    };
    for (const SCorruption& c : cases) {
        SCOPED_TRACE(c.m_what);
        EXPECT_EQ(kelvo::CTumboKelvoEventSocket::BuildEvent(c.m_bytes.data(), c.m_bytes.size()), nullptr);
    }
}

TEST_F(EventWireTest, WireFormsThatWouldNotFitAMessageAreRefused) {
    const std::string name127(127, 'a');
    const std::string name128(128, 'a');
    // 1 + (1 + L) + (1 + M) + 4 bytes: two names that each fit, but not together.
    EXPECT_EQ(Serialise(kelvo::CChangeRacerFXEvt(name127, name127, 1)).size(), 0u);
    EXPECT_EQ(Serialise(kelvo::CChangeRacerFXEvt(name127, std::string(118, 'b'), 1)).size(), 252u);
    EXPECT_EQ(Serialise(kelvo::CChangeRacerFXEvt(name127, std::string(119, 'b'), 1)).size(), 253u);
    EXPECT_EQ(Serialise(kelvo::CChangeRacerFXEvt(name127, std::string(120, 'b'), 1)).size(), 0u);
    EXPECT_EQ(Serialise(kelvo::CLoadLevelEvt(name128)).size(), 0u);
    EXPECT_EQ(Serialise(kelvo::CLoadLevelEvt(name127)).size(), 129u);
    EXPECT_EQ(Serialise(kelvo::CAttachDetachItemFromRacerEvt(true, 1, 2, 0, name128)).size(), 0u);
}

TEST_F(EventWireTest, ReceivingRulesDifferFromAPlainCopyWhereTheFormatSaysSo) {
    // A racer from the network starts without a local controller and takes part in the race.
    Bytes racer = CBytes().U8(1).Str("MonkeyModelData").U32(40).U32(3).U8(0).U8(2).U32(1).F32(0).F32(0).F32(0).m_bytes;
    kelvo::CCreateRacerEvt withAi(racer.data(), racer.size());
    ASSERT_TRUE(withAi.IsIntact());
    EXPECT_EQ(withAi.GetRecord().m_modelData.m_controlKind, 2u);
    EXPECT_EQ(withAi.GetRecord().m_participant, 1u);
    EXPECT_EQ(withAi.GetRecord().m_modelData.m_graphic->m_rotationAngle, 90.0f);
    racer[26] = 7;
    EXPECT_EQ(kelvo::CCreateRacerEvt(racer.data(), racer.size()).GetRecord().m_modelData.m_controlKind, 0u);

    const Bytes light = CBytes().U8(6).Str("LightModelData").U32(9).U8(0).U8(0).U32(19).m_bytes;
    EXPECT_EQ(kelvo::CCreateLight(light.data(), light.size()).GetRecord().m_modelData.m_controlKind, 1u);

    const Bytes item = CBytes().U8(11).Str("BaitModelData").U32(50).U8(0).U8(0).U32(9).U32(40).m_bytes;
    kelvo::CCreateItemFromKeyEvt fired(item.data(), item.size());
    EXPECT_EQ(fired.GetRecord().m_live, 1u);
    EXPECT_EQ(fired.GetRecord().m_modelData.m_ownerId, 40u);

    const Bytes request = CBytes().U8(3).U8(9).U8(4).m_bytes;
    kelvo::CRequestHumanRacerID asked(request.data(), request.size());
    ASSERT_TRUE(asked.IsIntact());
    EXPECT_EQ(asked.GetPayload().m_character, 1u);
    EXPECT_EQ(asked.GetPayload().m_clientId, 4u);

    const Bytes state = CBytes().U8(23).U8(2).U32(40).F32(1).F32(1).m_bytes;
    EXPECT_TRUE(kelvo::CChangeRacerStateEvt(state.data(), state.size()).GetPayload().m_invincible);
    const Bytes attach = CBytes().U8(17).U8(2).U8(1).U32(40).U32(61).Str("").m_bytes;
    EXPECT_FALSE(kelvo::CAttachDetachItemFromRacerEvt(attach.data(), attach.size()).GetPayload().m_attach);

    const Bytes accepted = CBytes().U8(4).U32(41).m_bytes;
    EXPECT_EQ(kelvo::CAcceptedHumanRacerID(accepted.data(), accepted.size()).GetPayload().m_racerId, 41u);
}

TEST_F(EventWireTest, CreationRecordsCopyTheirModelAndOverwriteOnlyTheGivenTransform) {
    const common::CVector3 pos(5, 6, 7);
    const common::CVector3 scale(3, 3, 3);
    kelvo::CCreateRacerEvt racer("MonkeyModelData", 40, 3, 1, 0, 1, 1, pos, nullptr, 10.0f, &scale);
    const kelvo::SModelData& record = racer.GetRecord().m_modelData;
    ASSERT_TRUE(racer.GetRecord().m_knownModel);
    EXPECT_EQ(record.m_graphic->m_position, pos);
    EXPECT_EQ(record.m_graphic->m_rotationAngle, 90.0f);
    EXPECT_EQ(record.m_graphic->m_scale, scale);
    EXPECT_EQ(record.m_graphic->m_meshFileName, "m.x");
    EXPECT_EQ(record.m_objectId, 40u);

    // The environment form with a transform writes the angle even without an axis.
    kelvo::CCreateEnvObjEvt env("MonkeyModelData", 41, 1, 0, 22, &pos, nullptr, 30.0f, nullptr, 0);
    EXPECT_EQ(env.GetRecord().m_modelData.m_graphic->m_rotationAngle, 30.0f);
    EXPECT_EQ(env.GetRecord().m_modelData.m_graphic->m_rotationAxis, common::CVector3(0, 1, 0));

    // An unknown key leaves the record empty: nothing to write the transform into.
    kelvo::CCreateRacerEvt unknown("NoSuchModelData", 42, 3, 1, 0, 1, 1, pos);
    EXPECT_FALSE(unknown.GetRecord().m_knownModel);
    EXPECT_EQ(unknown.GetRecord().m_modelData.m_graphic, nullptr);
    EXPECT_EQ(unknown.GetRecord().m_modelData.m_key, "NoSuchModelData");
}

TEST_F(EventWireTest, LocalOnlyEventsNeverTravel) {
    const std::unique_ptr<velm::CEvent> events[] = {
        std::make_unique<kelvo::CCreateEnvObjEvt>("MonkeyModelData", 1, 1, 0, 22, nullptr, 0),
        std::make_unique<kelvo::CCreateTriggerObjEvt>("MonkeyModelData", 1, 0, 31),
        std::make_unique<kelvo::CMakeWaterEvt>("MonkeyModelData", 1, 0, 20),
        std::make_unique<kelvo::CMakeTerrainEvt>("MonkeyModelData", 1, 0, 21),
        std::make_unique<kelvo::CCreateItemEvt>(40, 0),
        std::make_unique<kelvo::CFireItemEvt>(40),
        std::make_unique<kelvo::CStopItemSpinEvt>(40),
    };
    for (const auto& event : events) {
        EXPECT_EQ(Serialise(*event).size(), 0u) << event->GetEventType().GetName();
    }
}

} // namespace
