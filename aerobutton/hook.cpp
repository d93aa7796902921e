#include "hook.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "runtime/basewindow.h"
#include "runtime/errors.h"
#include "runtime/ondemand.h"
#include "runtime/unhandled.h"

namespace aero {

struct WindowHooks;

struct HookBlock {
    HookFacility* facility = nullptr;
    WindowHooks* chain = nullptr;
    HWND hWnd = nullptr;
    HookCallback callback;
    long userValue = 0;
    MessageTable before;
    MessageTable after;
    bool released = false;

    void MarkReleased() {
        released = true;
        TableRemoveMessage(ALL_MESSAGES, before);
        TableRemoveMessage(ALL_MESSAGES, after);
    }
    // `below`: the blocks installed before this one, which see the message after it.
    LRESULT Pass(size_t below, UINT msg, WPARAM wParam, LPARAM lParam);
    // The window is going: its hook goes with it, whether released or not.
    void WindowGone() {
        if (released) return;
        facility->Forget(this);
        MarkReleased();
    }
};

// Every facility's hooks on one window share one chain: the runtime's message
// filter on its own windows, else one subclass. The platform finds a window's
// subclasses anew for each message and each subclass, a round trip apiece on
// some systems, and a form carries a hook for each of its buttons. The chain
// keeps the order separate subclasses had: the last installed sees a message first.
struct WindowHooks final : rt::MessageFilter {
    HWND hWnd = nullptr;
    WNDPROC own = nullptr;                           // behind the runtime's filter; null on a subclass
    std::vector<std::unique_ptr<HookBlock>> blocks;  // in order of installation
    std::vector<size_t> inside;  // the block each message now inside has reached, innermost last
    // Messages inside; released blocks and the subclass go only when the outermost returns.
    int nInUse = 0;

    // Passes the message through blocks[0, count), newest first, then on to the window.
    LRESULT Link(size_t count, UINT msg, WPARAM wParam, LPARAM lParam) {
        for (size_t i = count; i-- > 0;) {
            if (blocks[i]->released) continue;
            inside.push_back(i);
            // Popped even when a handler fails: its error goes on to the window's guard.
            struct Inside {
                std::vector<size_t>& marks;
                ~Inside() { marks.pop_back(); }
            } mark{inside};
            return blocks[i]->Pass(i, msg, wParam, lParam);
        }
        return Past(msg, wParam, lParam);
    }
    // The window's own procedure (or whatever subclassed it before the chain).
    LRESULT Past(UINT msg, WPARAM wParam, LPARAM lParam) {
        return own ? own(hWnd, msg, wParam, lParam)
                   : rt::ondemand::DefSubclassProc(hWnd, msg, wParam, lParam);
    }
    LRESULT Filter(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DropReleased() {
        std::erase_if(blocks, [](const std::unique_ptr<HookBlock>& block) { return block->released; });
    }
};

namespace {

constexpr UINT_PTR kChainId = 1;

// "h" and the handle in decimal.
std::wstring RegistryKey(HWND hWnd) {
    return L"h" + std::to_wstring(static_cast<long>(reinterpret_cast<INT_PTR>(hWnd)));
}

LRESULT CALLBACK HookProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData);

// Once no message is inside: released blocks go, and the subclass with the last of them.
void Settle(WindowHooks* chain) {
    if (chain->nInUse != 0) return;
    chain->DropReleased();
    if (!chain->blocks.empty()) return;
    // The window held the chain (see ChainOf); with the subclass gone it is ours to end.
    const std::unique_ptr<WindowHooks> gone(chain);
    if (gone->own)
        rt::SetMessageFilter(gone->hWnd, nullptr);
    else
        rt::ondemand::RemoveWindowSubclass(gone->hWnd, HookProc, kChainId);
}

// Where a message of a window not of the runtime enters our code: its one guard.
LRESULT CALLBACK HookProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
    return rt::Guarded(
        [&] { return reinterpret_cast<WindowHooks*>(refData)->Filter(hWnd, msg, wParam, lParam); });
}

// The window's chain, made on first use; null when the window can be neither filtered nor subclassed.
WindowHooks* ChainOf(HWND hWnd) {
    if (auto* found = dynamic_cast<WindowHooks*>(rt::MessageFilterOf(hWnd))) return found;
    DWORD_PTR found = 0;
    if (rt::ondemand::GetWindowSubclass(hWnd, HookProc, kChainId, &found))
        return reinterpret_cast<WindowHooks*>(found);
    auto chain = std::make_unique<WindowHooks>();
    chain->hWnd = hWnd;
    chain->own = rt::SetMessageFilter(hWnd, chain.get());
    // Subclassing fails for a window of another thread, among others.
    if (!chain->own &&
        !rt::ondemand::SetWindowSubclass(hWnd, HookProc, kChainId, reinterpret_cast<DWORD_PTR>(chain.get())))
        return nullptr;
    return chain.release();  // held by the window's filter or subclass until Settle ends it
}

}  // namespace

LRESULT WindowHooks::Filter(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Settled even when a handler fails, as the message leaves the chain either way.
    struct InUse {
        WindowHooks* chain;
        UINT msg;
        ~InUse() {
            --chain->nInUse;
            if (msg == WM_NCDESTROY)
                for (const auto& block : chain->blocks) block->WindowGone();
            Settle(chain);
        }
    } inUse{this, msg};
    ++nInUse;
    return Link(blocks.size(), msg, wParam, lParam);
}

