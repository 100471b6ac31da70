#include "libs/memmgr/mng_obj.h"

#include <map>
#include <new>

#include "libs/common/exceptions.h"
#include "libs/memmgr/oa_exception.h"

namespace MemMgr {

namespace {

class CAllocatorRegistry {
public:
    CAllocatorRegistry() { s_live = this; }
    ~CAllocatorRegistry() {
        // Objects deleted after this point (by other static destructors) lived on pages freed
        // here; their release must not touch the registry.
        s_live = nullptr;
        for (auto& entry : m_allocators) {
            delete entry.second;
        }
        m_allocators.clear();
        for (SCacheEntry& entry : m_cache) {
            entry = SCacheEntry{};
        }
    }

    // A direct-mapped cache in front of the map: a program news and deletes a handful of sizes
    // over and over, so nearly every call ends at the first compare.
    CObjectAllocator* Find(std::uint32_t size) {
        // Object sizes are multiples of their alignment, mostly of eight.
        SCacheEntry& entry = m_cache[(size / 8) % kCacheSlots];
        if (entry.allocator != nullptr && entry.size == size) {
            return entry.allocator;
        }
        const auto it = m_allocators.find(size);
        if (it == m_allocators.end()) {
            return nullptr;
        }
        entry = SCacheEntry{size, it->second};
        return it->second;
    }

    CObjectAllocator& FindOrCreate(std::uint32_t size) {
        if (CObjectAllocator* const existing = Find(size)) {
            return *existing;
        }
        CObjectAllocator* const created = new (std::nothrow) CObjectAllocator(size, m_config);
        if (created == nullptr) {
            throw common::COutOfMemException("ObjectAllocator", __LINE__);
        }
        m_allocators.emplace(size, created);
        return *created;
    }

    SOAConfig m_config;
    // The registry from its construction to its destruction, null outside; read on every
    // release instead of the guarded function-local static.
    static CAllocatorRegistry* s_live;

private:
    struct SCacheEntry {
        std::uint32_t size = 0;
        CObjectAllocator* allocator = nullptr;
    };
    static constexpr std::uint32_t kCacheSlots = 64;

    std::map<std::uint32_t, CObjectAllocator*> m_allocators;
    SCacheEntry m_cache[kCacheSlots];
};

CAllocatorRegistry* CAllocatorRegistry::s_live = nullptr;

CAllocatorRegistry& Registry() {
    static CAllocatorRegistry s_registry;
    return s_registry;
}

// Creates the registry before the program's entry runs.
CAllocatorRegistry& s_registryAtStart = Registry();

} // namespace

void* CMngObj::operator new(std::size_t size) {
    CAllocatorRegistry* const live = CAllocatorRegistry::s_live;
    return (live != nullptr ? *live : Registry()).FindOrCreate(static_cast<std::uint32_t>(size)).Allocate();
}

void CMngObj::operator delete(void* object, std::size_t size) {
    CAllocatorRegistry* const live = CAllocatorRegistry::s_live;
    if (object == nullptr || live == nullptr) {
        return;
    }
    CObjectAllocator* const allocator = live->Find(static_cast<std::uint32_t>(size));
    if (allocator == nullptr) {
        return;
    }
    try {
        allocator->Free(object);
    } catch (const COAException&) {
        // A rejected block stays out of the pool; losing it is safer than handing it out twice.
    }
}

CObjectAllocator* FindAllocator(std::uint32_t size) { return Registry().Find(size); }

void SetRegistryConfig(const SOAConfig& config) { Registry().m_config = config; }

const SOAConfig& GetRegistryConfig() { return Registry().m_config; }

} // namespace MemMgr
