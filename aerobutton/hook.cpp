#include "hook.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "errors.h"
#include "unhandled.h"

namespace aero {

struct HookBlock {
    HookFacility* facility = nullptr;
    HWND hWnd = nullptr;
    HookCallback callback;
    long userValue = 0;
    MessageTable before;
    MessageTable after;
    // Calls through this hook still on the stack; the subclass and the block go
    // only when the outermost one returns.
    int nInUse = 0;
    bool released = false;

    UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }
    void MarkReleased() {
        released = true;
        TableRemoveMessage(ALL_MESSAGES, before);
        TableRemoveMessage(ALL_MESSAGES, after);
    }
    LRESULT Pass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // The window is going: its hook goes with it, whether released or not.
    void WindowGone() {
        if (released) return;
        facility->Forget(this);
        MarkReleased();
    }
};

namespace {

// "h" and the handle in decimal.
std::wstring RegistryKey(HWND hWnd) {
    return L"h" + std::to_wstring(static_cast<long>(reinterpret_cast<INT_PTR>(hWnd)));
}

LRESULT CALLBACK HookProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
    auto* block = reinterpret_cast<HookBlock*>(refData);
    ++block->nInUse;
    // A handler's error stops here: the count must come down and the system's frames must not unwind.
    const LRESULT result = rt::Guarded([&] { return block->Pass(hWnd, msg, wParam, lParam); });
    --block->nInUse;
    if (msg == WM_NCDESTROY) block->WindowGone();
    if (block->released && block->nInUse == 0) {
        RemoveWindowSubclass(hWnd, HookProc, block->Id());
        delete block;
    }
    return result;
}

}  // namespace

LRESULT HookBlock::Pass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT lReturn = 0;
    if (callback && TableHasMessage(before, static_cast<long>(msg))) {
        callback(true, handled, lReturn, window, msg, wParam, lParam, userValue);
        if (handled) return lReturn;
    }
    lReturn = DefSubclassProc(window, msg, wParam, lParam);
    // Released while the message was inside: no more callbacks.
    if (released) return lReturn;
    if (callback && TableHasMessage(after, static_cast<long>(msg))) {
        callback(false, handled, lReturn, window, msg, wParam, lParam, userValue);
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

    auto block = std::make_unique<HookBlock>();
    block->facility = this;
    block->hWnd = hWnd;
    block->callback = std::move(callback);
    block->userValue = userValue;
    // Fails for a window of another thread, among others.
    if (!SetWindowSubclass(hWnd, HookProc, block->Id(), reinterpret_cast<DWORD_PTR>(block.get()))) return false;
    registry_.emplace_back(RegistryKey(hWnd), block.release());
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
    if (!FindHookBlock(hWnd)) return 0;
    // Inside a hooked message this is the procedure after the current hook;
    // outside one the platform goes straight to the window's own procedure.
    return DefSubclassProc(hWnd, msg, wParam, lParam);
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
    // Not inside any of its messages: nothing is left to return through it.
    if (block->nInUse == 0) {
        RemoveWindowSubclass(block->hWnd, HookProc, block->Id());
        delete block;
    }
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