LRESULT HookBlock::Pass(size_t below, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT lReturn = 0;
    if (callback && TableHasMessage(before, static_cast<long>(msg))) {
        callback(true, handled, lReturn, hWnd, msg, wParam, lParam, userValue);
        if (handled) return lReturn;
    }
    lReturn = chain->Link(below, msg, wParam, lParam);
    // Released while the message was inside: no more callbacks.
    if (released) return lReturn;
    if (callback && TableHasMessage(after, static_cast<long>(msg))) {
        callback(false, handled, lReturn, hWnd, msg, wParam, lParam, userValue);
    }
    return lReturn;
}

void TableAddMessage(long msg, MessageTable& table) {
    long& count = table.entries[0];
    if (msg == ALL_MESSAGES) {
        count = ALL_MESSAGES;
        return;
    }
    // An every-message table restarts as a table of just this message.
    if (count < 0) count = 0;
    // A hole is reused even in a full table, and only once the whole table is
    // known not to hold the message already.
    long* hole = nullptr;
    for (long i = 1; i <= count; ++i) {
        if (table.entries[i] == msg) return;
        if (!hole && table.entries[i] == 0) hole = &table.entries[i];
    }
    if (hole) {
        *hole = msg;
    } else if (count < MessageTable::kCapacity) {
        table.entries[++count] = msg;
    }
}

void TableRemoveMessage(long msg, MessageTable& table) {
    long& count = table.entries[0];
    if (msg == ALL_MESSAGES) {
        count = 0;
        return;
    }
    for (long i = 1; i <= count; ++i) {
        if (table.entries[i] == msg) {
            table.entries[i] = 0;
            return;
        }
    }
}

bool TableHasMessage(const MessageTable& table, long msg) {
    const long count = table.entries[0];
    if (count < 0) return true;
    const long* first = table.entries + 1;
    return std::find(first, first + count, msg) != first + count;
}

HookFacility::HookFacility(HookCallback ownerCallback) : ownerCallback_(std::move(ownerCallback)) {}

HookFacility::~HookFacility() {
    rt::Suppress([this] { UnhookAll(); });
}

bool HookFacility::HookWindow(HWND hWnd, long userValue, HookCallback callback) {
    if (!IsWindow(hWnd)) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(hWnd, &process);
    if (process != GetCurrentProcessId()) return false;
    if (!callback) callback = ownerCallback_;
    if (!callback) return false;
    hasRegistry_ = true;
    if (FindHookBlock(hWnd)) return false;

    WindowHooks* chain = ChainOf(hWnd);
    if (!chain) return false;
    auto block = std::make_unique<HookBlock>();
    block->facility = this;
    block->chain = chain;
    block->hWnd = hWnd;
    block->callback = std::move(callback);
    block->userValue = userValue;
    registry_.emplace_back(RegistryKey(hWnd), block.get());
    chain->blocks.push_back(std::move(block));
    return true;
}

HookBlock* HookFacility::FindHookBlock(HWND hWnd) const {
    const std::wstring key = RegistryKey(hWnd);
    for (const auto& entry : registry_) {
        if (entry.first == key) return entry.second;
    }
    return nullptr;
}

void HookFacility::AddHookMessage(HWND hWnd, long msg, long when) {
    HookBlock* block = FindHookBlock(hWnd);
    if (!block) return;
    if (when & HOOK_BEFORE) TableAddMessage(msg, block->before);
    if (when & HOOK_AFTER) TableAddMessage(msg, block->after);
}

void HookFacility::RemoveHookMessage(HWND hWnd, long msg, long when) {
    HookBlock* block = FindHookBlock(hWnd);
    if (!block) return;
    if (when & HOOK_BEFORE) TableRemoveMessage(msg, block->before);
    if (when & HOOK_AFTER) TableRemoveMessage(msg, block->after);
}

LRESULT HookFacility::CallPreviousProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const HookBlock* block = FindHookBlock(hWnd);
    if (!block) return 0;
    // Inside a hooked message this is what comes after the current hook;
    // outside one the platform goes straight to the window's own procedure.
    WindowHooks* chain = block->chain;
    if (chain->inside.empty()) return chain->Past(msg, wParam, lParam);
    return chain->Link(chain->inside.back(), msg, wParam, lParam);
}

long HookFacility::GetHookUserValue(HWND hWnd) const {
    const HookBlock* block = FindHookBlock(hWnd);
    return block ? block->userValue : 0;
}

void HookFacility::SetHookUserValue(HWND hWnd, long value) {
    if (HookBlock* block = FindHookBlock(hWnd)) block->userValue = value;
}

void HookFacility::UnhookWindow(HWND hWnd) {
    if (!hasRegistry_) return;
    const std::wstring key = RegistryKey(hWnd);
    const auto entry = std::find_if(registry_.begin(), registry_.end(),
                                    [&key](const auto& item) { return item.first == key; });
    if (entry == registry_.end())
        rt::Raise(rt::errnum::InvalidCall, L"HookFacility", L"Invalid procedure call or argument");
    HookBlock* block = entry->second;
    registry_.erase(entry);
    block->MarkReleased();
    // Not inside any of its window's messages: nothing is left to return through it.
    Settle(block->chain);
}

void HookFacility::UnhookAll() {
    if (!hasRegistry_) return;
    while (!registry_.empty()) UnhookWindow(registry_.back().second->hWnd);
    hasRegistry_ = false;
}

void HookFacility::Forget(const HookBlock* block) {
    registry_.erase(std::remove_if(registry_.begin(), registry_.end(),
                                   [block](const auto& item) { return item.second == block; }),
                    registry_.end());
}

}  // namespace aero
