#include "system/os.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(OsNames, EveryRowOfTheTable) {
    struct Row {
        services::OsVersion v;  // major, minor, build, platform
        const wchar_t* name;
        const wchar_t* text;
    };
    const Row rows[] = {
        {{4, 0, 950, 1}, L"Windows 95", L"Windows 95 Version 4.0(Build 950)"},
        {{4, 10, 1998, 1}, L"Windows 98", L"Windows 98 Version 4.10(Build 1998)"},
        {{4, 10, 2182, 1}, L"Windows 98", L"Windows 98 Version 4.10(Build 2182)"},
        {{4, 10, 2183, 1}, L"Windows 98 SE", L"Windows 98 SE Version 4.10(Build 2183)"},
        {{4, 10, 2222, 1}, L"Windows 98 SE", L"Windows 98 SE Version 4.10(Build 2222)"},
        // 9x keeps its version in the high word of the build value.
        {{4, 10, 0x040A08AE, 1}, L"Windows 98 SE", L"Windows 98 SE Version 4.10(Build 2222)"},
        {{4, 10, 0x040A07CE, 1}, L"Windows 98", L"Windows 98 Version 4.10(Build 1998)"},
        {{4, 90, 3000, 1},
         L"Windows Millennium Edition",
         L"Windows Millennium Edition Version 4.90(Build 3000)"},
        {{4, 20, 1, 1}, L"", L" Version 4.20(Build 1)"},
        // The 9x family ignores the major version.
        {{9, 0, 5, 1}, L"Windows 95", L"Windows 95 Version 9.0(Build 5)"},
        {{3, 51, 1057, 2}, L"Windows NT 3.51", L"Windows NT 3.51 Version 3.51(Build 1057)"},
        {{4, 0, 1381, 2}, L"Windows NT 4.0", L"Windows NT 4.0 Version 4.0(Build 1381)"},
        {{5, 0, 2195, 2}, L"Win2K", L"Win2K Version 5.0(Build 2195)"},
        {{5, 1, 2600, 2}, L"WinXP", L"WinXP Version 5.1(Build 2600)"},
        {{5, 2, 3790, 2}, L"Windows Server 2003", L"Windows Server 2003 Version 5.2(Build 3790)"},
        {{6, 0, 6002, 2}, L"WinVista", L"WinVista Version 6.0(Build 6002)"},
        {{6, 1, 7601, 2}, L"WinVista", L"WinVista Version 6.1(Build 7601)"},
        {{6, 2, 9200, 2}, L"WinVista", L"WinVista Version 6.2(Build 9200)"},
        {{6, 3, 9600, 2}, L"WinVista", L"WinVista Version 6.3(Build 9600)"},
        {{10, 0, 19045, 2}, L"", L" Version 10.0(Build 19045)"},
        // NT reports the whole build value.
        {{6, 1, 0x00011DB1, 2}, L"WinVista", L"WinVista Version 6.1(Build 73137)"},
        {{0, 0, 0, 0}, L"Unknown OS", L"Unknown OS Version 0.0(Build 0)"},
        {{5, 1, 2600, 3}, L"Unknown OS", L"Unknown OS Version 5.1(Build 2600)"},
        {{4294967295u, 0, 4294967295u, 2}, L"", L" Version 4294967295.0(Build 4294967295)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.text);
        EXPECT_EQ(services::OsShortName(row.v), row.name);
        EXPECT_EQ(services::OsDescription(row.v), row.text);
    }
}

TEST(OsNames, LiveSystemGivesTextAndRemembersTheName) {
    clsOS os;
    EXPECT_EQ(os.WindowsID(), L"");
    const rt::Variant result = os.GetSystemOS();
    ASSERT_TRUE(std::holds_alternative<std::wstring>(result));
    const std::wstring& text = std::get<std::wstring>(result);

    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExW(&info));
    ASSERT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    const std::wstring expected = os.WindowsID() + L" Version " + std::to_wstring(info.dwMajorVersion) +
                                  L"." + std::to_wstring(info.dwMinorVersion) + L"(Build " +
                                  std::to_wstring(info.dwBuildNumber) + L")";
    EXPECT_EQ(text, expected);
    if (info.dwMajorVersion == 6) {
        EXPECT_EQ(os.WindowsID(), L"WinVista");
    }
}

}  // namespace
