#include "platform/win32/file_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace platform {
namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The entry of `directory` equal to `component` ignoring case, or empty when there is none.
std::string FindIgnoringCase(const std::string& directory, const std::string& component) {
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (dir == nullptr) {
        return {};
    }
    std::string found;
    while (dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, component.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

std::string ResolvePath(const std::string& name) {
    std::string converted = name;
    for (char& c : converted) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (converted.empty() || Exists(converted)) {
        return converted;
    }
    std::string built;
    std::size_t at = 0;
    if (converted[0] == '/') {
        built = "/";
        at = 1;
    }
    while (at <= converted.size()) {
        std::size_t slash = converted.find('/', at);
        if (slash == std::string::npos) {
            slash = converted.size();
        }
        const std::string component = converted.substr(at, slash - at);
        at = slash + 1;
        if (component.empty()) {
            continue;
        }
        std::string next =
            built.empty() ? component : (built.back() == '/' ? built + component : built + "/" + component);
        if (!Exists(next) && component != "." && component != "..") {
            const std::string match = FindIgnoringCase(built.empty() ? "." : built, component);
            if (match.empty()) {
                return converted;
            }
            next = built.empty() ? match : (built.back() == '/' ? built + match : built + "/" + match);
        }
        built = next;
    }
    return built;
}

bool FileExists(const std::string& name) { return Exists(ResolvePath(name)); }

} // namespace platform
