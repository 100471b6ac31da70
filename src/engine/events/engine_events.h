// The engine's own events: chat text (the only one with a wire form), connection start and loss,
// the change to server, and physics collisions. Type names are fixed strings the game and the
// network share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/events/event.h"

namespace velm {

extern const char* const kTextMessageEventName;
extern const char* const kStartedConnectionEventName;
extern const char* const kLostConnectionEventName;
extern const char* const kChangeToServerEventName;
extern const char* const kObjectCollisionEventName;

struct CTextMessageEvtData : IEventData {
    CTextMessageEvtData(const std::string& text, std::uint32_t value) : m_text(text), m_value(value) {}
    std::string m_text;
    std::uint32_t m_value;
};

class CTextMessageEvt : public CEvent {
public:
    // Longest text that travels intact: the length byte is read back as a signed value.
    static constexpr std::size_t kMaxTextBytes = 127;

    CTextMessageEvt(const std::string& text, std::uint32_t value);
    // Rebuilds the event from a received message; check IsWellFormed first.
    CTextMessageEvt(const unsigned char* bytes, std::size_t length);

    // True when `length` bytes hold a whole message of this kind.
    static bool IsWellFormed(const unsigned char* bytes, std::size_t length);

    // Texts longer than kMaxTextBytes are cut, so the wire form fits the network buffer.
    std::size_t Serialise(unsigned char*& buffer) const override;

    const CTextMessageEvtData& GetMessage() const { return *static_cast<CTextMessageEvtData*>(GetData()); }
};

struct CStartedConnectionEvtData : IEventData {
    explicit CStartedConnectionEvtData(std::uint32_t clientId) : m_clientId(clientId) {}
    std::uint32_t m_clientId;
};

class CStartedConnectionEvt : public CEvent {
public:
    explicit CStartedConnectionEvt(std::uint32_t clientId);
};

struct CLostConnectionEvtData : IEventData {
    explicit CLostConnectionEvtData(std::uint32_t clientId) : m_clientId(clientId) {}
    std::uint32_t m_clientId;
};

class CLostConnectionEvt : public CEvent {
public:
    explicit CLostConnectionEvt(std::uint32_t clientId);
};

class CChangeToServerEvt : public CEvent {
public:
    CChangeToServerEvt();
};

struct CObjCollideEvtData : IEventData {
    CObjCollideEvtData(std::uint32_t first, std::uint32_t second) : m_first(first), m_second(second) {}
    std::uint32_t m_first;
    std::uint32_t m_second;
};

class CObjCollideEvt : public CEvent {
public:
    CObjCollideEvt(std::uint32_t first, std::uint32_t second);
};

} // namespace velm
