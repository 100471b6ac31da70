#include "libs/memmgr/mng_obj.h"

#include <map>
#include <new>

#include "libs/common/exceptions.h"
#include "libs/memmgr/oa_exception.h"

namespace MemMgr {

namespace {

class CAllocatorRegistry {
public:
    CAllocatorRegistry() { s_alive = true; }
    ~CAllocatorRegistry() {
        // Objects deleted after this point (by other static destructors) lived on pages freed
        // here; their release must not touch the registry.
        s_alive = false;
        for (auto& entry : m_allocators) {
            delete entry.second;
        }
        m_allocators.clear();
    }

    CObjectAllocator* Find(std::uint32_t size) const {
        const auto it = m_allocators.find(size);
        return it != m_allocators.end() ? it->second : nullptr;
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
    static bool s_alive;

private:
    std::map<std::uint32_t, CObjectAllocator*> m_allocators;
};

bool CAllocatorRegistry::s_alive = false;

CAllocatorRegistry& Registry() {
    static CAllocatorRegistry s_registry;
    return s_registry;
}

// Creates the registry before the program's entry runs.
CAllocatorRegistry& s_registryAtStart = Registry();

} // namespace

void* CMngObj::operator new(std::size_t size) {
    return Registry().FindOrCreate(static_cast<std::uint32_t>(size)).Allocate();
}

void CMngObj::operator delete(void* object, std::size_t size) {
    if (object == nullptr || !CAllocatorRegistry::s_alive) {
        return;
    }
    CObjectAllocator* const allocator = Registry().Find(static_cast<std::uint32_t>(size));
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
