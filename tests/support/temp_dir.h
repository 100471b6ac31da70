// A temporary directory for a test's files, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace tktest {

class CTempDir {
public:
    CTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tk_test_XXXXXX").string();
        m_path = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~CTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_path; }

    // Writes `content` byte for byte to `name` below the directory and returns the full path.
    std::string Write(const std::string& name, const std::string& content) const {
        const std::filesystem::path full = std::filesystem::path(m_path) / name;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream out(full, std::ios::binary);
        out << content;
        return full.string();
    }

private:
    std::string m_path;
};

} // namespace tktest
