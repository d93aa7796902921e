#include "roadscout.h"

#include <new>
#include <optional>

#include "serverpath.h"
#include "serverroad.h"
#include "thread.h"

namespace {

constexpr UINT kAnswered = WM_APP + 1;
const wchar_t kClassName[] = L"TessiverRoadScout";

// A text that cannot be looked at (memory ran out) names no 64-bit server.
bool NamesA64BitServer(const std::wstring& text) {
    try {
        for (const std::wstring& path : services::SplitServerPaths(text))
            if (services::ResolveServer(path).road == services::Road::Helper) return true;
    } catch (const std::bad_alloc&) {
    }
    return false;
}

}  // namespace

struct RoadScout::Shared {
    rt::Mutex lock;
    rt::Condition wake;
    std::optional<std::wstring> waiting;  // the latest text not yet looked at
    std::optional<std::wstring> found;    // the latest text found to name a 64-bit server
    HWND window = nullptr;
    bool stop = false;
};

// Looks at each latest text until told to stop.
void RoadScout::Scout(Shared& shared) {
    std::unique_lock<rt::Mutex> held(shared.lock);
    for (;;) {
        shared.wake.Wait(held, [&] { return shared.stop || shared.waiting; });
        if (shared.stop) return;
        std::optional<std::wstring> text;
        text.swap(shared.waiting);
        held.unlock();
        const bool found = NamesA64BitServer(*text);
        held.lock();
        // Posted under the lock: once stop is set, nothing more reaches the window.
        if (found && !shared.stop) {
            shared.found.swap(text);
            PostMessageW(shared.window, kAnswered, 0, 0);
        }
    }
}

RoadScout::RoadScout(std::function<void(const std::wstring& text)> found)
    : found_(std::move(found)), shared_(std::make_shared<Shared>()) {
    RegisterOwnClass(kClassName, nullptr);
    shared_->window = CreateBound(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
    // Nothing may leave the thread: a throw there would end the process.
    rt::Thread([shared = shared_]() noexcept {
        try {
            Scout(*shared);
        } catch (...) {
        }
    }).Detach();
}

RoadScout::~RoadScout() {
    const std::lock_guard<rt::Mutex> held(shared_->lock);
    shared_->stop = true;
    shared_->wake.NotifyAll();
}

void RoadScout::Look(const std::wstring& text) {
    const std::lock_guard<rt::Mutex> held(shared_->lock);
    shared_->waiting = text;
    shared_->wake.NotifyAll();
}

LRESULT RoadScout::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kAnswered) return DefWindowProcW(Window(), msg, wParam, lParam);
    std::optional<std::wstring> found;
    {
        const std::lock_guard<rt::Mutex> held(shared_->lock);
        found.swap(shared_->found);
    }
    if (found && found_) found_(*found);
    return 0;
}
