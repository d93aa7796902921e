#include "call/callbyaddress.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "call/reg.h"
#include "testdirs.h"

#ifdef _MSC_VER
#include <intrin.h>
#define CALLER_ADDRESS() _ReturnAddress()
#else
#define CALLER_ADDRESS() __builtin_return_address(0)
#endif

namespace {

std::vector<int32_t> seen;
DWORD calledOnThread = 0;
DWORD callerProtection = 0;

int32_t __stdcall NoArguments() {
    calledOnThread = GetCurrentThreadId();
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(CALLER_ADDRESS(), &info, sizeof(info));
    callerProtection = info.Protect;
    return static_cast<int32_t>(0x80004005u);
}

int32_t __stdcall OneArgument(int32_t a) {
    return a * 2;
}

int32_t __stdcall TwelveArguments(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g,
                                  int32_t h, int32_t i, int32_t j, int32_t k, int32_t l) {
    seen = {a, b, c, d, e, f, g, h, i, j, k, l};
    return a - l;
}

// Built with the wrong convention: leaves its arguments on the stack.
int32_t __cdecl CallerCleansUp(int32_t a, int32_t b, int32_t c) {
    return a + 10 * b + 100 * c;
}

template <class F>
uintptr_t Address(F* f) {
    return reinterpret_cast<uintptr_t>(f);
}

TEST(CallByAddress, NoArgumentsRunsOnThisThreadFromExecuteReadCode) {
    calledOnThread = 0;
    EXPECT_EQ(services::CallByAddress(Address(&NoArguments)), 0x80004005u);
    EXPECT_EQ(calledOnThread, GetCurrentThreadId());
    // The thunk the callee returns into is never writable while it runs.
    EXPECT_EQ(callerProtection, static_cast<DWORD>(PAGE_EXECUTE_READ));
}

TEST(CallByAddress, PassesArgumentsInOrderWithCalleeCleanup) {
    const int32_t one[] = {-21};
    EXPECT_EQ(static_cast<int32_t>(services::CallByAddress(Address(&OneArgument), one)), -42);

    const std::vector<int32_t> twelve = {1, -2, 3,  0x7FFFFFFF, static_cast<int32_t>(0x80000000), 6, 7, 8,
                                         9, 10, 11, 12};
    EXPECT_EQ(static_cast<int32_t>(services::CallByAddress(Address(&TwelveArguments), twelve)), 1 - 12);
    EXPECT_EQ(seen, twelve);

    // Repeated calls leave the caller's stack as it was (a leak would crash here).
    for (int32_t n = 0; n < 1000; ++n) {
        const int32_t arg[] = {n};
        ASSERT_EQ(static_cast<int32_t>(services::CallByAddress(Address(&OneArgument), arg)), 2 * n);
    }
}

TEST(CallByAddress, SurvivesACalleeThatLeavesItsArguments) {
    const int32_t args[] = {1, 2, 3};
    for (int n = 0; n < 100; ++n) {
        ASSERT_EQ(services::CallByAddress(Address(&CallerCleansUp), args), 321u);
    }
}

TEST(CallByAddress, CallsAnExportFoundInADll) {
    const uintptr_t address =
        services::ResolveExport(services::ResolveServer(ServerPath(L"plain.dll")), "PlainWeigh");
    HMODULE plain = GetModuleHandleW(ServerPath(L"plain.dll").c_str());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(address, reinterpret_cast<uintptr_t>(GetProcAddress(plain, "PlainWeigh")));
    const int32_t args[] = {7, 8, 9};
    EXPECT_EQ(services::CallByAddress(address, args), 987u);
}

}  // namespace
