#include "roadscout.h"

#include <new>
#include <optional>
#include <utility>

#include "serverpath.h"
#include "serverroad.h"
#include "thread.h"

namespace {

constexpr UINT kAnswered = WM_APP + 1;
const wchar_t kClassName[] = L"TessiverRoadScout";

// A text that cannot be looked at (memory ran out) gives nothing to read ahead.
services::ServerFiles Resolve(const std::wstring& text) {
    try {
        return services::ResolveServers(services::SplitServerPaths(text));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

struct RoadScout::Shared {
    rt::Mutex lock;
    rt::Condition wake;
    std::optional<std::wstring> waiting;  // the latest text not yet looked at
    // The latest text resolved, and its files.
    std::optional<std::pair<std::wstring, services::ServerFiles>> resolved;
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
        services::ServerFiles files = Resolve(*text);
        held.lock();
        // Posted under the lock: once stop is set, nothing more reaches the window.
        if (files && !shared.stop) {
            shared.resolved.emplace(std::move(*text), std::move(files));
            PostMessageW(shared.window, kAnswered, 0, 0);
        }
    }
}

RoadScout::RoadScout(Resolved resolved)
    : resolved_(std::move(resolved)), shared_(std::make_shared<Shared>()) {
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
    std::optional<std::pair<std::wstring, services::ServerFiles>> resolved;
    {
        const std::lock_guard<rt::Mutex> held(shared_->lock);
        resolved.swap(shared_->resolved);
    }
    if (resolved && resolved_) resolved_(resolved->first, resolved->second);
    return 0;
}
