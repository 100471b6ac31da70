// Events: a named type (name plus case-insensitive hash), a shared payload and what the network
// needs (sender, from-network and reliable flags, recipients, a wire form). Events and payloads
// cross threads only through shared pointers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>

namespace velm {

std::uint32_t HashEventTypeName(const char* name);

class CEventType {
public:
    CEventType() : CEventType("") {}
    explicit CEventType(const std::string& name) : m_name(name), m_hash(HashEventTypeName(name.c_str())) {}
    explicit CEventType(const char* name) : CEventType(std::string(name)) {}

    const std::string& GetName() const { return m_name; }
    std::uint32_t GetHash() const { return m_hash; }

    // Types are ordered and compared by their hash alone.
    bool operator<(const CEventType& other) const { return m_hash < other.m_hash; }
    bool operator==(const CEventType& other) const { return m_hash == other.m_hash; }

private:
    std::string m_name;
    std::uint32_t m_hash;
};

// The wildcard type: listeners registered for it see every event first.
const CEventType& WildcardEventType();

class IEventData {
public:
    virtual ~IEventData() = default;
};

using EventDataPtr = std::shared_ptr<IEventData>;

// The payload of events that carry one plain value (an object id, most often).
template <typename T>
class CEventData : public IEventData {
public:
    explicit CEventData(const T& value) : m_value(value) {}
    const T& GetValue() const { return m_value; }
    T m_value;
};

class CEvent {
public:
    CEvent(const std::string& typeName, EventDataPtr data);
    virtual ~CEvent() = default;

    // Writes the event's wire form at `buffer` (which holds 255 bytes) and returns its length;
    // 0 means the event never travels.
    virtual std::size_t Serialise(unsigned char*& buffer) const;

    const CEventType& GetEventType() const { return m_type; }
    IEventData* GetData() const { return m_data.get(); }
    const EventDataPtr& GetDataPtr() const { return m_data; }

    std::uint32_t GetSender() const { return m_sender; }
    void SetSender(std::uint32_t sender) { m_sender = sender; }
    bool IsFromNetwork() const { return m_fromNetwork; }
    void SetFromNetwork(bool fromNetwork) { m_fromNetwork = fromNetwork; }
    bool IsReliable() const { return m_reliable; }
    void SetReliable(bool reliable) { m_reliable = reliable; }

    const std::list<std::uint32_t>& GetRecipients() const { return m_recipients; }
    void AddRecipient(std::uint32_t peer) { m_recipients.push_back(peer); }

private:
    CEventType m_type;
    EventDataPtr m_data;
    std::uint32_t m_sender = 0;
    bool m_fromNetwork = false;
    bool m_reliable = false;
    std::list<std::uint32_t> m_recipients;
};

using EventPtr = std::shared_ptr<CEvent>;

// Listeners are identified by the object their shared pointer holds.
class IEventListener {
public:
    virtual ~IEventListener() = default;
    // True when the listener consumed the event; other listeners are still called.
    virtual bool HandleEvent(const CEvent& event) = 0;
    virtual std::string GetName() = 0;
};

using EventListenerPtr = std::shared_ptr<IEventListener>;

} // namespace velm
