#include "previewscratch.h"

#include <cwchar>
#include <vector>

#include "regtree.h"

// The platform headers below build on windows.h.
#include <sddl.h>

namespace services {
namespace {

const wchar_t kScratchPrefix[] = L"Preview-";
// What a server writes there may be anything: no one else reads it. Its keys inherit this.
const wchar_t kScratchAccess[] = L"D:P(A;OICI;KA;;;BA)(A;OICI;KA;;;SY)";
// Enough for every leftover a run of killed previews makes, few enough to stay cheap.
constexpr size_t kMostLeftoversSeen = 256;

ULONGLONG StartOf(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

bool Alive(DWORD pid, ULONGLONG started) {
    const rt::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
    return process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT &&
           StartOf(process.Get()) == started;
}

// A scratch key whose maker still runs stays; every other one, whatever its name says, goes.
bool Leftover(const std::wstring& key) {
    const size_t prefix = wcslen(kScratchPrefix);
    if (key.size() < prefix || CompareStringOrdinal(key.c_str(), static_cast<int>(prefix), kScratchPrefix,
                                                    static_cast<int>(prefix), TRUE) != CSTR_EQUAL)
        return false;
    wchar_t* end = nullptr;
    const DWORD pid = wcstoul(key.c_str() + prefix, &end, 16);
    if (*end != L'-') return true;
    const ULONGLONG started = wcstoull(end + 1, &end, 16);
    return !Alive(pid, started);
}

}  // namespace

LONG CreateAdminsOnlyKey(HKEY parent, const std::wstring& name, rt::RegKey& key, DWORD* disposition) {
    rt::LocalMemory<void> descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kScratchAccess, SDDL_REVISION_1,
                                                              descriptor.Put(), nullptr))
        return static_cast<LONG>(GetLastError());
    SECURITY_ATTRIBUTES security{sizeof security, descriptor.Get(), FALSE};
    if (const LONG rc = RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, &security,
                                        key.Put(), disposition))
        return rc;
    // Set again: Wine makes the key with its default access whatever it is given.
    return RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                             descriptor.Get());
}

// "Preview-<process id>-<its start time>-<attempt>": a later process with the same id has another start.
LONG MakeScratchKey(HKEY own, rt::RegKey& scratch, std::wstring& name) {
    const ULONGLONG started = StartOf(GetCurrentProcess());
    for (unsigned long attempt = 0; attempt < 1000; ++attempt) {
        wchar_t text[64];
        wsprintfW(text, L"%s%08lX-%08lX%08lX-%03lX", kScratchPrefix, GetCurrentProcessId(),
                  static_cast<unsigned long>(started >> 32), static_cast<unsigned long>(started), attempt);
        name = text;
        DWORD disposition = 0;
        if (const LONG rc = CreateAdminsOnlyKey(own, name, scratch, &disposition)) return rc;
        if (disposition == REG_CREATED_NEW_KEY) return ERROR_SUCCESS;
    }
    name.clear();
    return ERROR_ALREADY_EXISTS;
}

void RemoveLeftoverScratchKeys() {
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        rt::RegKey own;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPreviewOwnKey, 0, KEY_READ | view, own.Put()) != ERROR_SUCCESS)
            continue;
        std::vector<std::wstring> keys = RegSubkeyNames(own.Get());
        keys.resize(std::min(keys.size(), kMostLeftoversSeen));
        for (const std::wstring& key : keys)
            if (Leftover(key)) DeleteRegTree(own.Get(), key);
    }
}

}  // namespace services
