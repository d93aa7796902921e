#include "runtimedlls.h"

#include <cwctype>

namespace services {
namespace {

// The runtimes' DLLs are a stem, the compiler's version and a suffix:
// msvcp140_1.dll, mfc140u.dll, vcruntime140d.dll.
const wchar_t* const kStems[] = {L"vcruntime", L"msvcp",    L"msvcr", L"msvcm", L"mfcm", L"mfc",
                                 L"concrt",    L"vccorlib", L"vcomp", L"vcamp", L"atl"};

struct Release {
    const wchar_t* version;
    const wchar_t* name;
};
const Release kReleases[] = {{L"140", L"2015-2022"}, {L"120", L"2013"}, {L"110", L"2012"},
                             {L"100", L"2010"},      {L"90", L"2008"},  {L"80", L"2005"}};

// What may follow the version: Unicode MFC, the later additions to the C++
// library, and MFC's language DLLs (mfc140enu.dll).
bool IsReleaseSuffix(const std::wstring& suffix, const std::wstring& stem) {
    for (const wchar_t* known : {L"", L"u", L"_1", L"_2", L"_atomic_wait", L"_codecvt_ids"})
        if (suffix == known) return true;
    return (stem == L"mfc" || stem == L"mfcm") && suffix.size() == 3 && std::iswalpha(suffix[0]) &&
           std::iswalpha(suffix[1]) && std::iswalpha(suffix[2]);
}

// A debug build's DLL: the release name with "d" after the version or the "u".
bool IsDebugSuffix(const std::wstring& suffix) {
    for (const wchar_t* known : {L"d", L"ud", L"_1d", L"_2d"})
        if (suffix == known) return true;
    return suffix.rfind(L"d_", 0) == 0;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

}  // namespace

std::optional<RuntimeDll> RuntimeDllOf(const std::wstring& dllName) {
    const std::wstring name = Lower(dllName);
    const size_t dot = name.rfind(L".dll");
    if (dot == std::wstring::npos || dot + 4 != name.size()) return std::nullopt;
    const std::wstring base = name.substr(0, dot);
    if (base == L"ucrtbase" || base.rfind(L"api-ms-win-crt-", 0) == 0)
        return RuntimeDll{RuntimeDll::Kind::UniversalCrt, L"2015-2022"};
    if (base == L"ucrtbased") return RuntimeDll{RuntimeDll::Kind::Debug, L"2015-2022"};
    for (const wchar_t* stem : kStems) {
        const std::wstring s = stem;
        if (base.rfind(s, 0) != 0) continue;
        for (const Release& release : kReleases) {
            const std::wstring version = release.version;
            if (base.compare(s.size(), version.size(), version) != 0) continue;
            const std::wstring suffix = base.substr(s.size() + version.size());
            // msvcp1400.dll is no runtime's: the version must end where it ends.
            if (!suffix.empty() && std::iswdigit(suffix[0])) continue;
            if (IsReleaseSuffix(suffix, s)) return RuntimeDll{RuntimeDll::Kind::VisualCpp, release.name};
            if (IsDebugSuffix(suffix)) return RuntimeDll{RuntimeDll::Kind::Debug, release.name};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace services
