// Files of the source tree (the shipped data tree, layouts) seen from a test.
#pragma once

#include <cstdlib>
#include <string>

namespace tktest {

// `relative` under TK_SOURCE_DIR, else under the source root seen from a test's working directory.
inline std::string SourceFile(const std::string& relative) {
    const char* root = std::getenv("TK_SOURCE_DIR");
    return std::string(root != nullptr ? root : "../../../..") + "/" + relative;
}

} // namespace tktest
