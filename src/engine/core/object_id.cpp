#include "engine/core/object_id.h"

namespace velm {
namespace {
std::uint32_t s_objectIdCounter = 0;
} // namespace

std::uint32_t NewObjectID() { return ++s_objectIdCounter; }

void RaiseNextObjectID(std::uint32_t id) {
    if (id > s_objectIdCounter) {
        s_objectIdCounter = id;
    }
}

std::uint32_t PeekObjectIDCounter() { return s_objectIdCounter; }

void SetObjectIDCounter(std::uint32_t value) { s_objectIdCounter = value; }

} // namespace velm
