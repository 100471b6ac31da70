// MemMgr::CObjectAllocator: a pool of fixed-size objects carved from pages of many objects, with
// constant-time allocation and release. Not guarded: one thread only. Pages go back to the
// system only when the allocator is destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

namespace MemMgr {

struct SOAConfig {
    bool useSystemHeap = false;
    std::uint32_t objectsPerPage = 500;
    // 0 means no limit.
    std::uint32_t maxPages = 0;
    bool noFirstPage = false;
    // Fill patterns and the padding check on free.
    bool debug = false;
    // Guard bytes on each side of an object, rounded up to keep objects aligned.
    std::uint32_t padBytes = 0;
};

struct SOAStats {
    std::uint32_t pagesInUse = 0;
    std::uint32_t objectsInUse = 0;
    std::uint32_t freeObjects = 0;
    std::uint32_t mostObjects = 0;
    std::uint32_t allocations = 0;
    std::uint32_t deallocations = 0;
};

class CObjectAllocator {
public:
    static constexpr unsigned char NEW_PAGE_PATTERN = 0xAA;
    static constexpr unsigned char ALLOCATED_PATTERN = 0xBB;
    static constexpr unsigned char FREED_PATTERN = 0xCC;
    static constexpr unsigned char PAD_PATTERN = 0xDD;
    // Every object starts on this boundary, whatever its size and padding.
    static constexpr std::size_t ALIGNMENT = alignof(std::max_align_t);

    // Throws COAException (code 0) when the first page cannot be allocated.
    CObjectAllocator(std::uint32_t objectSize, const SOAConfig& config);
    ~CObjectAllocator();

    CObjectAllocator(const CObjectAllocator&) = delete;
    CObjectAllocator& operator=(const CObjectAllocator&) = delete;

    // Throws COAException: code 0 when the system has no memory, 1 when the page limit is hit.
    void* Allocate();
    // Throws COAException for memory this allocator does not hold as allocated: code 3 off every
    // page (in system-heap mode: not handed out, or already released), 2 off an object boundary
    // or with overwritten padding (debug), 4 when already free. The object is then left as it was.
    void Free(void* object);

    const SOAConfig& GetConfig() const { return m_config; }
    const SOAStats& GetStats() const { return m_stats; }
    std::uint32_t GetObjectSize() const { return m_objectSize; }
    std::size_t GetPageSize() const { return m_pageSize; }

private:
    struct SPage;
    struct SFreeObject {
        SFreeObject* next;
    };

    void AllocateNewPage();
    SPage* FindPage(const unsigned char* address) const;
    unsigned char* SlotOf(SPage* page, std::size_t index) const;
    bool PadBytesIntact(const unsigned char* object) const;
    std::uint32_t GetState(const unsigned char* object) const;
    void SetState(unsigned char* object, std::uint32_t state);
    std::size_t TailPad() const { return m_stride - STATE_SIZE - m_leadPad - m_bodySize; }

    static constexpr std::size_t STATE_SIZE = ALIGNMENT;

    SFreeObject* m_freeList = nullptr;
    SPage* m_pageList = nullptr;
    SOAConfig m_config;
    std::size_t m_pageSize = 0;
    std::uint32_t m_objectSize;
    SOAStats m_stats;

    // Slot layout: state word (padded to the alignment), leading pad, object, trailing pad up to
    // the stride.
    // The object size, but at least the free-list link it holds while free.
    std::size_t m_bodySize = 0;
    std::size_t m_leadPad = 0;
    std::size_t m_stride = 0;
    std::size_t m_headerSize = 0;
    // Start address of each page, sorted, for finding the page of a pointer in log time
    // with a compact, cache-friendly search.
    std::vector<std::pair<const unsigned char*, SPage*>> m_pagesByAddress;
    // System-heap mode: the blocks handed out and not yet released.
    std::unordered_set<void*> m_heapObjects;
};

} // namespace MemMgr
