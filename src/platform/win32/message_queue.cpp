#include "platform/win32/message_queue.h"

#include <deque>
#include <mutex>

namespace platform {
namespace {
std::mutex& QueueLock() {
    static std::mutex lock;
    return lock;
}
std::deque<SMessage>& Queue() {
    static std::deque<SMessage> queue;
    return queue;
}
} // namespace

void PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> guard(QueueLock());
    Queue().push_back(SMessage{message, wParam, lParam});
}

bool PeekMessage(SMessage& out) {
    std::lock_guard<std::mutex> guard(QueueLock());
    if (Queue().empty()) {
        return false;
    }
    out = Queue().front();
    Queue().pop_front();
    return true;
}

void ClearMessages() {
    std::lock_guard<std::mutex> guard(QueueLock());
    Queue().clear();
}

} // namespace platform
