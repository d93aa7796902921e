#include "runtime/unhandled.h"

#include <gtest/gtest.h>

#include <vector>

#include <stdexcept>
#include "runtime/form.h"

namespace {

// Collects reported errors instead of showing a message box.
class Reports {
public:
    Reports() {
        rt::SetUnhandledErrorHandler([this](const rt::ErrorInfo& info) { seen.push_back(info); });
    }
    ~Reports() { rt::SetUnhandledErrorHandler({}); }
    std::vector<rt::ErrorInfo> seen;
};

TEST(UnhandledErrors, AHandlersErrorIsReportedAndTheWindowLivesOn) {
    Reports reports;
    rt::Form form;
    ASSERT_TRUE(form.Create(L"guarded", 200, 100));
    int moves = 0;
    form.Events().MouseMove = [&](short, short, float, float) {
        ++moves;
        rt::Raise(380, L"test", L"Invalid property value");
    };
    SendMessageW(form.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(form.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    EXPECT_EQ(moves, 2);
    ASSERT_EQ(reports.seen.size(), 2u);
    EXPECT_EQ(reports.seen[0].Number, 380);
    EXPECT_TRUE(IsWindow(form.hWnd()));
    form.Unload();
}

TEST(UnhandledErrors, TextNamesNumberDescriptionAndSource) {
    rt::ErrorInfo info{998, L"clsReg", L"not a exported function!"};
    EXPECT_EQ(rt::UnhandledErrorText(info), L"Run-time error 998:\r\nnot a exported function!\r\n(clsReg)");
    EXPECT_EQ(rt::Guarded([]() -> LRESULT { return 7; }), 7);
    Reports reports;
    EXPECT_EQ(rt::Guarded([]() -> LRESULT { throw std::runtime_error("boom"); }, -1), -1);
    ASSERT_EQ(reports.seen.size(), 1u);
    EXPECT_EQ(reports.seen[0].Description, L"Internal error: boom");
}

}  // namespace
