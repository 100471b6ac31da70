#include "platform/win32/win32.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win32/frame_clock.h"
#include "platform/win32/message_queue.h"
#include "platform/win32/utf8.h"

namespace {

enum class EHandleKind { kThread, kMutex };

// Every handle is one of these; the kind decides what Wait and Close mean. The kind is a plain
// tag so that the calls on the lock path (wait, release) dispatch without a run-time type check.
struct SHandleObject {
    explicit SHandleObject(EHandleKind handleKind) : kind(handleKind) {}
    virtual ~SHandleObject() = default;
    const EHandleKind kind;
};

struct SThreadObject {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    std::thread worker;

    DWORD Wait(DWORD milliseconds) {
        std::unique_lock<std::mutex> guard(lock);
        if (milliseconds == INFINITE) {
            done.wait(guard, [this] { return finished; });
            return WAIT_OBJECT_0;
        }
        return done.wait_for(guard, std::chrono::milliseconds(milliseconds), [this] { return finished; })
                   ? WAIT_OBJECT_0
                   : WAIT_TIMEOUT;
    }
};

// Thread state lives in a shared block so that closing the handle of a running thread is safe.
struct SThreadHandle : SHandleObject {
    SThreadHandle() : SHandleObject(EHandleKind::kThread) {}
    std::shared_ptr<SThreadObject> state;
};

struct SMutexHandle : SHandleObject {
    SMutexHandle() : SHandleObject(EHandleKind::kMutex) {}
    std::shared_ptr<std::recursive_timed_mutex> mutex;
    DWORD Wait(DWORD milliseconds) {
        if (milliseconds == INFINITE) {
            mutex->lock();
            return WAIT_OBJECT_0;
        }
        return mutex->try_lock_for(std::chrono::milliseconds(milliseconds)) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }
};

std::mutex g_namedLock;
std::map<std::wstring, std::weak_ptr<std::recursive_timed_mutex>>& NamedMutexes() {
    static std::map<std::wstring, std::weak_ptr<std::recursive_timed_mutex>> table;
    return table;
}

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

} // namespace

HANDLE CreateThread(SECURITY_ATTRIBUTES*, std::size_t, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD,
                    DWORD* threadId) {
    if (start == nullptr) {
        return nullptr;
    }
    auto handle = new SThreadHandle();
    handle->state = std::make_shared<SThreadObject>();
    const DWORD id = g_nextThreadId.fetch_add(1);
    if (threadId != nullptr) {
        *threadId = id;
    }
    std::shared_ptr<SThreadObject> state = handle->state;
    try {
        state->worker = std::thread([state, start, parameter, id] {
            t_threadId = id;
            start(parameter);
            std::lock_guard<std::mutex> guard(state->lock);
            state->finished = true;
            state->done.notify_all();
        });
        // The handle never joins: waiting goes through the finished flag, and closing a
        // handle must not block on a thread that may never end.
        state->worker.detach();
    } catch (const std::system_error&) {
        delete handle;
        return nullptr;
    }
    return handle;
}

