// clsOS: the operating system's short name and a descriptive version text.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/variant.h"

namespace services {

// The fields of the platform's version record that the naming depends on.
struct OsVersion {
    uint32_t Major = 0;
    uint32_t Minor = 0;
    uint32_t Build = 0;       // as reported; on the 9x family the high word holds the version
    uint32_t PlatformId = 0;  // 1: 9x family, 2: NT family
};

// "WinXP", "WinVista", "Windows 98 SE", ...; empty for versions it has no name for.
std::wstring OsShortName(const OsVersion& v);
// Short name + " Version " + major "." minor "(Build " build ")".
std::wstring OsDescription(const OsVersion& v);
// What the platform reports; all zero when it cannot tell.
OsVersion QueryOsVersion();

}  // namespace services

class clsOS {
public:
    // The short name found by the last GetSystemOS; empty before the first call.
    std::wstring WindowsID() const { return windowsId_; }
    // The descriptive text (a string variant); also remembers the short name.
    rt::Variant GetSystemOS();

private:
    std::wstring windowsId_;
};
