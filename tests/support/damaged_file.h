// The ways a content file turns up damaged, for tests of the readers that must say so: each
// replaces whatever stands at a path, and names the phrase the file layer says for it.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/source_file.h"

namespace tktest {

struct SDamage {
    const char* what;
    // Part of the line a reader writes for the damaged file.
    const char* said;
};

inline constexpr SDamage kMissing{"missing", "does not exist"};
inline constexpr SDamage kEmpty{"empty", "is empty"};
inline constexpr SDamage kRandomBytes{"random bytes", "holds no element"};
inline constexpr SDamage kDirectory{"a directory", "is a directory"};
inline constexpr SDamage kDamages[] = {kMissing, kEmpty, kRandomBytes, kDirectory};

// The file's bytes; empty when there is no file.
inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Damage(const std::string& path, const SDamage& damage) {
    std::filesystem::remove_all(path);
    const std::string what = damage.what;
    if (what == kEmpty.what) {
        std::ofstream{path};
    } else if (what == kRandomBytes.what) {
        std::filesystem::copy_file(SourceFile("tests/support/data/random_bytes.bin"), path);
    } else if (what == kDirectory.what) {
        std::filesystem::create_directories(path);
    }
}

} // namespace tktest
