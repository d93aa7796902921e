// The window hook facility on real windows, both a foreign one (subclassed) and
// one of the runtime's own (filtered): message tables, refusals, chains of
// several facilities on one window, and release from inside a nested message.
#include "aerobutton/hook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/basewindow.h"
#include "runtime/errors.h"
#include "runtime/unhandled.h"
#include "window.h"

namespace {

constexpr UINT kAnswer = WM_APP + 1;  // the window's own procedure answers 1234
constexpr UINT kNested = WM_APP + 2;
int ownProcCalls = 0;

LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kAnswer && msg != kNested) return DefWindowProcW(hwnd, msg, wParam, lParam);
    ++ownProcCalls;
    return 1234;
}

// A window of the runtime's own kind, answering as OwnProc does.
class RuntimeWindow : private rt::BaseWindow<RuntimeWindow> {
public:
    static HWND Make() {
        static const bool registered = RegisterOwnClass(L"HookTestRuntimeWindow", nullptr);
        EXPECT_TRUE(registered);
        // Ends with its window.
        return (new RuntimeWindow)
            ->CreateBound(0, L"HookTestRuntimeWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
    }

private:
    friend class rt::BaseWindow<RuntimeWindow>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        return ::OwnProc(Window(), msg, wParam, lParam);
    }
    void OnWindowGone() { delete this; }
};

