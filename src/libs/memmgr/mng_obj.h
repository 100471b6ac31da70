// MemMgr::CMngObj: the base of pool-allocated objects (scene nodes). Its class-level new and
// delete go through a process-wide registry holding one CObjectAllocator per object size.
// Main thread only; the registry is not guarded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "libs/memmgr/object_allocator.h"

namespace MemMgr {

class CMngObj {
public:
    CMngObj() = default;
    virtual ~CMngObj() = default;

    // Throws COAException when the pool for this size cannot grow or finds a free object
    // overwritten.
    static void* operator new(std::size_t size);
    // Memory the pool rejects (not its own, or already free) is dropped, never reused.
    static void operator delete(void* object, std::size_t size);
};

// The allocator registered for a size, null before the first object of that size.
CObjectAllocator* FindAllocator(std::uint32_t size);
// The configuration given to allocators created from now on (default: 500 objects per page,
// no page limit, first page at once, debug off, no padding).
void SetRegistryConfig(const SOAConfig& config);
const SOAConfig& GetRegistryConfig();

} // namespace MemMgr
