#include "engine/net/accepted_window.h"

namespace velm {
namespace net {

CAcceptedWindow::CAcceptedWindow() { m_heads.fill(kNone); }

void CAcceptedWindow::Unlink(std::uint16_t slot) {
    std::uint16_t* link = &m_heads[BucketOf(m_slots[slot].sequence)];
    while (*link != slot) {
        link = &m_slots[*link].next;
    }
    *link = m_slots[slot].next;
}

void CAcceptedWindow::Remember(std::uint16_t sequence, std::uint16_t previous) {
    std::size_t index = 0;
    if (m_size < kCapacity) {
        index = (m_oldest + m_size) % kCapacity;
        ++m_size;
    } else {
        index = m_oldest;
        m_oldest = (m_oldest + 1) % kCapacity;
        Unlink(static_cast<std::uint16_t>(index));
    }
    SSlot& slot = m_slots[index];
    slot.sequence = sequence;
    slot.previous = previous;
    std::uint16_t& head = m_heads[BucketOf(sequence)];
    slot.next = head;
    head = static_cast<std::uint16_t>(index);
}

bool CAcceptedWindow::Contains(std::uint16_t sequence, std::uint16_t previous) const {
    for (std::uint16_t at = m_heads[BucketOf(sequence)]; at != kNone; at = m_slots[at].next) {
        if (m_slots[at].sequence == sequence && m_slots[at].previous == previous) {
            return true;
        }
    }
    return false;
}

} // namespace net
} // namespace velm
