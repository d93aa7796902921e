#include "sysversion.h"

#include <algorithm>
#include <iterator>

namespace rt {
namespace {

OSVERSIONINFOA ReadVersion() {
    OSVERSIONINFOA info{};
    static_assert(sizeof(info) == 148, "the ANSI version record");
    info.dwOSVersionInfoSize = sizeof(info);
    std::fill(std::begin(info.szCSDVersion), std::end(info.szCSDVersion), ' ');
    // Deprecated for version checks, but its record is what is asked for.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL ok = GetVersionExA(&info);
#if defined(_MSC_VER)
#pragma warning(pop)
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return ok ? info : OSVERSIONINFOA{};
}

}  // namespace

const OSVERSIONINFOA& SystemVersion() {
    static const OSVERSIONINFOA version = ReadVersion();
    return version;
}

}  // namespace rt
