#include "libs/memmgr/object_allocator.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

#include "libs/memmgr/oa_exception.h"

namespace MemMgr {

namespace {

constexpr std::size_t kBitsPerWord = 64;
constexpr std::size_t kMinPageTable = 16;
constexpr unsigned kMinPageTableBits = 4;
constexpr std::uint64_t kFibonacci = 0x9E3779B97F4A7C15ull;

std::size_t RoundUp(std::size_t value, std::size_t multiple) { return (value + multiple - 1) / multiple * multiple; }

// Pages aligned to this or more are mapped from the system directly: through the heap, each would
// leave as much again of the heap in fragments around it, which changes how the rest of the
// program's allocations behave.
constexpr std::size_t kMapAlignment = 64 * 1024;

std::size_t SystemPageSize() {
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<std::size_t>(size) : 4096;
}

// length bytes starting at a multiple of alignment (a power of two, a multiple of the system's
// page size), or null; the rest of the mapping made to find them is handed back at once.
void* MapAligned(std::size_t alignment, std::size_t length) {
    if (alignment > (~std::size_t(0)) / 2) {
        return nullptr;
    }
    void* const mapped = mmap(nullptr, 2 * alignment, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        return nullptr;
    }
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t start = (base + alignment - 1) & ~static_cast<std::uintptr_t>(alignment - 1);
    if (start > base) {
        munmap(mapped, start - base);
    }
    const std::uintptr_t end = base + 2 * alignment;
    if (end > start + length) {
        munmap(reinterpret_cast<void*>(start + length), end - start - length);
    }
    return reinterpret_cast<void*>(start);
}

const char* const kNoPageMemory = "No System Memory Available in CObjectAllocator::AllocateNewPage";
const char* const kNoObjectMemory = "No System Memory Available in CObjectAllocator::Allocate";
const char* const kNotOnPage = "Object Attempting To Free Not On Any Pages in CObjectAllocator::CheckOnPage";

// Out of line and cold, so that building an exception costs the fast paths nothing.
[[noreturn, gnu::cold, gnu::noinline]] void Throw(std::uint32_t code, const char* message, int line) {
    throw COAException(code, message, line);
}

} // namespace

CObjectAllocator::CObjectAllocator(std::uint32_t objectSize, const SOAConfig& config)
    : m_config(config), m_objectSize(objectSize) {
    if (m_config.objectsPerPage == 0) {
        m_config.objectsPerPage = 1;
    }
    m_bodySize = objectSize < sizeof(SFreeObject) ? sizeof(SFreeObject) : objectSize;
    m_leadPad = RoundUp(m_config.padBytes, ALIGNMENT);
    m_stride = RoundUp(m_leadPad + m_bodySize + m_config.padBytes, ALIGNMENT);
    m_pageSize = m_stride * m_config.objectsPerPage;
    m_pageAlignment = ALIGNMENT;
    while (m_pageAlignment < m_pageSize) {
        m_pageAlignment *= 2;
    }
    while ((std::size_t(1) << m_pageShift) < m_pageAlignment) {
        ++m_pageShift;
    }
    m_pageStartMask = ~static_cast<std::uintptr_t>(m_pageAlignment - 1);
    if (m_pageSize <= 0xFFFFFFFFu) {
        m_strideInverse = ~std::uint64_t(0) / m_stride + 1;
    }
    // Never empty, so that a release need not ask.
    m_pageTable.assign(kMinPageTable, SPageEntry{0, 0});
    m_pageTableShift = 64 - kMinPageTableBits;
    m_pageTableMask = kMinPageTable - 1;
    if (!m_config.useSystemHeap && !m_config.noFirstPage) {
        AllocateNewPage();
    }
}

CObjectAllocator::~CObjectAllocator() {
    for (void* const object : m_heapObjects) {
        std::free(object);
    }
    for (void* const page : m_pages) {
        if (m_pageAlignment >= kMapAlignment) {
            munmap(page, RoundUp(m_pageSize, SystemPageSize()));
        } else {
            std::free(page);
        }
    }
}

inline std::size_t CObjectAllocator::SlotIndex(std::size_t offset, std::size_t& within) const {
    std::size_t index = 0;
    if (m_strideInverse != 0) {
        // Division by multiplication, exact for 32-bit offsets and strides (Lemire, Kaser and
        // Kurz): the release path would otherwise wait on a division.
        index = static_cast<std::size_t>((static_cast<unsigned __int128>(m_strideInverse) * offset) >> 64);
    } else {
        index = offset / m_stride;
    }
    within = offset - index * m_stride;
    return index;
}

inline std::size_t CObjectAllocator::PageTableSlot(std::uintptr_t start) const {
    return static_cast<std::size_t>(((start >> m_pageShift) * kFibonacci) >> m_pageTableShift);
}

void CObjectAllocator::InsertPage(std::uintptr_t start, std::uint64_t firstSlot) {
    std::size_t slot = PageTableSlot(start);
    while (m_pageTable[slot].start != 0) {
        slot = (slot + 1) & m_pageTableMask;
    }
    m_pageTable[slot] = SPageEntry{start, firstSlot};
}

void CObjectAllocator::ReserveForPage() {
    const std::size_t pages = m_pages.size() + 1;
    const std::size_t words = (pages * m_config.objectsPerPage + kBitsPerWord - 1) / kBitsPerWord;
    try {
        m_pages.reserve(pages);
        // Doubling, as push_back would, so that growing stays constant time per page.
        if (m_inUse.capacity() < words) {
            m_inUse.reserve(std::max(words, 2 * m_inUse.capacity()));
        }
        if (pages * 2 > m_pageTable.size()) {
            std::size_t size = kMinPageTable;
            unsigned bits = kMinPageTableBits;
            while (size < pages * 2) {
                size *= 2;
                ++bits;
            }
            std::vector<SPageEntry> table(size, SPageEntry{0, 0});
            table.swap(m_pageTable);
            m_pageTableShift = 64 - bits;
            m_pageTableMask = size - 1;
            for (const SPageEntry& entry : table) {
                if (entry.start != 0) {
                    InsertPage(entry.start, entry.firstSlot);
                }
            }
        }
    } catch (const std::bad_alloc&) {
        Throw(COAException::E_NO_SYS_MEMORY, kNoPageMemory, __LINE__);
    }
}

void CObjectAllocator::AllocateNewPage() {
    ReserveForPage();
    // Aligned to a power of two at least the page size, so that an object's address masked
    // down is its page's start.
    void* const memory = m_pageAlignment >= kMapAlignment
                             ? MapAligned(m_pageAlignment, RoundUp(m_pageSize, SystemPageSize()))
                             : std::aligned_alloc(m_pageAlignment, m_pageAlignment);
    if (memory == nullptr) {
        Throw(COAException::E_NO_SYS_MEMORY, kNoPageMemory, __LINE__);
    }
    if (m_config.debug) {
        std::memset(memory, NEW_PAGE_PATTERN, m_pageSize);
    }
    const std::uint64_t firstSlot = static_cast<std::uint64_t>(m_pages.size()) * m_config.objectsPerPage;
    m_pages.push_back(memory);
    m_slotCount += m_config.objectsPerPage;
    InsertPage(reinterpret_cast<std::uintptr_t>(memory), firstSlot);
    m_inUse.resize((m_pages.size() * m_config.objectsPerPage + kBitsPerWord - 1) / kBitsPerWord, 0);

    unsigned char* const bytes = static_cast<unsigned char*>(memory);
    for (std::size_t i = 0; i < m_config.objectsPerPage; ++i) {
        unsigned char* const object = bytes + i * m_stride + m_leadPad;
        if (m_config.debug) {
            std::memset(object - m_leadPad, PAD_PATTERN, m_leadPad);
            std::memset(object + m_bodySize, PAD_PATTERN, TailPad());
        }
        SFreeObject* const node = reinterpret_cast<SFreeObject*>(object);
        node->next = m_freeList;
        node->number = firstSlot + i;
        m_freeList = node;
    }
    ++m_stats.pagesInUse;
    m_stats.freeObjects += m_config.objectsPerPage;
}

void* CObjectAllocator::Allocate() {
    if (m_config.useSystemHeap) {
        void* const object = std::malloc(m_objectSize == 0 ? 1 : m_objectSize);
        if (object == nullptr) {
            Throw(COAException::E_NO_SYS_MEMORY, kNoObjectMemory, __LINE__);
        }
        try {
            m_heapObjects.insert(object);
        } catch (...) {
            std::free(object);
            Throw(COAException::E_NO_SYS_MEMORY, kNoObjectMemory, __LINE__);
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
            Throw(COAException::E_NO_PAGES, "No More Pages available in CObjectAllocator::Allocate", __LINE__);
        }
        AllocateNewPage();
    }
    SFreeObject* const node = m_freeList;
    const std::uint64_t number = node->number;
    // The number indexes the in-use bits: one overwritten through a stale pointer must not
    // send the write past them.
    if (number >= m_slotCount) {
        Throw(COAException::E_CORRUPTED_BLOCK, "Free Object Overwritten in CObjectAllocator::Allocate", __LINE__);
    }
    m_freeList = node->next;
    m_inUse[number / kBitsPerWord] |= std::uint64_t(1) << (number % kBitsPerWord);
    node->next = nullptr;
    unsigned char* const object = reinterpret_cast<unsigned char*>(node);
    if (m_config.debug) {
        std::memset(object, ALLOCATED_PATTERN, m_bodySize);
    }
    --m_stats.freeObjects;
    ++m_stats.objectsInUse;
    ++m_stats.allocations;
    if (m_stats.objectsInUse > m_stats.mostObjects) {
        m_stats.mostObjects = m_stats.objectsInUse;
    }
    return object;
}

inline const CObjectAllocator::SPageEntry* CObjectAllocator::FindPage(std::uintptr_t address) const {
    const std::uintptr_t start = address & m_pageStartMask;
    if (start == 0 || address - start >= m_pageSize) {
        return nullptr;
    }
    for (std::size_t slot = PageTableSlot(start);; slot = (slot + 1) & m_pageTableMask) {
        const SPageEntry& entry = m_pageTable[slot];
        if (entry.start == start) {
            return &entry;
        }
        if (entry.start == 0) {
            return nullptr;
        }
    }
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

void CObjectAllocator::CheckAndFillFreed(unsigned char* object) const {
    if (!PadBytesIntact(object)) {
        Throw(COAException::E_CORRUPTED_BLOCK,
              "Object has Overwritten Padding Bytes in CObjectAllocator::CheckPadBytes", __LINE__);
    }
    std::memset(object, FREED_PATTERN, m_bodySize);
}

void CObjectAllocator::Free(void* object) {
    if (m_config.useSystemHeap) {
        // Handing the heap a block it does not hold as allocated would corrupt it.
        if (m_heapObjects.erase(object) == 0) {
            Throw(COAException::E_BAD_ADDRESS, kNotOnPage, __LINE__);
        }
        std::free(object);
        ++m_stats.deallocations;
        --m_stats.objectsInUse;
        return;
    }
    // These checks run in every mode: pushing a stray or already free pointer on the free list
    // would later hand one block to two owners.
    unsigned char* const bytes = static_cast<unsigned char*>(object);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(bytes);
    const SPageEntry* const page = FindPage(address);
    if (page == nullptr) {
        Throw(COAException::E_BAD_ADDRESS, kNotOnPage, __LINE__);
    }
    std::size_t within = 0;
    const std::size_t index = SlotIndex(static_cast<std::size_t>(address - page->start), within);
    if (within != m_leadPad) {
        Throw(COAException::E_CORRUPTED_BLOCK,
              "Object Not On A Valid Object Boundary in CObjectAllocator::CheckOnBoundary", __LINE__);
    }
    const std::uint64_t number = page->firstSlot + index;
    std::uint64_t& word = m_inUse[number / kBitsPerWord];
    const std::uint64_t bit = std::uint64_t(1) << (number % kBitsPerWord);
    if ((word & bit) == 0) {
        Throw(COAException::E_MULTIPLE_FREE,
              "Object Attempting To Free Multiple Times in CObjectAllocator::CheckOnFreeList", __LINE__);
    }
    if (m_config.debug) {
        CheckAndFillFreed(bytes);
    }
    word &= ~bit;
    SFreeObject* const node = reinterpret_cast<SFreeObject*>(bytes);
    node->next = m_freeList;
    node->number = number;
    m_freeList = node;
    --m_stats.objectsInUse;
    ++m_stats.freeObjects;
    ++m_stats.deallocations;
}

} // namespace MemMgr
