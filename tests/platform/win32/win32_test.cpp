#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <thread>

#include "platform/win32/message_queue.h"
#include "platform/win32/win32.h"

namespace {

struct SGate {
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
};

DWORD WaitAtGate(LPVOID parameter) {
    auto* gate = static_cast<SGate*>(parameter);
    while (!gate->release.load()) {
        Sleep(1);
    }
    gate->finished.store(true);
    return 0;
}

TEST(Win32Threads, WaitSeesTheThreadEnd) {
    SGate gate;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObject(thread, 10), WAIT_TIMEOUT);
    gate.release.store(true);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(gate.finished.load());
    EXPECT_EQ(CloseHandle(thread), TRUE);
}

TEST(Win32Threads, ClosingTheHandleOfARunningThreadLetsItFinish) {
    SGate gate;
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(CloseHandle(thread), TRUE);
    gate.release.store(true);
    for (int i = 0; i < 5000 && !gate.finished.load(); ++i) {
        Sleep(1);
    }
    EXPECT_TRUE(gate.finished.load());
    // The detached thread's last steps touch only its own shared state; give them time to end.
    Sleep(20);
}

TEST(Win32Threads, NoStartRoutineGivesNoThread) {
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
}

DWORD TryLock(HANDLE mutex) {
    DWORD result = 0;
    std::thread other([&] {
        result = WaitForSingleObject(mutex, 0);
        if (result == WAIT_OBJECT_0) {
            ReleaseMutex(mutex);
        }
    });
    other.join();
    return result;
}

TEST(Win32Mutexes, SameNameIsTheSameRecursiveMutex) {
    HANDLE first = CreateMutexW(nullptr, FALSE, L"Event System");
    HANDLE second = CreateMutexW(nullptr, FALSE, L"Event System");
    HANDLE other = CreateMutexW(nullptr, FALSE, L"Another Lock");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(WaitForSingleObject(first, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0) << "recursive for the owning thread";
    EXPECT_EQ(TryLock(second), WAIT_TIMEOUT);
    EXPECT_EQ(TryLock(other), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(second));
    EXPECT_EQ(TryLock(first), WAIT_TIMEOUT) << "still held once";
    EXPECT_TRUE(ReleaseMutex(first));
    EXPECT_EQ(TryLock(first), WAIT_OBJECT_0);
    CloseHandle(first);
    CloseHandle(second);
    CloseHandle(other);
}

TEST(Win32Mutexes, ReleaseRefusesAHandleThatIsNoMutex) {
    SGate gate;
    gate.release.store(true);
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_FALSE(ReleaseMutex(thread));
    EXPECT_FALSE(ReleaseMutex(nullptr));
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    CloseHandle(thread);
}

TEST(Win32Mutexes, InitialOwnerHoldsTheMutex) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    EXPECT_EQ(TryLock(mutex), WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(TryLock(mutex), WAIT_OBJECT_0);
    CloseHandle(mutex);
}

TEST(Win32Time, PerformanceCounterIsMonotonicAtItsFrequency) {
    LARGE_INTEGER frequency{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_GT(frequency.QuadPart, 0);
    LARGE_INTEGER before{};
    LARGE_INTEGER after{};
    const DWORD ticksBefore = GetTickCount();
    ASSERT_TRUE(QueryPerformanceCounter(&before));
    for (int i = 0; i < 1000; ++i) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        ASSERT_GE(now.QuadPart, before.QuadPart);
    }
    Sleep(30);
    QueryPerformanceCounter(&after);
    EXPECT_GE(static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart), 0.02);
    EXPECT_GE(GetTickCount() - ticksBefore, 20u);
}

TEST(Win32Messages, QuitIsPostedWithItsCode) {
    platform::ClearMessages();
    PostQuitMessage(7);
    platform::SMessage message{};
    ASSERT_TRUE(platform::PeekMessage(message));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_FALSE(platform::PeekMessage(message));
}

TEST(Win32Text, MultiByteToWideChar) {
    std::setlocale(LC_ALL, "C.UTF-8");
    struct SCase {
        const char* source;
        int sourceLength;
        std::wstring expected;
    };
    const SCase cases[] = {
        {"Tumbo", -1, std::wstring(L"Tumbo") + L'\0'},
        {"Tumbo", 3, L"Tum"},
        {"", -1, std::wstring(1, L'\0')},
        {"caf\xC3\xA9", 5, L"caf\u00e9"},
    };
    for (const SCase& c : cases) {
        const int needed = MultiByteToWideChar(CP_ACP, 0, c.source, c.sourceLength, nullptr, 0);
        ASSERT_EQ(needed, static_cast<int>(c.expected.size())) << c.source;
        std::wstring out(static_cast<std::size_t>(needed), L'x');
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, c.source, c.sourceLength, out.data(), needed), needed);
        EXPECT_EQ(out, c.expected) << c.source;
    }
    wchar_t small[2];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Kelvo", -1, small, 2), 0) << "too small a buffer";
    std::setlocale(LC_ALL, "C");
}

// UTF-8 is the ANSI code page whatever the C locale; a stray byte becomes U+FFFD.
TEST(Win32Text, MultiByteToWideCharDecodesUtf8InTheCLocale) {
    std::setlocale(LC_ALL, "C");
    wchar_t out[8] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "caf\xC3\xA9", 5, out, 8), 4);
    EXPECT_EQ(out[3], L'\u00e9');
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0,
                                  "a\xFF"
                                  "b",
                                  3, out, 8),
              3);
    EXPECT_EQ(out[1], L'\ufffd');
    char back[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"caf\u00e9", 4, back, 8, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(back, 5), "caf\xC3\xA9");
}

} // namespace
