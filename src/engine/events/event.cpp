#include "engine/events/event.h"

#include <cctype>

namespace velm {

std::uint32_t HashEventTypeName(const char* name) {
    std::uint32_t hash = 5381;
    for (const char* at = name; at != nullptr && *at != '\0'; ++at) {
        // tolower of the byte taken as a signed char, as the runtime's default locale sees it.
        const int lowered = std::tolower(static_cast<int>(static_cast<signed char>(*at)));
        hash = (hash * 33u) ^ static_cast<std::uint32_t>(lowered);
    }
    return hash;
}

const CEventType& WildcardEventType() {
    static const CEventType wildcard("!");
    return wildcard;
}

namespace {
// Built before the program's entry runs, as the event manager relies on.
const CEventType& s_wildcardAtStart = WildcardEventType();
} // namespace

CEvent::CEvent(const std::string& typeName, EventDataPtr data) : m_type(typeName), m_data(std::move(data)) {}

std::size_t CEvent::Serialise(unsigned char*&) const { return 0; }

} // namespace velm
