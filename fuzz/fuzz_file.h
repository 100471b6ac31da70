// For fuzz targets whose parser reads a named file: the input is written to a file of this
// process's own, rewritten for every input. One target per process, one input at a time.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tk_fuzz {

inline std::string WriteInput(const std::uint8_t* data, std::size_t size, const char* suffix) {
    const std::string path = "/tmp/tk_fuzz_" + std::to_string(getpid()) + suffix;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        if (size > 0) {
            std::fwrite(data, 1, size, file);
        }
        std::fclose(file);
    }
    return path;
}

} // namespace tk_fuzz
