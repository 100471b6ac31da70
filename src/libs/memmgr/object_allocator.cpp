#include "libs/memmgr/object_allocator.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "libs/memmgr/oa_exception.h"

namespace MemMgr {

// The page header: the link to the previously allocated page.
struct CObjectAllocator::SPage {
    SPage* previous;
};

namespace {

// Each slot starts with a state word, so that a second free of an object is caught in constant
// time in every mode.
constexpr std::uint32_t SLOT_IN_USE = 0x5553ED01u;
constexpr std::uint32_t SLOT_FREE = 0xF4EEF4EEu;

std::size_t RoundUp(std::size_t value, std::size_t multiple) { return (value + multiple - 1) / multiple * multiple; }

} // namespace

CObjectAllocator::CObjectAllocator(std::uint32_t objectSize, const SOAConfig& config)
    : m_config(config), m_objectSize(objectSize) {
    if (m_config.objectsPerPage == 0) {
        m_config.objectsPerPage = 1;
    }
    // A free object holds the free-list link, so no slot is smaller than a pointer.
    m_bodySize = objectSize < sizeof(SFreeObject) ? sizeof(SFreeObject) : objectSize;
    m_leadPad = RoundUp(m_config.padBytes, ALIGNMENT);
    m_stride = RoundUp(STATE_SIZE + m_leadPad + m_bodySize + m_config.padBytes, ALIGNMENT);
    m_headerSize = RoundUp(sizeof(SPage), ALIGNMENT);
    m_pageSize = m_headerSize + m_stride * m_config.objectsPerPage;
    if (!m_config.useSystemHeap && !m_config.noFirstPage) {
        AllocateNewPage();
    }
}

CObjectAllocator::~CObjectAllocator() {
    for (void* const object : m_heapObjects) {
        std::free(object);
    }
    SPage* page = m_pageList;
    while (page != nullptr) {
        SPage* const previous = page->previous;
        std::free(page);
        page = previous;
    }
}

unsigned char* CObjectAllocator::SlotOf(SPage* page, std::size_t index) const {
    return reinterpret_cast<unsigned char*>(page) + m_headerSize + index * m_stride;
}

void CObjectAllocator::AllocateNewPage() {
    // malloc's blocks are aligned for any fundamental type, which the header rounding keeps.
    void* const memory = std::malloc(m_pageSize);
    if (memory == nullptr) {
        throw COAException(COAException::E_NO_SYS_MEMORY,
                           "No System Memory Available in CObjectAllocator::AllocateNewPage", __LINE__);
    }
    if (m_config.debug) {
        std::memset(memory, NEW_PAGE_PATTERN, m_pageSize);
    }
    SPage* const page = static_cast<SPage*>(memory);
    page->previous = m_pageList;
    m_pageList = page;
    const std::pair<const unsigned char*, SPage*> entry(static_cast<const unsigned char*>(memory), page);
    const auto byAddress = [](const auto& a, const auto& b) {
        return reinterpret_cast<std::uintptr_t>(a.first) < reinterpret_cast<std::uintptr_t>(b.first);
    };
    m_pagesByAddress.insert(std::upper_bound(m_pagesByAddress.begin(), m_pagesByAddress.end(), entry, byAddress),
                            entry);

    for (std::size_t i = 0; i < m_config.objectsPerPage; ++i) {
        unsigned char* const slot = SlotOf(page, i);
        unsigned char* const object = slot + STATE_SIZE + m_leadPad;
        SetState(object, SLOT_FREE);
        if (m_config.debug) {
            std::memset(slot + STATE_SIZE, PAD_PATTERN, m_leadPad);
            std::memset(object + m_bodySize, PAD_PATTERN, TailPad());
        }
        SFreeObject* const node = reinterpret_cast<SFreeObject*>(object);
        node->next = m_freeList;
        m_freeList = node;
    }
    ++m_stats.pagesInUse;
    m_stats.freeObjects += m_config.objectsPerPage;
}

void* CObjectAllocator::Allocate() {
    if (m_config.useSystemHeap) {
        void* const object = std::malloc(m_objectSize == 0 ? 1 : m_objectSize);
        if (object == nullptr) {
            throw COAException(COAException::E_NO_SYS_MEMORY,
                               "No System Memory Available in CObjectAllocator::Allocate", __LINE__);
        }
        try {
            m_heapObjects.insert(object);
        } catch (...) {
            std::free(object);
            throw COAException(COAException::E_NO_SYS_MEMORY,
                               "No System Memory Available in CObjectAllocator::Allocate", __LINE__);
        }
        ++m_stats.allocations;
        ++m_stats.objectsInUse;
        if (m_stats.objectsInUse > m_stats.mostObjects) {
            m_stats.mostObjects = m_stats.objectsInUse;
        }
        return object;
    }
    if (m_freeList == nullptr) {
        if (m_config.maxPages != 0 && m_stats.pagesInUse >= m_config.maxPages) {
            throw COAException(COAException::E_NO_PAGES, "No More Pages available in CObjectAllocator::Allocate",
                               __LINE__);
        }
        AllocateNewPage();
    }
    SFreeObject* const node = m_freeList;
    m_freeList = node->next;
    node->next = nullptr;
    unsigned char* const object = reinterpret_cast<unsigned char*>(node);
    if (m_config.debug) {
        std::memset(object, ALLOCATED_PATTERN, m_bodySize);
    }
    SetState(object, SLOT_IN_USE);

    --m_stats.freeObjects;
    ++m_stats.objectsInUse;
    ++m_stats.allocations;
    if (m_stats.objectsInUse > m_stats.mostObjects) {
        m_stats.mostObjects = m_stats.objectsInUse;
    }
    return object;
}

CObjectAllocator::SPage* CObjectAllocator::FindPage(const unsigned char* address) const {
    if (m_pagesByAddress.empty()) {
        return nullptr;
    }
    // Branch-free search for the last page starting at or below the address: frees come in
    // no particular page order, so a branching search would mispredict at every step.
    const std::uintptr_t key = reinterpret_cast<std::uintptr_t>(address);
    const auto* base = m_pagesByAddress.data();
    std::size_t n = m_pagesByAddress.size();
    while (n > 1) {
        const std::size_t half = n / 2;
        base = reinterpret_cast<std::uintptr_t>(base[half].first) <= key ? base + half : base;
        n -= half;
    }
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(base->first);
    if (key < first || key - first >= m_pageSize) {
        return nullptr;
    }
    return base->second;
}

std::uint32_t CObjectAllocator::GetState(const unsigned char* object) const {
    std::uint32_t state;
    std::memcpy(&state, object - m_leadPad - STATE_SIZE, sizeof(state));
    return state;
}

void CObjectAllocator::SetState(unsigned char* object, std::uint32_t state) {
    std::memcpy(object - m_leadPad - STATE_SIZE, &state, sizeof(state));
}

bool CObjectAllocator::PadBytesIntact(const unsigned char* object) const {
    const unsigned char* const lead = object - m_leadPad;
    for (std::size_t i = 0; i < m_leadPad; ++i) {
        if (lead[i] != PAD_PATTERN) {
            return false;
        }
    }
    for (std::size_t i = 0, tail = TailPad(); i < tail; ++i) {
        if (object[m_bodySize + i] != PAD_PATTERN) {
            return false;
        }
    }
    return true;
}

void CObjectAllocator::Free(void* object) {
    if (m_config.useSystemHeap) {
        // Handing the heap a block it does not hold as allocated would corrupt it.
        if (m_heapObjects.erase(object) == 0) {
            throw COAException(COAException::E_BAD_ADDRESS,
                               "Object Attempting To Free Not On Any Pages in CObjectAllocator::CheckOnPage", __LINE__);
        }
        std::free(object);
        ++m_stats.deallocations;
        --m_stats.objectsInUse;
        return;
    }
    // These checks run in every mode: pushing a stray or already free pointer on the free list
    // would later hand one block to two owners.
    unsigned char* const bytes = static_cast<unsigned char*>(object);
    SPage* const page = FindPage(bytes);
    if (page == nullptr) {
        throw COAException(COAException::E_BAD_ADDRESS,
                           "Object Attempting To Free Not On Any Pages in CObjectAllocator::CheckOnPage", __LINE__);
    }
    const unsigned char* const firstSlot = SlotOf(page, 0);
    if (bytes < firstSlot || static_cast<std::size_t>(bytes - firstSlot) % m_stride != STATE_SIZE + m_leadPad) {
        throw COAException(COAException::E_CORRUPTED_BLOCK,
                           "Object Not On A Valid Object Boundary in CObjectAllocator::CheckOnBoundary", __LINE__);
    }
    if (GetState(bytes) != SLOT_IN_USE) {
        throw COAException(COAException::E_MULTIPLE_FREE,
                           "Object Attempting To Free Multiple Times in CObjectAllocator::CheckOnFreeList", __LINE__);
    }
    if (m_config.debug) {
        if (!PadBytesIntact(bytes)) {
            throw COAException(COAException::E_CORRUPTED_BLOCK,
                               "Object has Overwritten Padding Bytes in CObjectAllocator::CheckPadBytes", __LINE__);
        }
        std::memset(bytes, FREED_PATTERN, m_bodySize);
    }
    SetState(bytes, SLOT_FREE);
    SFreeObject* const node = reinterpret_cast<SFreeObject*>(bytes);
    node->next = m_freeList;
    m_freeList = node;
    --m_stats.objectsInUse;
    ++m_stats.freeObjects;
    ++m_stats.deallocations;
}

} // namespace MemMgr
