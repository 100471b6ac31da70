#include "engine/events/engine_events.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "libs/common/byte_order.h"

namespace velm {

const char* const kTextMessageEventName = "Text_Message_Event";
const char* const kStartedConnectionEventName = "Started_Connection_Evt";
const char* const kLostConnectionEventName = "Lost_Connection_Evt";
const char* const kChangeToServerEventName = "Change_To_Server";
const char* const kObjectCollisionEventName = "ObjectCollision";

namespace {

constexpr unsigned char kTextMessageId = 0;

std::shared_ptr<CTextMessageEvtData> ParseText(const unsigned char* bytes, std::size_t length) {
    if (!CTextMessageEvt::IsWellFormed(bytes, length)) {
        return std::make_shared<CTextMessageEvtData>(std::string(), 0);
    }
    const std::size_t n = bytes[1];
    return std::make_shared<CTextMessageEvtData>(std::string(reinterpret_cast<const char*>(bytes + 2), n),
                                                 common::ReadU32LE(bytes + 2 + n));
}

} // namespace

CTextMessageEvt::CTextMessageEvt(const std::string& text, std::uint32_t value)
    : CEvent(kTextMessageEventName, std::make_shared<CTextMessageEvtData>(text, value)) {
    SetReliable(true);
}

CTextMessageEvt::CTextMessageEvt(const unsigned char* bytes, std::size_t length)
    : CEvent(kTextMessageEventName, ParseText(bytes, length)) {
    SetReliable(true);
}

bool CTextMessageEvt::IsWellFormed(const unsigned char* bytes, std::size_t length) {
    if (bytes == nullptr || length < 6 || bytes[0] != kTextMessageId) {
        return false;
    }
    const std::size_t n = bytes[1];
    return n <= kMaxTextBytes && 2 + n + 4 <= length;
}

std::size_t CTextMessageEvt::Serialise(unsigned char*& buffer) const {
    const CTextMessageEvtData& message = GetMessage();
    const std::size_t n = std::min(message.m_text.size(), kMaxTextBytes);
    buffer[0] = kTextMessageId;
    buffer[1] = static_cast<unsigned char>(n);
    std::memcpy(buffer + 2, message.m_text.data(), n);
    common::WriteU32LE(buffer + 2 + n, message.m_value);
    return n + 6;
}

CStartedConnectionEvt::CStartedConnectionEvt(std::uint32_t clientId)
    : CEvent(kStartedConnectionEventName, std::make_shared<CStartedConnectionEvtData>(clientId)) {}

CLostConnectionEvt::CLostConnectionEvt(std::uint32_t clientId)
    : CEvent(kLostConnectionEventName, std::make_shared<CLostConnectionEvtData>(clientId)) {}

CChangeToServerEvt::CChangeToServerEvt() : CEvent(kChangeToServerEventName, nullptr) {}

CObjCollideEvt::CObjCollideEvt(std::uint32_t first, std::uint32_t second)
    : CEvent(kObjectCollisionEventName, std::make_shared<CObjCollideEvtData>(first, second)) {}

} // namespace velm
