// MemMgr::COAException: what the object allocator throws when it cannot hand out memory or is
// given memory it did not hand out. Carries a numeric code and a fixed message.
#pragma once

#include <cstdint>
#include <string>

#include "libs/common/exceptions.h"

namespace MemMgr {

class COAException : public common::CBaseException {
public:
    // 0 no system memory, 1 page limit reached, 2 bad boundary or overwritten padding,
    // 3 not on any page, 4 freed twice.
    enum : std::uint32_t {
        E_NO_SYS_MEMORY = 0,
        E_NO_PAGES = 1,
        E_CORRUPTED_BLOCK = 2,
        E_BAD_ADDRESS = 3,
        E_MULTIPLE_FREE = 4,
    };

    COAException(std::uint32_t code, const std::string& message, int line)
        : common::CBaseException("ObjectAllocator", line), m_code(code), m_message(message) {}

    const char* what() const noexcept override { return m_message.c_str(); }
    const char* GetName() const override { return "COAException"; }

    std::uint32_t GetCode() const { return m_code; }
    const std::string& GetMessage() const { return m_message; }

private:
    std::uint32_t m_code;
    std::string m_message;
};

} // namespace MemMgr
