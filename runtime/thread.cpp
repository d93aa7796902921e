#include "thread.h"

#include <atomic>
#include <memory>
#include <vector>

#include "errnumbers.h"
#include "errors.h"

namespace rt {
namespace {

DWORD WINAPI Run(void* parameter) {
    const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

// One call of a RunTogether on the pool: its part, and the count of calls still out.
struct TogetherPart {
    const std::function<void(DWORD)>* body;
    DWORD index;
    int priority;
    std::atomic<DWORD>* out;
    HANDLE allIn;
};

void CALLBACK RunPart(PTP_CALLBACK_INSTANCE, void* parameter) {
    const TogetherPart& part = *static_cast<TogetherPart*>(parameter);
    const HANDLE self = GetCurrentThread();
    const int own = GetThreadPriority(self);
    SetThreadPriority(self, part.priority);
    (*part.body)(part.index);
    SetThreadPriority(self, own);
    if (--*part.out == 0) SetEvent(part.allIn);
}

}  // namespace

void RunTogether(DWORD count, const std::function<void(DWORD)>& body) {
    if (count == 0) return;
    const Handle allIn(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<DWORD> out{0};
    std::vector<TogetherPart> parts;
    parts.reserve(count);
    const int priority = GetThreadPriority(GetCurrentThread());
    DWORD taken = 1;
    if (allIn) {
        out = count - 1;
        for (; taken < count; ++taken) {
            parts.push_back({&body, taken, priority, &out, allIn.Get()});
            if (!TrySubmitThreadpoolCallback(&RunPart, &parts.back(), nullptr)) {
                parts.pop_back();
                break;
            }
        }
        // What the pool did not take is not waited for.
        if ((out -= count - taken) == 0) SetEvent(allIn.Get());
    }
    body(0);
    for (DWORD i = taken; i < count; ++i) body(i);
    if (allIn) WaitForSingleObject(allIn.Get(), INFINITE);
}

Thread::Thread(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    handle_.Reset(CreateThread(nullptr, 0, &Run, owned.get(), 0, nullptr));
    if (!handle_) Raise(errnum::OutOfMemory, L"Thread", L"Out of memory");
    owned.release();  // the thread frees it
}

Thread& Thread::operator=(Thread&& other) noexcept {
    if (this != &other) {
        Join();
        handle_ = std::move(other.handle_);
    }
    return *this;
}

void Thread::Join() {
    if (handle_) WaitForSingleObject(handle_.Get(), INFINITE);
    handle_.Reset();
}

}  // namespace rt
