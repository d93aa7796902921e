#include "preview.h"

#include "latebound.h"
#include "regfile.h"

namespace services {
namespace {

// The program's own key below HKEY_LOCAL_MACHINE\Software: only administrators may write there.
const wchar_t kOwnKey[] = L"Software\\Quorvane Tessiver";
const wchar_t kScratchPrefix[] = L"Preview-";
const wchar_t kClassesBelowMachine[] = L"Software\\Classes";

typedef HRESULT WINAPI PerUserTypeLibraries();

bool StartsWith(const std::wstring& path, const std::wstring& start) {
    return path.size() >= start.size() &&
           CompareStringOrdinal(path.c_str(), static_cast<int>(start.size()), start.c_str(),
                                static_cast<int>(start.size()), TRUE) == CSTR_EQUAL &&
           (path.size() == start.size() || path[start.size()] == L'\\');
}

std::wstring Rest(const std::wstring& path, const std::wstring& start) {
    return path.size() > start.size() ? path.substr(start.size() + 1) : std::wstring();
}

bool Running(DWORD pid) {
    const rt::Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

// Scratch keys of previews whose program was ended before it could delete them.
void RemoveLeftovers(HKEY own) {
    std::vector<std::wstring> gone;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(own, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::wstring key(name, length);
        if (key.size() < 8 || CompareStringOrdinal(key.c_str(), 8, kScratchPrefix, 8, TRUE) != CSTR_EQUAL)
            continue;
        const DWORD pid = wcstoul(key.c_str() + 8, nullptr, 16);
        if (pid != GetCurrentProcessId() && !Running(pid)) gone.push_back(key);
    }
    for (const std::wstring& key : gone) RegDeleteTreeW(own, key.c_str());
    for (const std::wstring& key : gone) RegDeleteKeyW(own, key.c_str());
}

LONG Create(HKEY parent, const std::wstring& name, rt::RegKey& key, DWORD* disposition = nullptr) {
    return RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                           disposition);
}

}  // namespace

RegistryPreview::RegistryPreview(const std::vector<std::wstring>& copied) {
    error_ = Make(copied);
    if (error_ == 0) Redirect();
}

RegistryPreview::~RegistryPreview() {
    Restore();
    scratch_.Reset();
    if (name_.empty()) return;
    rt::RegKey own;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOwnKey, 0, KEY_ALL_ACCESS, own.Put()) != ERROR_SUCCESS) return;
    RegDeleteTreeW(own.Get(), name_.c_str());
    RegDeleteKeyW(own.Get(), name_.c_str());
    DWORD left = 0;
    if (RegQueryInfoKeyW(own.Get(), nullptr, nullptr, nullptr, &left, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        left == 0) {
        own.Reset();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kOwnKey);
    }
}

LONG RegistryPreview::Make(const std::vector<std::wstring>& copied) {
    rt::RegKey own;
    if (const LONG rc = Create(HKEY_LOCAL_MACHINE, kOwnKey, own)) return rc;
    RemoveLeftovers(own.Get());
    DWORD disposition = 0;
    for (ULONGLONG attempt = GetTickCount64(); disposition != REG_CREATED_NEW_KEY; ++attempt) {
        wchar_t name[64];
        wsprintfW(name, L"%s%08lX-%08lX", kScratchPrefix, GetCurrentProcessId(),
                  static_cast<unsigned long>(attempt));
        if (const LONG rc = Create(own.Get(), name, scratch_, &disposition)) return rc;
        if (disposition == REG_CREATED_NEW_KEY) name_ = name;
    }
    const std::pair<const wchar_t*, rt::RegKey*> roots[] = {
        {L"HKLM", &machine_}, {L"HKCU", &user_}, {L"HKU", &users_}};
    for (const auto& [name, key] : roots)
        if (const LONG rc = Create(scratch_.Get(), name, *key)) return rc;
    if (const LONG rc = Create(machine_.Get(), kClassesBelowMachine, classes_)) return rc;
    for (const std::wstring& path : copied)
        if (const LONG rc = CopyRegSubtree(HKEY_CLASSES_ROOT, classes_.Get(), path)) return rc;
    before_ = ReadRegTree(scratch_.Get());
    return 0;
}

// The merged classes are the machine's classes here: a server that writes
// below either finds the other changed, as on a real system.
void RegistryPreview::Redirect() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_.Get());
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_.Get());
    RegOverridePredefKey(HKEY_CURRENT_USER, user_.Get());
    RegOverridePredefKey(HKEY_USERS, users_.Get());
    redirected_ = true;
    // Type libraries then go to the user's classes, which are redirected too.
    static auto* perUser =
        rt::LateBound<PerUserTypeLibraries>(L"oleaut32.dll", "OaEnablePerUserTLibRegistration");
    if (perUser) perUser();
}

void RegistryPreview::Restore() {
    if (!redirected_) return;
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS})
        RegOverridePredefKey(root, nullptr);
    redirected_ = false;
}

RegDiff RegistryPreview::Finish() {
    Restore();
    if (error_ != 0) return {};
    return DiffRegTrees(before_, ReadRegTree(scratch_.Get()));
}

std::wstring PreviewKeyName(const std::wstring& path) {
    const std::wstring machineClasses = std::wstring(L"HKLM\\") + kClassesBelowMachine;
    const std::wstring userClasses = std::wstring(L"HKCU\\") + kClassesBelowMachine;
    for (const std::wstring& classes : {machineClasses, userClasses})
        if (StartsWith(path, classes)) {
            const std::wstring rest = Rest(path, classes);
            return rest.empty() ? L"" : L"HKEY_CLASSES_ROOT\\" + rest;
        }
    const struct {
        const wchar_t* scratch;
        const wchar_t* real;
    } roots[] = {{L"HKLM", L"HKEY_LOCAL_MACHINE"}, {L"HKCU", L"HKEY_CURRENT_USER"}, {L"HKU", L"HKEY_USERS"}};
    for (const auto& root : roots)
        if (StartsWith(path, root.scratch)) {
            const std::wstring rest = Rest(path, root.scratch);
            return rest.empty() ? L"" : std::wstring(root.real) + L"\\" + rest;
        }
    return {};
}

std::wstring PreviewRegText(const RegDiff& diff) {
    return RegFileText(diff, &PreviewKeyName);
}

}  // namespace services
