#include "thread.h"

#include <memory>

#include "errnumbers.h"
#include "errors.h"

namespace rt {
namespace {

DWORD WINAPI Run(void* parameter) {
    const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

}  // namespace

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
