#include "game/flow/event_socket.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"

namespace kelvo {

namespace {

// A peer that floods bad messages must not flood the log as well: the first drops are logged,
// then one in every thousand.
bool ShouldLogDrop() {
    static std::atomic<std::uint64_t> s_drops{0};
    const std::uint64_t count = ++s_drops;
    return count <= 16 || count % 1000 == 0;
}

template <typename Event>
velm::EventPtr Rebuild(const unsigned char* payload, std::size_t length) {
    auto event = std::make_shared<Event>(payload, length);
    return event->IsIntact() ? event : nullptr;
}

// A creation record is only worth queueing when this machine holds the model it names; the empty
// key of a family's members without a model (`modelless`) names none and is kept.
template <typename Event, bool modelless = false>
velm::EventPtr RebuildCreation(const unsigned char* payload, std::size_t length) {
    auto event = std::make_shared<Event>(payload, length);
    if (!event->IsIntact()) {
        return nullptr;
    }
    if (!event->GetRecord().m_knownModel && !(modelless && event->GetRecord().m_modelData.m_key.empty())) {
        if (ShouldLogDrop()) {
            std::fprintf(stderr, "Event socket: %s names the unknown model data \"%s\"; dropped\n",
                         event->GetEventType().GetName().c_str(), event->GetRecord().m_modelData.m_key.c_str());
        }
        return nullptr;
    }
    return event;
}

velm::EventPtr RebuildText(const unsigned char* payload, std::size_t length) {
    // Its layout is exact: text length, text, value, nothing after.
    if (!velm::CTextMessageEvt::IsWellFormed(payload, length) || length != static_cast<std::size_t>(payload[1]) + 6) {
        return nullptr;
    }
    return std::make_shared<velm::CTextMessageEvt>(payload, length);
}

} // namespace

velm::EventPtr CTumboKelvoEventSocket::BuildEvent(const unsigned char* payload, std::size_t length) {
    if (payload == nullptr || length == 0) {
        return nullptr;
    }
    switch (payload[0]) {
        case MSG_TEXT_MESSAGE:
            return RebuildText(payload, length);
        case MSG_CREATE_RACER:
            return RebuildCreation<CCreateRacerEvt>(payload, length);
        case MSG_REQUEST_HUMAN_CONTROLLER:
            return Rebuild<CRequestHumanRacerID>(payload, length);
        case MSG_ACCEPTED_HUMAN_CONTROLLER:
            return Rebuild<CAcceptedHumanRacerID>(payload, length);
        case MSG_LOAD_LEVEL:
            return Rebuild<CLoadLevelEvt>(payload, length);
        case MSG_CREATE_LIGHT:
            return RebuildCreation<CCreateLight>(payload, length);
        case MSG_POSITION_UPDATE:
            return Rebuild<CPositionUpdate>(payload, length);
        case MSG_CHANGE_ANI:
            return Rebuild<CAniChangeEvt>(payload, length);
        case MSG_CREATE_ITEM:
            return RebuildCreation<CCreateItemFromKeyEvt, true>(payload, length);
        case MSG_REQUEST_ITEM:
            return Rebuild<CRequestItemEvent>(payload, length);
        case MSG_DESTROY_ITEM:
            return Rebuild<CDestroyItemEvt>(payload, length);
        case MSG_CREATE_PARTSYS:
            return RebuildCreation<CCreateParticleSysFromKeyEvt>(payload, length);
        case MSG_RACER_CONNECT:
            return Rebuild<CRacerConnectEvt>(payload, length);
        case MSG_START_RACE:
            return Rebuild<CStartTrack1Evt>(payload, length);
        case MSG_ATTACH_DETACH:
            return Rebuild<CAttachDetachItemFromRacerEvt>(payload, length);
        case MSG_ITEM_SHOULD_DETACH:
            return Rebuild<CItemShouldDetachEvt>(payload, length);
        case MSG_READY_TO_START_RACE:
            return Rebuild<CReadyToStartRaceEvt>(payload, length);
        case MSG_BEGIN_COUNT_DOWN:
            return Rebuild<CBeginCountDownEvt>(payload, length);
        case MSG_PLAYER_FINISHED_RACE:
            return Rebuild<CRacerFinishedRaceEvt>(payload, length);
        case MSG_CHANGE_FX_FILE:
            return Rebuild<CChangeRacerFXEvt>(payload, length);
        case MSG_CHANGE_RACER_STATE:
            return Rebuild<CChangeRacerStateEvt>(payload, length);
        case MSG_CHANGE_NEXT_OBJ_ID:
            return Rebuild<CChangeNextObjIDEvt>(payload, length);
        case MSG_SHARK_FORCE:
            return Rebuild<CSharkForceEvt>(payload, length);
        case MSG_POLE_FORCE:
            return Rebuild<CPoleForceEvt>(payload, length);
        case MSG_ICON_SPIN:
            return Rebuild<CIconSpinEvt>(payload, length);
        default:
            return nullptr;
    }
}

bool CTumboKelvoEventSocket::OnPacket(const unsigned char* payload, std::uint8_t payloadLength, std::uint32_t sender) {
    if (payload == nullptr || payloadLength == 0) {
        return false;
    }
    const std::uint8_t id = payload[0];
    // Id 8 is known and carries nothing; 2, 10 and those past 27 name no event.
    if (id == MSG_IGNORED || id == 2 || id == 10 || id > MSG_ICON_SPIN) {
        return false;
    }
    velm::EventPtr event = BuildEvent(payload, payloadLength);
    if (!event) {
        if (ShouldLogDrop()) {
            std::fprintf(
                stderr,
                "Event socket: message %u of %u bytes from client %u dropped: not its event's wire form, or an "
                "unknown model\n",
                static_cast<unsigned>(id), static_cast<unsigned>(payloadLength), static_cast<unsigned>(sender));
        }
        return false;
    }
    event->SetFromNetwork(true);
    // Every event names its sender, so that the game can hold what it claims against who sent it.
    event->SetSender(sender);
    return velm::QueueEvent(event);
}

} // namespace kelvo
