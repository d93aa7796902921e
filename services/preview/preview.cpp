#include "preview.h"

#include "previewscratch.h"
#include "regfile.h"
#include "runtime/latebound.h"

namespace services {
namespace {

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

LONG Create(HKEY parent, const std::wstring& name, rt::RegKey& key) {
    return RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
}

const HKEY kRedirected[] = {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS,
                            HKEY_CURRENT_CONFIG};

// A comment line tells a link; what the server named is shown with its control characters made harmless.
void AddLinkLine(std::wstring& text, const std::wstring& key, const std::wstring& target) {
    text += L"\r\n; ";
    for (const std::wstring* part : {&key, &target}) {
        const size_t at = text.size();
        text += *part;
        for (size_t i = at; i < text.size(); ++i)
            if (text[i] < L' ') text[i] = L'?';
        text += part == &key ? L" is a registry link to " : L": the preview did not follow it.\r\n";
    }
}

}  // namespace

RegistryPreview::RegistryPreview(const std::vector<std::wstring>& copied) {
    error_ = Make(copied);
    if (error_ == 0) error_ = Redirect();
    if (error_ != 0) Restore();
}

RegistryPreview::~RegistryPreview() {
    Restore();
    for (rt::RegKey* key : {&classes_, &config_, &users_, &user_, &machine_, &scratch_}) key->Reset();
    if (name_.empty()) return;
    rt::RegKey own;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPreviewOwnKey, 0, KEY_ALL_ACCESS, own.Put()) != ERROR_SUCCESS)
        return;
    DeleteRegTree(own.Get(), name_);
    DWORD left = 0;
    if (RegQueryInfoKeyW(own.Get(), nullptr, nullptr, nullptr, &left, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        left == 0) {
        own.Reset();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPreviewOwnKey);
    }
}

LONG RegistryPreview::Make(const std::vector<std::wstring>& copied) {
    RemoveLeftoverScratchKeys();
    rt::RegKey own;
    if (const LONG rc = Create(HKEY_LOCAL_MACHINE, kPreviewOwnKey, own)) return rc;
    if (const LONG rc = MakeScratchKey(own.Get(), scratch_, name_)) return rc;
    const std::pair<const wchar_t*, rt::RegKey*> roots[] = {
        {L"HKLM", &machine_}, {L"HKCU", &user_}, {L"HKU", &users_}, {L"HKCC", &config_}};
    for (const auto& [name, key] : roots)
        if (const LONG rc = CreateAdminsOnlyKey(scratch_.Get(), name, *key)) return rc;
    rt::RegKey software;
    if (const LONG rc = CreateAdminsOnlyKey(machine_.Get(), L"Software", software)) return rc;
    if (const LONG rc = CreateAdminsOnlyKey(software.Get(), L"Classes", classes_)) return rc;
    CopyBudget budget;
    for (const std::wstring& path : copied)
        if (const LONG rc = CopyRegSubtree(HKEY_CLASSES_ROOT, classes_.Get(), path, budget)) return rc;
    before_ = ReadRegTree(scratch_.Get());
    return 0;
}

// The merged classes are the machine's classes here: a server that writes
// below either finds the other changed, as on a real system.
LONG RegistryPreview::Redirect() {
    const HKEY scratch[] = {classes_.Get(), machine_.Get(), user_.Get(), users_.Get(), config_.Get()};
    redirected_ = true;
    for (size_t i = 0; i < std::size(kRedirected); ++i)
        if (const LONG rc = RegOverridePredefKey(kRedirected[i], scratch[i])) return rc;
    // Type libraries then go to the user's classes, which are redirected too.
    static auto* perUser =
        rt::LateBound<PerUserTypeLibraries>(L"oleaut32.dll", "OaEnablePerUserTLibRegistration");
    if (perUser) perUser();
    return 0;
}

void RegistryPreview::Restore() {
    if (!redirected_) return;
    for (HKEY root : kRedirected) RegOverridePredefKey(root, nullptr);
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
    } roots[] = {{L"HKLM", L"HKEY_LOCAL_MACHINE"},
                 {L"HKCU", L"HKEY_CURRENT_USER"},
                 {L"HKU", L"HKEY_USERS"},
                 {L"HKCC", L"HKEY_CURRENT_CONFIG"}};
    for (const auto& root : roots)
        if (StartsWith(path, root.scratch)) {
            const std::wstring rest = Rest(path, root.scratch);
            return rest.empty() ? L"" : std::wstring(root.real) + L"\\" + rest;
        }
    return {};
}

std::wstring PreviewRegText(const RegDiff& diff) {
    std::wstring text = RegFileText(diff, &PreviewKeyName);
    for (const RegKey& key : diff.Written)
        if (!key.LinkTarget.empty()) AddLinkLine(text, PreviewKeyName(key.Path), key.LinkTarget);
    return text;
}

}  // namespace services
