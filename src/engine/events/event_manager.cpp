#include "engine/events/event_manager.h"

#include <vector>

#include "libs/common/mutex_lock.h"
#include "libs/common/timer.h"

namespace velm {
namespace {

IEventManager* s_eventManager = nullptr;

bool HoldsSame(const EventListenerPtr& a, const EventListenerPtr& b) { return a.get() == b.get(); }

} // namespace

HANDLE EventSystemMutex() {
    static const HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Event System");
    return mutex;
}

namespace {
// The mutex exists before the program's entry runs, as the queues rely on.
const HANDLE s_eventSystemMutexAtStart = EventSystemMutex();
} // namespace

IEventManager* GetEventManager() { return s_eventManager; }

void SetEventManager(IEventManager* manager) { s_eventManager = manager; }

bool TriggerEvent(const CEvent& event) { return s_eventManager != nullptr && s_eventManager->Trigger(event); }

bool QueueEvent(const EventPtr& event) { return s_eventManager != nullptr && s_eventManager->QueueEvent(event); }

bool CEventManager::ValidateType(const CEventType& type) {
    const CEventType& wildcard = WildcardEventType();
    if (type.GetHash() == wildcard.GetHash() && type.GetName() != wildcard.GetName()) {
        return false;
    }
    const auto found = m_registeredTypes.find(type);
    return found == m_registeredTypes.end() || found->GetName() == type.GetName();
}

bool CEventManager::AddListener(const EventListenerPtr& listener, const CEventType& type) {
    // The network thread reads the table while queueing, so registrations take its lock too.
    common::CMutexLock lock(EventSystemMutex());
    if (!ValidateType(type)) {
        return false;
    }
    m_registeredTypes.insert(type);
    ListenerList& list = m_listeners[type.GetHash()];
    for (const EventListenerPtr& existing : list) {
        if (HoldsSame(existing, listener)) {
            return false;
        }
    }
    list.push_back(listener);
    return true;
}

bool CEventManager::DelListener(const EventListenerPtr& listener, const CEventType& type) {
    common::CMutexLock lock(EventSystemMutex());
    if (!ValidateType(type)) {
        return false;
    }
    const auto entry = m_listeners.find(type.GetHash());
    if (entry == m_listeners.end()) {
        return false;
    }
    for (auto it = entry->second.begin(); it != entry->second.end(); ++it) {
        if (HoldsSame(*it, listener)) {
            entry->second.erase(it);
            return true;
        }
    }
    return false;
}

bool CEventManager::DelListenerAll(const EventListenerPtr& listener) {
    common::CMutexLock lock(EventSystemMutex());
    bool removed = false;
    for (auto& entry : m_listeners) {
        for (auto it = entry.second.begin(); it != entry.second.end(); ++it) {
            if (HoldsSame(*it, listener)) {
                entry.second.erase(it);
                removed = true;
                break;
            }
        }
    }
    return removed;
}

bool CEventManager::Dispatch(const CEvent& event, bool& hasEntry) {
    // Copies taken under the lock, so dispatch survives listeners changing the table.
    ListenerList wildcards;
    ListenerList listeners;
    {
        common::CMutexLock lock(EventSystemMutex());
        const auto wildcardEntry = m_listeners.find(WildcardEventType().GetHash());
        if (wildcardEntry != m_listeners.end()) {
            wildcards = wildcardEntry->second;
        }
        const auto entry = m_listeners.find(event.GetEventType().GetHash());
        hasEntry = entry != m_listeners.end();
        if (hasEntry) {
            listeners = entry->second;
        }
    }
    for (const EventListenerPtr& listener : wildcards) {
        listener->HandleEvent(event);
    }
    bool consumed = false;
    for (const EventListenerPtr& listener : listeners) {
        if (listener->HandleEvent(event)) {
            consumed = true;
        }
    }
    return consumed;
}

bool CEventManager::Trigger(const CEvent& event) {
    {
        common::CMutexLock lock(EventSystemMutex());
        if (!ValidateType(event.GetEventType())) {
            return false;
        }
    }
    bool hasEntry = false;
    return Dispatch(event, hasEntry);
}

bool CEventManager::QueueEvent(const EventPtr& event) {
    common::CMutexLock lock(EventSystemMutex());
    if (!event || !ValidateType(event->GetEventType())) {
        return false;
    }
    if (m_listeners.count(event->GetEventType().GetHash()) == 0 &&
        m_listeners.count(WildcardEventType().GetHash()) == 0) {
        return false;
    }
    m_queues[m_activeQueue].push_back(event);
    return true;
}

bool CEventManager::AbortEvent(const EventPtr& event) {
    common::CMutexLock lock(EventSystemMutex());
    if (!event || !ValidateType(event->GetEventType())) {
        return false;
    }
    if (m_listeners.count(event->GetEventType().GetHash()) == 0) {
        return false;
    }
    std::list<EventPtr>& queue = m_queues[m_activeQueue];
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (it->get() == event.get()) {
            queue.erase(it);
            return true;
        }
    }
    return false;
}

bool CEventManager::AbortEventsOfType(const CEventType& type, bool all) {
    common::CMutexLock lock(EventSystemMutex());
    if (!ValidateType(type) || m_listeners.count(type.GetHash()) == 0) {
        return false;
    }
    std::list<EventPtr>& queue = m_queues[m_activeQueue];
    std::vector<std::list<EventPtr>::iterator> found;
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if ((*it)->GetEventType().GetHash() == type.GetHash()) {
            found.push_back(it);
            if (!all) {
                break;
            }
        }
    }
    for (const auto& it : found) {
        queue.erase(it);
    }
    return !found.empty();
}

bool CEventManager::Tick(std::int32_t budgetMs) {
    const bool limited = budgetMs != -1;
    common::CCountdownTimer budget(limited ? static_cast<float>(static_cast<std::uint32_t>(budgetMs) * 0.001) : 0.0f,
                                   limited);
    std::list<EventPtr> draining;
    {
        common::CMutexLock lock(EventSystemMutex());
        draining.swap(m_queues[m_activeQueue]);
        m_activeQueue = (m_activeQueue + 1) % 2;
        m_queues[m_activeQueue].clear();
    }
    while (!draining.empty()) {
        const EventPtr event = draining.front();
        draining.pop_front();
        bool hasEntry = false;
        Dispatch(*event, hasEntry);
        if (hasEntry && limited && budget.IsExpired()) {
            break;
        }
    }
    if (draining.empty()) {
        return true;
    }
    common::CMutexLock lock(EventSystemMutex());
    std::list<EventPtr>& active = m_queues[m_activeQueue];
    active.splice(active.begin(), draining);
    return false;
}

} // namespace velm
