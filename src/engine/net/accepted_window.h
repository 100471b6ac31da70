// The (sequence, previous) pairs of the latest reliable packets a socket took in from one peer,
// so that a copy resent after a lost acknowledgement is recognised and answered again. It holds
// the last kCapacity pairs, indexed by sequence; fixed storage, no allocation after construction.
// Not locked: its socket's mutex guards it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velm {
namespace net {

class CAcceptedWindow {
public:
    static constexpr std::size_t kCapacity = 1024;

    CAcceptedWindow();

    // Remembers the pair, forgetting the oldest one when the window is full.
    void Remember(std::uint16_t sequence, std::uint16_t previous);
    bool Contains(std::uint16_t sequence, std::uint16_t previous) const;
    std::size_t Size() const { return m_size; }

private:
    static constexpr std::uint16_t kNone = 0xFFFF;
    static constexpr std::size_t kBuckets = kCapacity;

    struct SSlot {
        std::uint16_t sequence = 0;
        std::uint16_t previous = 0;
        // The next slot in the same bucket, or kNone.
        std::uint16_t next = kNone;
    };

    static std::size_t BucketOf(std::uint16_t sequence) { return sequence % kBuckets; }
    void Unlink(std::uint16_t slot);

    // A ring in arrival order: the oldest pair is at m_oldest once the window is full.
    std::array<SSlot, kCapacity> m_slots;
    std::array<std::uint16_t, kBuckets> m_heads;
    std::size_t m_oldest = 0;
    std::size_t m_size = 0;
};

} // namespace net
} // namespace velm
