// The model-data keys and the tables of placement keywords and object types: keyword to key,
// object type to key and keyword to object type, plus the start-up table that pairs every key
// with its model and instance files. Constant data, any thread.
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

// Placement keyword to object type: exact, case-sensitive; 15 (item jug) for anything else.
std::uint32_t ObjectTypeFromName(const std::string& keyword);

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
