// A full disk for the length of a scope: no file this process writes may grow past `bytes`
// (writes beyond fail with EFBIG, and the signal that would end the process is ignored).
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace tktest {

class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_handler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    sighandler_t m_handler = SIG_DFL;
};

} // namespace tktest
