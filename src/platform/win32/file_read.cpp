#include "platform/win32/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {
namespace {

std::string Reason(const char* what, int error) { return std::string(what) + " (" + std::strerror(error) + ")"; }

// An open descriptor of a regular file of at most maxBytes, or -1 with the reason. A pipe or a
// device is opened without blocking, so asking what it is never waits for a writer.
int OpenChecked(const std::string& path, std::uint64_t maxBytes, std::uint64_t& size, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = errno == ENOENT || errno == ENOTDIR ? std::string("does not exist") : Reason("cannot be opened", errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = Reason("cannot be examined", errno);
    } else if (S_ISDIR(info.st_mode)) {
        error = "is a directory";
    } else if (!S_ISREG(info.st_mode)) {
        error = "is not a regular file (a device, pipe or socket)";
    } else if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        error = "is " + std::to_string(info.st_size) + " bytes, more than the " + std::to_string(maxBytes) +
                " a file may have";
    } else {
        size = static_cast<std::uint64_t>(info.st_size);
        return fd;
    }
    ::close(fd);
    return -1;
}

} // namespace

bool CheckReadableFile(const std::string& path, std::uint64_t maxBytes, std::string& error) {
    std::uint64_t size = 0;
    const int fd = OpenChecked(path, maxBytes, size, error);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

bool ReadWholeFile(const std::string& path, std::uint64_t maxBytes, std::string& contents, std::string& error) {
    contents.clear();
    std::uint64_t size = 0;
    const int fd = OpenChecked(path, maxBytes, size, error);
    if (fd < 0) {
        return false;
    }
    // One byte more than allowed is asked for, so a file that grew since it was measured is seen.
    contents.resize(static_cast<std::size_t>(size) + 1);
    std::size_t got = 0;
    bool failed = false;
    while (got < contents.size()) {
        const ssize_t n = ::read(fd, contents.data() + got, contents.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = Reason("cannot be read", errno);
            failed = true;
            break;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
        if (got > maxBytes) {
            error = "grew past the " + std::to_string(maxBytes) + " bytes a file may have while it was read";
            failed = true;
            break;
        }
        if (got == contents.size()) {
            contents.resize(std::min<std::uint64_t>(contents.size() * 2, maxBytes + 1));
        }
    }
    ::close(fd);
    if (failed) {
        contents.clear();
        return false;
    }
    contents.resize(got);
    return true;
}

} // namespace platform
