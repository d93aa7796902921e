// The window hook facility on real windows: message tables, refusals, chains of
// several facilities on one window, and release from inside a nested message.
#include "hook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"

namespace {

constexpr UINT kAnswer = WM_APP + 1;  // the window's own procedure returns 1234
constexpr UINT kNested = WM_APP + 2;
constexpr LRESULT kOwnResult = 1234;

int ownProcCalls = 0;

LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kAnswer || msg == kNested) {
        ++ownProcCalls;
        return kOwnResult;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A message-only window with a Unicode procedure; destroyed with the object.
class PlainWindow {
public:
    PlainWindow() {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = OwnProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"HookTestWindow";
            return RegisterClassW(&wc);
        }();
        EXPECT_NE(atom, 0);
        hwnd_ = CreateWindowExW(0, L"HookTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(hwnd_, nullptr);
    }
    ~PlainWindow() { Destroy(); }
    void Destroy() {
        if (hwnd_) DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    HWND Get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

using Log = std::vector<std::string>;

// A callback that logs "<name> before|after <msg - WM_APP> <lReturn>" and
// counts its calls in the hook's user value.
aero::HookCallback Recorder(Log& log, const std::string& name) {
    return [&log, name](bool before, bool&, LRESULT& lReturn, HWND, UINT msg, WPARAM, LPARAM, long& userValue) {
        log.push_back(name + (before ? " before " : " after ") + std::to_string(msg - WM_APP) + " " +
                      std::to_string(lReturn));
        ++userValue;
    };
}

TEST(MessageTable, AddKeepsThirtyTwoReusesHolesAndNeverDuplicates) {
    aero::MessageTable t;
    for (long m = 1; m <= 33; ++m) aero::TableAddMessage(100 + m, t);
    EXPECT_EQ(t.entries[0], 32);
    EXPECT_TRUE(aero::TableHasMessage(t, 132));
    EXPECT_FALSE(aero::TableHasMessage(t, 133));

    // A removed message leaves a hole that the next one fills, even in a full table.
    aero::TableRemoveMessage(105, t);
    EXPECT_EQ(t.entries[0], 32);
    EXPECT_EQ(t.entries[5], 0);
    EXPECT_FALSE(aero::TableHasMessage(t, 105));
    aero::TableAddMessage(133, t);
    EXPECT_EQ(t.entries[5], 133);
    EXPECT_EQ(t.entries[0], 32);

    // A message already present after a hole is not added a second time.
    aero::TableRemoveMessage(102, t);
    aero::TableAddMessage(120, t);
    EXPECT_EQ(t.entries[2], 0);

    // Every message, then one message: just that one.
    aero::TableAddMessage(aero::ALL_MESSAGES, t);
    EXPECT_TRUE(aero::TableHasMessage(t, 999));
    aero::TableAddMessage(7, t);
    EXPECT_EQ(t.entries[0], 1);
    EXPECT_TRUE(aero::TableHasMessage(t, 7));
    EXPECT_FALSE(aero::TableHasMessage(t, 999));
    aero::TableRemoveMessage(aero::ALL_MESSAGES, t);
    EXPECT_FALSE(aero::TableHasMessage(t, 7));
}

TEST(HookFacility, RefusesQuietlyAndKeepsTheFirstHook) {
    Log log;
    aero::HookFacility hooks(Recorder(log, "a"));
    PlainWindow w;
    PlainWindow gone;
    const HWND goneHandle = gone.Get();
    gone.Destroy();

    EXPECT_FALSE(hooks.HookWindow(goneHandle));
    EXPECT_FALSE(hooks.HookWindow(GetDesktopWindow()));  // another process's window under this system
    ASSERT_TRUE(hooks.HookWindow(w.Get(), 7));
    EXPECT_FALSE(hooks.HookWindow(w.Get(), 9, Recorder(log, "second")));
    EXPECT_EQ(hooks.GetHookUserValue(w.Get()), 7);

    hooks.AddHookMessage(w.Get(), kAnswer, aero::HOOK_AFTER);
    EXPECT_EQ(SendMessageW(w.Get(), kAnswer, 0, 0), kOwnResult);
    EXPECT_EQ(log, (Log{"a after 1 1234"}));
    EXPECT_EQ(hooks.GetHookUserValue(w.Get()), 8);

    // Releasing a window this facility never hooked is an error once a registry exists.
    hooks.UnhookWindow(w.Get());
    EXPECT_TRUE(rt::Suppress([&] { hooks.UnhookWindow(w.Get()); }));
    EXPECT_EQ(rt::Err().Number, 5);
    hooks.UnhookAll();
    EXPECT_FALSE(hooks.HasRegistry());
    EXPECT_FALSE(rt::Suppress([&] { hooks.UnhookWindow(w.Get()); }));
}

TEST(HookFacility, BeforeMayHandleAfterSeesTheResultUnchanged) {
    Log log;
    PlainWindow w;
    aero::HookFacility hooks(Recorder(log, "a"));
    ASSERT_TRUE(hooks.HookWindow(w.Get()));
    hooks.AddHookMessage(w.Get(), kAnswer, aero::HOOK_BEFORE | aero::HOOK_AFTER);

    ownProcCalls = 0;
    EXPECT_EQ(SendMessageW(w.Get(), kAnswer, 0, 0), kOwnResult);
    EXPECT_EQ(log, (Log{"a before 1 0", "a after 1 1234"}));
    EXPECT_EQ(ownProcCalls, 1);

    // A before-callback that handles the message keeps it from the hooks
    // inside and from the window, unless it calls on past them itself.
    bool callOn = false;
    aero::HookFacility* self = nullptr;
    aero::HookFacility handler([&](bool before, bool& handled, LRESULT& lReturn, HWND hwnd, UINT msg, WPARAM wParam,
                                   LPARAM lParam, long&) {
        if (!before) return;
        handled = true;
        lReturn = callOn ? self->CallPreviousProc(hwnd, msg, wParam, lParam) + 1 : 55;
    });
    self = &handler;
    ASSERT_TRUE(handler.HookWindow(w.Get()));
    handler.AddHookMessage(w.Get(), kAnswer, aero::HOOK_BEFORE);
    log.clear();
    EXPECT_EQ(SendMessageW(w.Get(), kAnswer, 0, 0), 55);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(ownProcCalls, 1);
    callOn = true;
    EXPECT_EQ(SendMessageW(w.Get(), kAnswer, 0, 0), kOwnResult + 1);
    EXPECT_EQ(log, (Log{"a before 1 0", "a after 1 1234"}));
    EXPECT_EQ(ownProcCalls, 2);

    handler.RemoveHookMessage(w.Get(), kAnswer, aero::HOOK_BEFORE);
    EXPECT_EQ(SendMessageW(w.Get(), kAnswer, 0, 0), kOwnResult);
    EXPECT_EQ(ownProcCalls, 3);
    handler.UnhookAll();
    EXPECT_EQ(handler.CallPreviousProc(w.Get(), kAnswer, 0, 0), 0);  // no hook, no call
    EXPECT_EQ(ownProcCalls, 3);
}

TEST(HookFacility, ChainOfInstancesSurvivesReleaseInTheMiddle) {
    Log log;
    PlainWindow w;
    std::vector<std::unique_ptr<aero::HookFacility>> chain;
    for (int i = 1; i <= 6; ++i) {
        chain.push_back(std::make_unique<aero::HookFacility>(Recorder(log, std::to_string(i))));
        ASSERT_TRUE(chain.back()->HookWindow(w.Get()));
        chain.back()->AddHookMessage(w.Get(), kAnswer, aero::HOOK_BEFORE | aero::HOOK_AFTER);
    }
    // The last installed is outermost.
    EXPECT_EQ(SendMessageW(w.Get(), kAnswer, 0, 0), kOwnResult);
    EXPECT_EQ(log, (Log{"6 before 1 0", "5 before 1 0", "4 before 1 0", "3 before 1 0", "2 before 1 0",
                        "1 before 1 0", "1 after 1 1234", "2 after 1 1234", "3 after 1 1234",
                        "4 after 1 1234", "5 after 1 1234", "6 after 1 1234"}));

    chain[2]->UnhookAll();
    chain[4].reset();  // a facility that goes releases its hooks too
    log.clear();
    EXPECT_EQ(SendMessageW(w.Get(), kAnswer, 0, 0), kOwnResult);
    EXPECT_EQ(log, (Log{"6 before 1 0", "4 before 1 0", "2 before 1 0", "1 before 1 0", "1 after 1 1234",
                        "2 after 1 1234", "4 after 1 1234", "6 after 1 1234"}));

    // The window going takes its hooks with it; the registries forget them.
    const HWND handle = w.Get();
    ASSERT_NE(chain[0]->FindHookBlock(handle), nullptr);
    w.Destroy();
    for (auto& hooks : chain) {
        if (!hooks) continue;
        EXPECT_EQ(hooks->FindHookBlock(handle), nullptr);
        EXPECT_FALSE(rt::Suppress([&] { hooks->UnhookAll(); }));
    }
}

TEST(HookFacility, ReleaseFromInsideANestedMessage) {
    Log log;
    PlainWindow w;
    aero::HookFacility* self = nullptr;
    aero::HookFacility hooks(
        [&](bool before, bool&, LRESULT& lReturn, HWND hwnd, UINT msg, WPARAM, LPARAM, long&) {
            log.push_back(std::string(before ? "before " : "after ") + std::to_string(msg - WM_APP));
            if (msg == kAnswer && before) {
                // The nested message releases the hook while the outer one is still inside it.
                EXPECT_EQ(SendMessageW(hwnd, kNested, 0, 0), kOwnResult);
            } else if (msg == kNested) {
                self->UnhookWindow(hwnd);
                lReturn = 0;
            }
        });
    self = &hooks;
    ASSERT_TRUE(hooks.HookWindow(w.Get()));
    hooks.AddHookMessage(w.Get(), aero::ALL_MESSAGES, aero::HOOK_BEFORE | aero::HOOK_AFTER);

    ownProcCalls = 0;
    EXPECT_EQ(SendMessageW(w.Get(), kAnswer, 0, 0), kOwnResult);
    EXPECT_EQ(log, (Log{"before 1", "before 2"}));  // no after-callback once released
    EXPECT_EQ(ownProcCalls, 2);
    EXPECT_EQ(hooks.FindHookBlock(w.Get()), nullptr);

    // The subclass is gone: the window runs on unobserved, and can be hooked anew.
    log.clear();
    EXPECT_EQ(SendMessageW(w.Get(), kAnswer, 0, 0), kOwnResult);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(hooks.HookWindow(w.Get()));
}

}  // namespace
