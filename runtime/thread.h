// Threads of the program's own on the system's primitives. std::thread and
// its mutexes bring a POSIX thread layer into the exe for what CreateThread,
// slim reader/writer locks and condition variables do directly.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>

#include "handles.h"

namespace rt {

// Runs a function on a thread of its own, started at once. Unlike
// std::thread, it is joined when it goes; Detach lets it run on unowned.
class Thread {
public:
    Thread() = default;
    // Raises "Out of memory" (7) when the system starts no thread.
    explicit Thread(std::function<void()> body);
    ~Thread() { Join(); }
    Thread(Thread&&) noexcept = default;
    Thread& operator=(Thread&& other) noexcept;

    bool Joinable() const { return static_cast<bool>(handle_); }
    // Waits until the function has returned; nothing when none runs.
    void Join();
    void Detach() { handle_.Reset(); }
    HANDLE Get() const { return handle_.Get(); }

private:
    Handle handle_;
};

// Runs body(0) to body(count - 1) at once and returns when all have: the
// first on the caller's thread, the others on the system's thread pool, whose
// idle threads serve again (a new thread costs a reading more than a few
// registry keys), each at the caller's priority. Any the pool does not take
// runs on the caller afterwards. `body` must not throw.
void RunTogether(DWORD count, const std::function<void(DWORD)>& body);

// An exclusive lock. The lower-case names are the ones std::lock_guard and
// std::unique_lock call, so they hold it as they hold a std::mutex.
class Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    void lock() { AcquireSRWLockExclusive(&lock_); }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    bool try_lock() { return TryAcquireSRWLockExclusive(&lock_) != FALSE; }
    SRWLOCK* Native() { return &lock_; }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

// Threads waiting, under a Mutex, for what another thread tells them.
class Condition {
public:
    Condition() = default;
    Condition(const Condition&) = delete;
    Condition& operator=(const Condition&) = delete;
    void NotifyOne() { WakeConditionVariable(&condition_); }
    void NotifyAll() { WakeAllConditionVariable(&condition_); }
    // Waits, the lock released meanwhile, until `ready()` holds or `timeoutMs`
    // has passed; what `ready()` says at the end.
    template <class Ready>
    bool Wait(std::unique_lock<Mutex>& held, Ready ready, DWORD timeoutMs = INFINITE) {
        const ULONGLONG start = GetTickCount64();
        while (!ready()) {
            const ULONGLONG waited = GetTickCount64() - start;
            if (timeoutMs != INFINITE && waited >= timeoutMs) return false;
            const DWORD left = timeoutMs == INFINITE ? INFINITE : static_cast<DWORD>(timeoutMs - waited);
            SleepConditionVariableSRW(&condition_, held.mutex()->Native(), left, 0);
        }
        return true;
    }

private:
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

}  // namespace rt
