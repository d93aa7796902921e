// Servers that reach for what a preview must keep them from, one per
// CONTAIN_KIND: the registry links they leave, the roots a preview
// forgets, the ProgID that names a whole tree, the answer too long to carry.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include "containobjects.h"

namespace {

enum Kind { kLink = 1, kProgIdClsid, kMany };
constexpr Kind kKind = static_cast<Kind>(CONTAIN_KIND);

HMODULE thisModule = nullptr;

LONG SetText(HKEY root, const std::wstring& subKey, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(root, subKey.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 4] = {};
    return std::wstring(path, GetModuleFileNameW(thisModule, path, MAX_PATH * 4));
}

LONG WriteClass(const std::wstring& clsid) {
    return SetText(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InprocServer32", nullptr, ModulePath());
}

// A link in its class key to a real key, and a key under HKEY_CURRENT_CONFIG.
LONG WriteLinked() {
    LONG rc = WriteClass(kLinkClsid);
    if (rc == ERROR_SUCCESS) rc = SetText(HKEY_CURRENT_CONFIG, kConfigKey, L"written", L"yes");
    if (rc == ERROR_SUCCESS)
        rc = MakeRegistryLink(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kLinkClsid + L"\\Linked",
                              kLinkedKeyNative);
    return rc;
}

LONG WriteClsidNamed() {
    LONG rc = WriteClass(kClsidNamedClsid);
    if (rc == ERROR_SUCCESS)
        rc = SetText(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsidNamedClsid + L"\\ProgID", nullptr,
                     L"CLSID");
    // Its "ProgID" key leads back to it, as a ProgID's does.
    if (rc == ERROR_SUCCESS) rc = SetText(HKEY_CLASSES_ROOT, L"CLSID\\CLSID", nullptr, kClsidNamedClsid);
    return rc;
}

// Notes how many classes its unregistration sees, then takes its class out.
LONG CountClasses() {
    HKEY classes = nullptr;
    DWORD count = 0;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ, &classes) == ERROR_SUCCESS) {
        RegQueryInfoKeyW(classes, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(classes);
    }
    const LONG rc =
        RegSetKeyValueW(HKEY_CURRENT_USER, kSeenClassesKey, L"count", REG_DWORD, &count, sizeof count);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidNamedClsid).c_str());
    return rc;
}

LONG WriteMany() {
    LONG rc = ERROR_SUCCESS;
    for (int n = 1; n <= kManyClasses && rc == ERROR_SUCCESS; ++n) {
        rc = WriteClass(ManyClsid(n));
        if (rc == ERROR_SUCCESS)
            rc = SetText(HKEY_CLASSES_ROOT, L"CLSID\\" + ManyClsid(n) + L"\\ProgID", nullptr,
                         L"Tessiver.Many." + std::to_wstring(n));
    }
    return rc;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) thisModule = instance;
    return TRUE;
}

// HRESULT_FROM_WIN32 may be a macro that names its argument twice: each export runs its work once.
STDAPI DllRegisterServer() {
    const LONG rc = kKind == kLink ? WriteLinked() : kKind == kProgIdClsid ? WriteClsidNamed() : WriteMany();
    return HRESULT_FROM_WIN32(rc);
}

STDAPI DllUnregisterServer() {
    const LONG rc = kKind == kProgIdClsid ? CountClasses() : ERROR_SUCCESS;
    return HRESULT_FROM_WIN32(rc);
}