// A message-only window with a Unicode procedure: a foreign one, or the runtime's own.
HWND MakeWindow(bool runtimeKind) {
    if (runtimeKind) return RuntimeWindow::Make();
    EXPECT_NE(testkit::TestWindowClass(L"HookTestWindow", OwnProc), 0);
    return CreateWindowExW(0, L"HookTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

class HookFacility : public ::testing::TestWithParam<bool> {
protected:
    HWND MakeWindow() const { return ::MakeWindow(GetParam()); }
};

using Log = std::vector<std::string>;

// Logs "<name> before|after <msg - WM_APP> <lReturn>"; counts its calls in the user value.
aero::HookCallback Recorder(Log& log, const std::string& name) {
    return
        [&log, name](bool before, bool&, LRESULT& lReturn, HWND, UINT msg, WPARAM, LPARAM, long& userValue) {
            log.push_back(name + (before ? " before " : " after ") + std::to_string(msg - WM_APP) + " " +
                          std::to_string(lReturn));
            ++userValue;
        };
}

TEST(MessageTable, KeepsThirtyTwoReusesHolesAndNeverDuplicates) {
    aero::MessageTable t;
    for (long m = 101; m <= 133; ++m) aero::TableAddMessage(m, t);
    EXPECT_EQ(t.entries[0], 32);
    EXPECT_FALSE(aero::TableHasMessage(t, 133));
    aero::TableRemoveMessage(105, t);
    aero::TableAddMessage(133, t);  // the hole is reused even in a full table
    EXPECT_EQ(t.entries[5], 133);
    aero::TableRemoveMessage(102, t);
    aero::TableAddMessage(120, t);  // present after the hole: not added again
    EXPECT_EQ(t.entries[2], 0);
    EXPECT_EQ(t.entries[0], 32);

    aero::TableAddMessage(aero::ALL_MESSAGES, t);
    EXPECT_TRUE(aero::TableHasMessage(t, 999));
    aero::TableAddMessage(7, t);  // every message, then one: just that one
    EXPECT_EQ(t.entries[0], 1);
    EXPECT_FALSE(aero::TableHasMessage(t, 999));
}

TEST_P(HookFacility, ChainOfInstancesObservesInOrderAndSurvivesReleaseInTheMiddle) {
    Log log;
    const HWND w = MakeWindow();
    const HWND gone = MakeWindow();
    DestroyWindow(gone);
    std::vector<std::unique_ptr<aero::HookFacility>> chain;
    for (int i = 1; i <= 4; ++i) {
        chain.push_back(std::make_unique<aero::HookFacility>(Recorder(log, std::to_string(i))));
        ASSERT_TRUE(chain.back()->HookWindow(w, 10 * i));
        chain.back()->AddHookMessage(w, kAnswer, aero::HOOK_BEFORE | aero::HOOK_AFTER);
    }
    EXPECT_EQ(rt::MessageFilterOf(w) != nullptr, GetParam()) << "the runtime's own windows are filtered";
    EXPECT_FALSE(chain[0]->HookWindow(w, 0, Recorder(log, "again")));
    EXPECT_FALSE(chain[0]->HookWindow(gone));
    EXPECT_FALSE(chain[0]->HookWindow(GetDesktopWindow()));  // another process's window here

    // The last installed is outermost; the result passes through unchanged.
    EXPECT_EQ(SendMessageW(w, kAnswer, 0, 0), 1234);
    EXPECT_EQ(log, (Log{"4 before 1 0", "3 before 1 0", "2 before 1 0", "1 before 1 0", "1 after 1 1234",
                        "2 after 1 1234", "3 after 1 1234", "4 after 1 1234"}));
    EXPECT_EQ(chain[0]->GetHookUserValue(w), 12);

    chain[1]->UnhookAll();
    chain[2].reset();  // a facility that goes releases its hooks too
    log.clear();
    EXPECT_EQ(SendMessageW(w, kAnswer, 0, 0), 1234);
    EXPECT_EQ(log, (Log{"4 before 1 0", "1 before 1 0", "1 after 1 1234", "4 after 1 1234"}));
    EXPECT_FALSE(rt::Suppress([&] { chain[1]->UnhookWindow(w); }));  // no registry: nothing
    EXPECT_TRUE(rt::Suppress([&] { chain[0]->UnhookWindow(gone); }));
    EXPECT_EQ(rt::Err().Number, 5);

    // The window going takes its hooks with it; the registries forget them.
    DestroyWindow(w);
    EXPECT_EQ(chain[0]->FindHookBlock(w), nullptr);
    EXPECT_FALSE(rt::Suppress([&] { chain[3]->UnhookAll(); }));
}

TEST_P(HookFacility, BeforeHandledSkipsTheWindowUnlessItCallsOn) {
    const HWND w = MakeWindow();
    bool callOn = false;
    aero::HookFacility* self = nullptr;
    aero::HookFacility hooks([&](bool before, bool& handled, LRESULT& lReturn, HWND hwnd, UINT msg,
                                 WPARAM wParam, LPARAM lParam, long&) {
        handled = before;
        if (before) lReturn = callOn ? self->CallPreviousProc(hwnd, msg, wParam, lParam) + 1 : 55;
    });
    self = &hooks;
    ASSERT_TRUE(hooks.HookWindow(w));
    hooks.AddHookMessage(w, kAnswer, aero::HOOK_BEFORE);
    ownProcCalls = 0;
    EXPECT_EQ(SendMessageW(w, kAnswer, 0, 0), 55);
    EXPECT_EQ(ownProcCalls, 0);
    callOn = true;
    EXPECT_EQ(SendMessageW(w, kAnswer, 0, 0), 1235);
    EXPECT_EQ(ownProcCalls, 1);
    hooks.RemoveHookMessage(w, kAnswer, aero::HOOK_BEFORE);
    EXPECT_EQ(SendMessageW(w, kAnswer, 0, 0), 1234);
    DestroyWindow(w);
}

TEST_P(HookFacility, ReleaseFromInsideANestedMessage) {
    Log log;
    const HWND w = MakeWindow();
    aero::HookFacility* self = nullptr;
    aero::HookFacility hooks([&](bool before, bool&, LRESULT&, HWND hwnd, UINT msg, WPARAM, LPARAM, long&) {
        log.push_back(std::string(before ? "before " : "after ") + std::to_string(msg - WM_APP));
        // The nested message releases the hook while the outer one is still inside it.
        if (msg == kAnswer && before) SendMessageW(hwnd, kNested, 0, 0);
        if (msg == kNested) self->UnhookWindow(hwnd);
    });
    self = &hooks;
    ASSERT_TRUE(hooks.HookWindow(w));
    hooks.AddHookMessage(w, aero::ALL_MESSAGES, aero::HOOK_BEFORE | aero::HOOK_AFTER);
    ownProcCalls = 0;
    EXPECT_EQ(SendMessageW(w, kAnswer, 0, 0), 1234);
    EXPECT_EQ(log, (Log{"before 1", "before 2"}));  // no callbacks once released
    EXPECT_EQ(ownProcCalls, 2);

    // The subclass is gone: the window runs on unobserved and can be hooked anew.
    EXPECT_EQ(SendMessageW(w, kAnswer, 0, 0), 1234);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_TRUE(hooks.HookWindow(w));
    DestroyWindow(w);
}

// A handler's error ends the message at the window's one guard, reported once;
// the chain it left is whole: the hook can be released and hooked again.
TEST_P(HookFacility, AHandlersErrorIsReportedOnceAndLeavesTheChainWhole) {
    std::vector<long> reported;
    rt::SetUnhandledErrorHandler([&](const rt::ErrorInfo& info) { reported.push_back(info.Number); });
    Log log;
    const HWND w = MakeWindow();
    aero::HookFacility outer(Recorder(log, "outer"));
    aero::HookFacility failing([](bool, bool&, LRESULT&, HWND, UINT, WPARAM, LPARAM, long&) {
        rt::Raise(380, L"test", L"Invalid property value");
    });
    ASSERT_TRUE(failing.HookWindow(w));
    ASSERT_TRUE(outer.HookWindow(w));
    failing.AddHookMessage(w, kAnswer, aero::HOOK_BEFORE);
    outer.AddHookMessage(w, kAnswer, aero::HOOK_BEFORE | aero::HOOK_AFTER);
    ownProcCalls = 0;
    EXPECT_EQ(SendMessageW(w, kAnswer, 0, 0), 0);
    EXPECT_EQ(reported, (std::vector<long>{380}));
    EXPECT_EQ(log, (Log{"outer before 1 0"}));  // the error passes no later step
    EXPECT_EQ(ownProcCalls, 0);

    failing.UnhookWindow(w);  // released at once: no message is inside any more
    outer.UnhookWindow(w);
    log.clear();
    EXPECT_EQ(SendMessageW(w, kAnswer, 0, 0), 1234);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(rt::MessageFilterOf(w), nullptr);
    EXPECT_TRUE(failing.HookWindow(w));
    rt::SetUnhandledErrorHandler({});
    DestroyWindow(w);
}

INSTANTIATE_TEST_SUITE_P(ForeignAndRuntimeWindows, HookFacility, ::testing::Bool());

}  // namespace
