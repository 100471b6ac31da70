// The Win32 surface the game calls: base types, window messages, virtual keys, threads, named
// mutexes, the performance counter and cursor calls. Handles are opaque pointers owned by the
// caller and released with CloseHandle; every call is safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = int;
using FLOAT = float;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using WCHAR = wchar_t;
using CHAR = char;
using LPCWSTR = const wchar_t*;
using LPWSTR = wchar_t*;
using LPCSTR = const char*;
using LPVOID = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HRESULT = std::int32_t;
using HANDLE = void*;
using ATOM = WORD;

struct HWND__;
struct HINSTANCE__;
struct HICON__;
struct HMENU__;
struct HCURSOR__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HICON = HICON__*;
using HMENU = HMENU__*;
using HCURSOR = HCURSOR__*;

struct LARGE_INTEGER {
    LONGLONG QuadPart;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// Window messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;

// Mouse-message key state bits (wParam of mouse messages).
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

inline constexpr LPARAM MAKELPARAM(int lo, int hi) {
    return static_cast<LPARAM>((static_cast<DWORD>(lo) & 0xFFFFu) | ((static_cast<DWORD>(hi) & 0xFFFFu) << 16));
}
inline constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<short>(lp & 0xFFFF); }
inline constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<short>((lp >> 16) & 0xFFFF); }
inline constexpr WORD LOWORD(DWORD v) { return static_cast<WORD>(v & 0xFFFFu); }
inline constexpr WORD HIWORD(DWORD v) { return static_cast<WORD>((v >> 16) & 0xFFFFu); }

// Virtual keys. Letters and digits are their upper-case ASCII codes.
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_PAUSE = 0x13;
constexpr WPARAM VK_CAPITAL = 0x14;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_PRIOR = 0x21;
constexpr WPARAM VK_NEXT = 0x22;
constexpr WPARAM VK_END = 0x23;
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_INSERT = 0x2D;
constexpr WPARAM VK_DELETE = 0x2E;
constexpr WPARAM VK_NUMPAD0 = 0x60;
constexpr WPARAM VK_MULTIPLY = 0x6A;
constexpr WPARAM VK_ADD = 0x6B;
constexpr WPARAM VK_SUBTRACT = 0x6D;
constexpr WPARAM VK_DECIMAL = 0x6E;
constexpr WPARAM VK_DIVIDE = 0x6F;
constexpr WPARAM VK_F1 = 0x70;
constexpr WPARAM VK_F12 = 0x7B;
constexpr WPARAM VK_NUMLOCK = 0x90;
constexpr WPARAM VK_SCROLL = 0x91;
constexpr WPARAM VK_OEM_1 = 0xBA;
constexpr WPARAM VK_OEM_PLUS = 0xBB;
constexpr WPARAM VK_OEM_COMMA = 0xBC;
constexpr WPARAM VK_OEM_MINUS = 0xBD;
constexpr WPARAM VK_OEM_PERIOD = 0xBE;
constexpr WPARAM VK_OEM_2 = 0xBF;
constexpr WPARAM VK_OEM_3 = 0xC0;
constexpr WPARAM VK_OEM_4 = 0xDB;
constexpr WPARAM VK_OEM_5 = 0xDC;
constexpr WPARAM VK_OEM_6 = 0xDD;
constexpr WPARAM VK_OEM_7 = 0xDE;

// Threads.
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);
struct SECURITY_ATTRIBUTES;

HANDLE CreateThread(SECURITY_ATTRIBUTES* attributes, std::size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, DWORD* threadId);
BOOL CloseHandle(HANDLE handle);
void Sleep(DWORD milliseconds);
DWORD GetCurrentThreadId();

// Named mutexes: the same name gives the same mutex within the process. They are recursive,
// as Win32 mutexes are for their owning thread.
HANDLE CreateMutexW(SECURITY_ATTRIBUTES* attributes, BOOL initialOwner, LPCWSTR name);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL ReleaseMutex(HANDLE handle);

// Time.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
DWORD GetTickCount();

// Window and cursor calls that the framework's window answers.
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HCURSOR SetCursor(HCURSOR cursor);
int ShowCursor(BOOL show);
// The pointer in desktop coordinates, and desktop coordinates made relative to the game's window
// (the one window there is); FALSE before video starts or without a window.
BOOL GetCursorPos(POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);

// Text conversion: the ANSI code page is taken to be UTF-8.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength, LPWSTR destination,
                        int destinationLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength, char* destination,
                        int destinationLength, LPCSTR defaultChar, BOOL* usedDefault);
