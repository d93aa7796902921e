#include "roadscout.h"

#include <algorithm>
#include <new>
#include <optional>

#include "paths/serverpath.h"
#include "paths/serverroad.h"
#include "runtime/thread.h"

namespace {

constexpr UINT kAnswered = WM_APP + 1;
const wchar_t kClassName[] = L"TessiverRoadScout";

// A text that cannot be looked at (memory ran out) names nothing to read ahead for.
services::ServerFiles Resolve(const std::wstring& text) {
    try {
        return services::ResolveServers(services::SplitServerPaths(text));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool NamesA64BitServer(const services::ServerFiles& files) {
    return files && std::any_of(files->begin(), files->end(),
                                [](const auto& file) { return file.road == services::Road::Helper; });
}

}  // namespace

struct RoadScout::Shared {
    rt::Mutex lock;
    rt::Condition wake;
    std::optional<std::wstring> waiting;  // the latest text not yet looked at
    std::optional<std::wstring> found;    // the latest text found to name a 64-bit server
    RoadScout::Ahead ahead;
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
        const services::ServerFiles files = Resolve(*text);
        held.lock();
        // Told under the lock: once stop is set, nothing more reaches the window or the readers.
        if (shared.stop) return;
        // A text typed on meanwhile is read ahead for instead.
        if (files && !shared.waiting && shared.ahead) shared.ahead(files);
        if (NamesA64BitServer(files)) {
            shared.found.swap(text);
            PostMessageW(shared.window, kAnswered, 0, 0);
        }
    }
}

RoadScout::RoadScout(Found found, Ahead ahead)
    : found_(std::move(found)), shared_(std::make_shared<Shared>()) {
    shared_->ahead = std::move(ahead);
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
