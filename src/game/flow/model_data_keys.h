// The model-data keys and the two tables that name them: placement keyword to key and object
// type to key, plus the start-up table that pairs every key with its model and instance files.
// Constant data, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

// The key of a keyword that names no model.
extern const char* const kInvalidModelDataKey;

// Exact, case-sensitive comparison in table order; kInvalidModelDataKey when nothing matches.
std::string ModelDataKeyFromTypeName(const std::string& keyword);
// Characters and the items that have a model; the empty string for any other type.
std::string ModelDataKeyFromType(std::uint32_t objectType);

// Every model-data key, in the order of the key list.
const std::vector<std::string>& ModelDataKeys();

struct SModelDataFiles {
    std::string m_key;
    std::string m_modelFile;
    std::string m_instanceFile;
};

// The keys the game loads at start-up with their files, in load order.
const std::vector<SModelDataFiles>& StartupModelDataFiles();

} // namespace kelvo
