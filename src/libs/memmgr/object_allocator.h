// MemMgr::CObjectAllocator: a pool of fixed-size objects carved from pages of many objects, with
// constant-time allocation and release: each page is aligned to a power of two at least its size
// (large ones mapped from the system, not taken from the heap), so a released pointer names its
// page, which a small hash table confirms. Not guarded: one thread only. Pages go back to the
// system only when the allocator is destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>
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

    // Throws COAException: code 0 when the system has no memory, 1 when the page limit is hit, 2
    // when the next free object was written to after its release (it then stays on the list).
    void* Allocate();
    // Throws COAException for memory this allocator does not hold as allocated: code 3 off every
    // page (in system-heap mode: not handed out, or already released), 2 off an object boundary
    // or with overwritten padding (debug), 4 when already free. The object is then left as it was.
    void Free(void* object);

    const SOAConfig& GetConfig() const { return m_config; }
    const SOAStats& GetStats() const { return m_stats; }
    std::uint32_t GetObjectSize() const { return m_objectSize; }
    std::size_t GetPageSize() const { return m_pageSize; }
    // Every page starts on a multiple of this, a power of two not below the page size.
    std::size_t GetPageAlignment() const { return m_pageAlignment; }

private:
    // A free slot holds the free-list link and its own number (page number times objects per
    // page plus its index on the page), so that taking it needs no search.
    struct SFreeObject {
        SFreeObject* next;
        std::uint64_t number;
    };
    struct SPageEntry {
        // The page's start, 0 for an empty entry.
        std::uintptr_t start;
        // The number of the page's first slot.
        std::uint64_t firstSlot;
    };

    void AllocateNewPage();
    // Room for one more page in every table, so that adding it cannot fail half way.
    void ReserveForPage();
    std::size_t PageTableSlot(std::uintptr_t start) const;
    void InsertPage(std::uintptr_t start, std::uint64_t firstSlot);
    // The entry of the page holding the address, or null; only the table is read, never the
    // memory at the address.
    const SPageEntry* FindPage(std::uintptr_t address) const;
    // offset / stride, and the remainder in within.
    std::size_t SlotIndex(std::size_t offset, std::size_t& within) const;
    bool PadBytesIntact(const unsigned char* object) const;
    // The padding check and the freed pattern of a debug pool, apart from the release's fast path.
    void CheckAndFillFreed(unsigned char* object) const;
    std::size_t TailPad() const { return m_stride - m_leadPad - m_bodySize; }

    SFreeObject* m_freeList = nullptr;
    SOAConfig m_config;
    std::size_t m_pageSize = 0;
    std::uint32_t m_objectSize;
    SOAStats m_stats;

    // A page is nothing but its slots; a slot is the leading pad, the object, and the trailing
    // pad up to the stride. What the allocator knows of its pages is kept here, together, so
    // that checking a release touches no more of the object's memory than the release itself.
    // The object size, but at least the free-list entry it holds while free.
    std::size_t m_bodySize = 0;
    std::size_t m_leadPad = 0;
    std::size_t m_stride = 0;
    std::size_t m_pageAlignment = 0;
    unsigned m_pageShift = 0;
    std::uintptr_t m_pageStartMask = 0;
    // The pages in the order they were allocated.
    std::vector<void*> m_pages;
    std::uint64_t m_slotCount = 0;
    // One bit per slot, by slot number, set while the object is handed out.
    std::vector<std::uint64_t> m_inUse;
    // Open addressing over the pages' starts; its size is a power of two, at least twice the
    // number of pages.
    std::vector<SPageEntry> m_pageTable;
    // Kept ready rather than worked out on every release.
    unsigned m_pageTableShift = 0;
    std::size_t m_pageTableMask = 0;
    // 2^64 / stride rounded up, for dividing offsets that fit 32 bits by a multiplication; 0
    // when pages are too large for it.
    std::uint64_t m_strideInverse = 0;
    // System-heap mode: the blocks handed out and not yet released.
    std::unordered_set<void*> m_heapObjects;
};

} // namespace MemMgr
