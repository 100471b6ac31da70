// The process-wide object-id counter: ids start at 1. A networked client keeps its counter above
// the ids the host hands out. Main thread only.
#pragma once

#include <cstdint>

namespace velm {

std::uint32_t NewObjectID();
// Raises the counter to `id` when that is larger; the next id handed out is then id + 1.
void RaiseNextObjectID(std::uint32_t id);
std::uint32_t PeekObjectIDCounter();
void SetObjectIDCounter(std::uint32_t value);

} // namespace velm
