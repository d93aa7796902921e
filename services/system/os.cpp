#include "os.h"

#include <windows.h>

#include "runtime/sysversion.h"

namespace services {
namespace {

constexpr uint32_t kPlatform9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformNT = 2;  // VER_PLATFORM_WIN32_NT

std::wstring Name9x(uint32_t minor, uint32_t build) {
    switch (minor) {
        case 0:
            return L"Windows 95";
        case 10:
            return build >= 2183 ? L"Windows 98 SE" : L"Windows 98";
        case 90:
            return L"Windows Millennium Edition";
        default:
            return L"";
    }
}

std::wstring NameNT(uint32_t major, uint32_t minor) {
    switch (major) {
        case 3:
            return L"Windows NT 3.51";
        case 4:
            return L"Windows NT 4.0";
        case 5:
            if (minor == 0) return L"Win2K";
            if (minor == 1) return L"WinXP";
            return L"Windows Server 2003";
        case 6:
            return L"WinVista";
        default:
            return L"";
    }
}

// The 9x family keeps the version in the build's high word.
uint32_t BuildNumber(const OsVersion& v) {
    return v.PlatformId == kPlatform9x ? (v.Build & 0xFFFF) : v.Build;
}

}  // namespace

std::wstring OsShortName(const OsVersion& v) {
    if (v.PlatformId == kPlatform9x) return Name9x(v.Minor, BuildNumber(v));
    if (v.PlatformId == kPlatformNT) return NameNT(v.Major, v.Minor);
    return L"Unknown OS";
}

std::wstring OsDescription(const OsVersion& v) {
    return OsShortName(v) + L" Version " + std::to_wstring(v.Major) + L"." + std::to_wstring(v.Minor) +
           L"(Build " + std::to_wstring(BuildNumber(v)) + L")";
}

OsVersion QueryOsVersion() {
    // A failed read leaves the zero-filled record: "Unknown OS", version 0.0.
    const OSVERSIONINFOA& info = rt::SystemVersion();
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

}  // namespace services

rt::Variant clsOS::GetSystemOS() {
    const services::OsVersion v = services::QueryOsVersion();
    windowsId_ = services::OsShortName(v);
    return services::OsDescription(v);
}