BOOL CloseHandle(HANDLE handle) {
    if (handle == nullptr) {
        return FALSE;
    }
    delete static_cast<SHandleObject*>(handle);
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

DWORD GetCurrentThreadId() {
    if (t_threadId == 0) {
        t_threadId = g_nextThreadId.fetch_add(1);
    }
    return t_threadId;
}

HANDLE CreateMutexW(SECURITY_ATTRIBUTES*, BOOL initialOwner, LPCWSTR name) {
    auto handle = new SMutexHandle();
    if (name != nullptr && name[0] != L'\0') {
        std::lock_guard<std::mutex> guard(g_namedLock);
        auto& slot = NamedMutexes()[name];
        handle->mutex = slot.lock();
        if (!handle->mutex) {
            handle->mutex = std::make_shared<std::recursive_timed_mutex>();
            slot = handle->mutex;
        }
    } else {
        handle->mutex = std::make_shared<std::recursive_timed_mutex>();
    }
    if (initialOwner) {
        handle->mutex->lock();
    }
    return handle;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    if (handle == nullptr) {
        return WAIT_FAILED;
    }
    auto* object = static_cast<SHandleObject*>(handle);
    if (object->kind == EHandleKind::kMutex) {
        return static_cast<SMutexHandle*>(object)->Wait(milliseconds);
    }
    return static_cast<SThreadHandle*>(object)->state->Wait(milliseconds);
}

BOOL ReleaseMutex(HANDLE handle) {
    auto* object = static_cast<SHandleObject*>(handle);
    if (object == nullptr || object->kind != EHandleKind::kMutex) {
        return FALSE;
    }
    static_cast<SMutexHandle*>(object)->mutex->unlock();
    return TRUE;
}

namespace {

LONGLONG RealCounter() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<LONGLONG>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

std::atomic<bool> g_frameClockSet{false};
std::atomic<LONGLONG> g_frameClockBase{0};
std::atomic<LONGLONG> g_frameClockNow{0};

} // namespace

namespace platform {

void SetFrameClock(double seconds) {
    if (!g_frameClockSet.load()) {
        g_frameClockBase = RealCounter();
    }
    g_frameClockNow = g_frameClockBase.load() + static_cast<LONGLONG>(seconds * 1e9);
    g_frameClockSet = true;
}

void ClearFrameClock() { g_frameClockSet = false; }

bool IsFixedStepRun() {
    static const bool fixed = [] {
        const char* text = std::getenv("TK_FIXED_DT");
        return text != nullptr && std::strtod(text, nullptr) > 0.0;
    }();
    return fixed;
}

} // namespace platform

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (count == nullptr) {
        return FALSE;
    }
    count->QuadPart = g_frameClockSet.load() ? g_frameClockNow.load() : RealCounter();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (frequency == nullptr) {
        return FALSE;
    }
    frequency->QuadPart = 1000000000LL;
    return TRUE;
}

DWORD GetTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<ULONGLONG>(now.tv_sec) * 1000u +
                              static_cast<ULONGLONG>(now.tv_nsec) / 1000000u);
}

void PostQuitMessage(int exitCode) { platform::PostThreadMessage(WM_QUIT, static_cast<WPARAM>(exitCode), 0); }

LRESULT DefWindowProcW(HWND, UINT, WPARAM, LPARAM) { return 0; }

HCURSOR SetCursor(HCURSOR cursor) {
    // The game only ever hides the system cursor over its window.
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_ShowCursor(cursor == nullptr ? SDL_DISABLE : SDL_ENABLE);
    }
    return nullptr;
}

int ShowCursor(BOOL show) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    }
    return show ? 0 : -1;
}

namespace {
SDL_Window* GameWindow() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return nullptr;
    }
    SDL_Window* window = SDL_GetMouseFocus();
    return window != nullptr ? window : SDL_GetKeyboardFocus();
}
} // namespace

BOOL GetCursorPos(POINT* point) {
    if (point == nullptr || GameWindow() == nullptr) {
        return FALSE;
    }
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    point->x = x;
    point->y = y;
    return TRUE;
}

BOOL ScreenToClient(HWND, POINT* point) {
    SDL_Window* window = GameWindow();
    if (point == nullptr || window == nullptr) {
        return FALSE;
    }
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window, &x, &y);
    point->x -= x;
    point->y -= y;
    return TRUE;
}

int MultiByteToWideChar(UINT, DWORD, LPCSTR source, int sourceLength, LPWSTR destination, int destinationLength) {
    if (source == nullptr) {
        return 0;
    }
    const std::size_t length = sourceLength < 0 ? std::strlen(source) + 1 : static_cast<std::size_t>(sourceLength);
    // UTF-8 is the ANSI code page here.
    const std::wstring out = platform::Utf8ToWide(source, length);
    if (destinationLength == 0) {
        return static_cast<int>(out.size());
    }
    if (destination == nullptr || static_cast<int>(out.size()) > destinationLength) {
        return 0;
    }
    std::wmemcpy(destination, out.data(), out.size());
    return static_cast<int>(out.size());
}

int WideCharToMultiByte(UINT, DWORD, LPCWSTR source, int sourceLength, char* destination, int destinationLength, LPCSTR,
                        BOOL* usedDefault) {
    if (source == nullptr) {
        return 0;
    }
    if (usedDefault != nullptr) {
        *usedDefault = FALSE;
    }
    const std::size_t length = sourceLength < 0 ? std::wcslen(source) + 1 : static_cast<std::size_t>(sourceLength);
    const std::string out = platform::WideToUtf8(source, length);
    if (destinationLength == 0) {
        return static_cast<int>(out.size());
    }
    if (destination == nullptr || static_cast<int>(out.size()) > destinationLength) {
        return 0;
    }
    std::memcpy(destination, out.data(), out.size());
    return static_cast<int>(out.size());
}
