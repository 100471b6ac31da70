// The one event manager. Trigger dispatches at once on the calling thread; QueueEvent may be
// called from any thread and is delivered at the main thread's next Tick. The pending queues and
// the listener table are guarded by the "Event System" mutex; dispatch runs without it, so
// listeners may queue, trigger, add or remove listeners. GetEventManager() is null outside
// CVelmApp::Init to Shutdown: every user checks it, and TriggerEvent and QueueEvent do so for
// their callers.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <set>

#include "engine/events/event.h"
#include "platform/win32/win32.h"

namespace velm {

class IEventManager {
public:
    virtual ~IEventManager() = default;
    virtual bool AddListener(const EventListenerPtr& listener, const CEventType& type) = 0;
    virtual bool DelListener(const EventListenerPtr& listener, const CEventType& type) = 0;
    virtual bool DelListenerAll(const EventListenerPtr& listener) = 0;
    virtual bool Trigger(const CEvent& event) = 0;
    // budgetMs of -1 means no limit.
    virtual bool Tick(std::int32_t budgetMs) = 0;
    virtual bool QueueEvent(const EventPtr& event) = 0;
    virtual bool AbortEvent(const EventPtr& event) = 0;
    virtual bool AbortEventsOfType(const CEventType& type, bool all) = 0;
    virtual bool ValidateType(const CEventType& type) = 0;
};

class CEventManager : public IEventManager {
public:
    CEventManager() = default;
    ~CEventManager() override = default;

    bool AddListener(const EventListenerPtr& listener, const CEventType& type) override;
    bool DelListener(const EventListenerPtr& listener, const CEventType& type) override;
    bool DelListenerAll(const EventListenerPtr& listener) override;
    bool Trigger(const CEvent& event) override;
    bool Tick(std::int32_t budgetMs) override;
    bool QueueEvent(const EventPtr& event) override;
    bool AbortEvent(const EventPtr& event) override;
    bool AbortEventsOfType(const CEventType& type, bool all) override;
    bool ValidateType(const CEventType& type) override;

private:
    using ListenerList = std::list<EventListenerPtr>;

    // Wildcard listeners, then the type's; hasEntry tells whether the type has a table entry.
    bool Dispatch(const CEvent& event, bool& hasEntry);

    std::set<CEventType> m_registeredTypes;
    std::map<std::uint32_t, ListenerList> m_listeners;
    std::list<EventPtr> m_queues[2];
    std::uint32_t m_activeQueue = 0;
};

// The "Event System" mutex, shared by the queues and the registrations.
HANDLE EventSystemMutex();

// The process-wide manager, set by the application between its Init and Shutdown; null outside.
// The caller keeps ownership of what it sets.
IEventManager* GetEventManager();
void SetEventManager(IEventManager* manager);

// The process-wide manager's Trigger and QueueEvent; false, delivering nothing, without one.
bool TriggerEvent(const CEvent& event);
bool QueueEvent(const EventPtr& event);

} // namespace velm
