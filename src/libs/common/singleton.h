// Lazily created process-wide instances of manager classes. The first Instance() call constructs
// the object with its default constructor; every later call returns the same one, so Instance()
// never yields null. An allocation failure becomes common::COutOfMemException. Instance() is meant
// for the main thread; Destroy() exists for shutdown and tests, and Exists() for code that must
// not bring a destroyed manager back (teardown paths).
#pragma once

#include <new>

#include "libs/common/exceptions.h"

namespace common {

template <typename T>
class CSingleton {
public:
    static T& Instance() {
        if (s_instance == nullptr) {
            try {
                s_instance = new T();
            } catch (const std::bad_alloc&) {
                throw COutOfMemException(__FILE__, 48);
            }
        }
        return *s_instance;
    }

    static bool Exists() { return s_instance != nullptr; }

    static void Destroy() {
        delete s_instance;
        s_instance = nullptr;
    }

private:
    static inline T* s_instance = nullptr;
};

} // namespace common
