// kelvo::TumboKelvoListener, the game's one listener: it builds world objects from creation
// events (the factories live in object_factories.cpp), applies replicated state to local objects,
// answers clients' requests on the host, relays client state to the other clients and follows
// connection changes. It keeps no game state and never consumes an event. Main thread only: within
// the event manager's tick, or within the trigger of a level build; the one event the network
// thread raises itself, "Change_To_Server", is handed on to the main thread's next tick.
#pragma once

#include <string>
#include <thread>

#include "engine/events/event.h"

namespace kelvo {

struct CCreateRacerData;
struct CCreateItemFromKeyData;
struct CCreateEnvObjData;
struct CCreateLightData;
struct CCreateTriggerObjEvtData;
struct SCreationRecord;

class TumboKelvoListener : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override;
    std::string GetName() override { return "Tumbo_Kelvo_Listener"; }

    // The factories: each builds and registers one object from its record. A record whose key
    // named no model data, or that lacks what its family needs, is logged and builds nothing.
    static void CreateRacer(const CCreateRacerData& record);
    static void CreateItem(const CCreateItemFromKeyData& record);
    static void CreateEnvObject(const CCreateEnvObjData& record);
    static void CreateBillboardObject(const CCreateEnvObjData& record);
    static void CreateCollisionVolume(const CCreateEnvObjData& record);
    static void CreateLight(const CCreateLightData& record);
    static void CreateTriggerObject(const CCreateTriggerObjEvtData& record);
    // Water and terrain go to the game, particle systems to the graphics registry.
    static void MakeWaterFrom(const SCreationRecord& record);
    static void MakeTerrainFrom(const SCreationRecord& record);
    static void CreateParticleSystem(const SCreationRecord& record);

private:
    void OnPositionUpdate(const velm::CEvent& event);
    void OnChangeAnimation(const velm::CEvent& event);
    void OnChangeRacerState(const velm::CEvent& event);
    void OnChangeEffect(const velm::CEvent& event);
    void OnRequestHumanController(const velm::CEvent& event);
    void OnRequestItem(const velm::CEvent& event);
    void OnSharkForce(const velm::CEvent& event);
    void OnPoleForce(const velm::CEvent& event);
    void OnIconSpin(const velm::CEvent& event);
    void OnStartedConnection(const velm::CEvent& event);
    void OnLostConnection(const velm::CEvent& event);
    void OnChangeToServer(const velm::CEvent& event);
    void OnTextMessage(const velm::CEvent& event);
    void OnAttachDetach(const velm::CEvent& event);

    // The thread that made the listener: the game's main thread.
    std::thread::id m_mainThread = std::this_thread::get_id();
};

} // namespace kelvo
