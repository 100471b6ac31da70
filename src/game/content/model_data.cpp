#include "game/content/model_data.h"

namespace kelvo {

namespace {

template <typename T>
std::unique_ptr<T> Clone(const std::unique_ptr<T>& source) {
    return source ? std::make_unique<T>(*source) : nullptr;
}

} // namespace

SModelData::SModelData(const SModelData& other)
    : m_sounds(other.m_sounds),
      m_graphic(Clone(other.m_graphic)),
      m_physics(Clone(other.m_physics)),
      m_light(Clone(other.m_light)),
      m_water(Clone(other.m_water)),
      m_terrain(Clone(other.m_terrain)),
      m_controlKind(other.m_controlKind),
      m_objectType(other.m_objectType),
      m_objectId(other.m_objectId),
      m_ownerId(other.m_ownerId),
      m_key(other.m_key),
      m_extra1(other.m_extra1),
      m_extra2(other.m_extra2) {}

SModelData& SModelData::operator=(const SModelData& other) {
    if (this != &other) {
        SModelData copy(other);
        *this = std::move(copy);
    }
    return *this;
}

velm::CSound* SModelData::GetSound(std::size_t index) const {
    return index < m_sounds.size() ? m_sounds[index] : nullptr;
}

} // namespace kelvo
