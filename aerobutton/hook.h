// A per-instance window hook facility on the platform's subclassing support:
// any number of windows, each with a table of messages observed before and a
// table observed after the window's previous procedure.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace aero {

constexpr long ALL_MESSAGES = -1;
constexpr long HOOK_BEFORE = 1;
constexpr long HOOK_AFTER = 2;

// Entry 0 is the count: 0 none, negative every message, n entries 1..n in use.
// A removed message leaves a hole (0) and the count unchanged.
struct MessageTable {
    static constexpr int kCapacity = 32;
    long entries[kCapacity + 1] = {};
};

void TableAddMessage(long msg, MessageTable& table);
void TableRemoveMessage(long msg, MessageTable& table);
bool TableHasMessage(const MessageTable& table, long msg);

// Called for an observed message. Before the previous procedure, setting
// handled returns lReturn at once; after it, lReturn holds its result.
using HookCallback = std::function<void(bool before, bool& handled, LRESULT& lReturn, HWND hWnd, UINT uMsg,
                                        WPARAM wParam, LPARAM lParam, long& userValue)>;

struct HookBlock;

class HookFacility {
public:
    // The callback used when HookWindow is given none: the owner's.
    explicit HookFacility(HookCallback ownerCallback);
    // Releases whatever is still hooked, so no block calls back into a dead owner.
    ~HookFacility();
    HookFacility(const HookFacility&) = delete;
    HookFacility& operator=(const HookFacility&) = delete;

    // False, leaving nothing behind, when hWnd is not a window, belongs to
    // another process, or is already hooked by this facility.
    bool HookWindow(HWND hWnd, long userValue = 0, HookCallback callback = {});
    // when: HOOK_BEFORE, HOOK_AFTER or both. Nothing when the window has no hook.
    void AddHookMessage(HWND hWnd, long msg, long when);
    void RemoveHookMessage(HWND hWnd, long msg, long when);
    // The next procedure in the window's chain; 0 when the window has no hook.
    LRESULT CallPreviousProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    long GetHookUserValue(HWND hWnd) const;
    void SetHookUserValue(HWND hWnd, long value);
    // Stops all callbacks for the window at once; the subclass goes as soon as
    // no call through it is on the stack. Raises error 5 when the registry
    // exists but holds no hook for the window.
    void UnhookWindow(HWND hWnd);
    // Last hooked first, then drops the registry.
    void UnhookAll();
    // The window's hook, or null.
    HookBlock* FindHookBlock(HWND hWnd) const;

private:
    friend struct HookBlock;
    void Forget(const HookBlock* block);

    HookCallback ownerCallback_;
    bool hasRegistry_ = false;
    // In order of installation; a handful of entries at most. The window's
    // chain owns the blocks; the registry only finds them.
    std::vector<std::pair<std::wstring, HookBlock*>> registry_;
};

}  // namespace aero
