#include "platform/win32/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

std::string Reason(int error) { return std::string("cannot be written (") + std::strerror(error) + ")"; }

// Every byte, through short writes and interruptions; false with errno set on a failure.
bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A name beside `path` that no other writer of this or another process picks at the same time.
std::string SideName(const std::string& path) {
    static std::atomic<unsigned> s_count{0};
    return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(s_count++);
}

} // namespace

bool ReplaceFile(const std::string& path, const std::string& contents, std::string& error) {
    // A device or a pipe in the file's place is written to by no one, and never renamed over.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
        error = "cannot be written (not a regular file)";
        return false;
    }
    const std::string side = SideName(path);
    const int fd = ::open(side.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = Reason(errno);
        return false;
    }
    // A file that is replaced keeps its permissions.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
    }
    // Written, on the disk and closed before the rename: a full disk shows at one of the three.
    const bool written = WriteAll(fd, contents.data(), contents.size()) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        error = Reason(written ? errno : writeError);
        ::unlink(side.c_str());
        return false;
    }
    if (std::rename(side.c_str(), path.c_str()) != 0) {
        error = Reason(errno);
        ::unlink(side.c_str());
        return false;
    }
    return true;
}

CLogFile::~CLogFile() { Close(); }

bool CLogFile::Fail(const char* what, int error) {
    m_error = std::string(what) + " (" + std::strerror(error) + ")";
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    return false;
}

bool CLogFile::Open(const std::string& path, EMode mode) {
    Close();
    m_error.clear();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == EMode::TRUNCATE ? O_TRUNC : O_APPEND);
    m_fd = ::open(path.c_str(), flags, 0666);
    if (m_fd < 0) {
        return Fail("cannot be written", errno);
    }
    return true;
}

bool CLogFile::Write(const std::string& text) {
    if (m_fd < 0) {
        return false;
    }
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    if (!WriteAll(m_fd, text.data(), text.size())) {
        const int error = errno;
        // What part of the text reached the file is taken back: the file ends with whole writes.
        if (end >= 0) {
            static_cast<void>(::ftruncate(m_fd, end));
        }
        return Fail("writing failed", error);
    }
    return true;
}

bool CLogFile::Close() {
    if (m_fd < 0) {
        return m_error.empty();
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        return Fail("writing failed", errno);
    }
    return true;
}

} // namespace platform
