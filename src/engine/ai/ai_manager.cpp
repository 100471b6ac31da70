#include "engine/ai/ai_manager.h"

namespace velm {
namespace ai {

CAIManager::CAIManager() = default;

CAIManager::~CAIManager() = default;

} // namespace ai
} // namespace velm
