// A server whose DllUnregisterServer reports success but forgets its classes:
// it removes their ProgIDs and its type library and leaves the class keys,
// which still name the file. Its classes vary their threading models, and one
// has none.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include "leftobjects.h"

namespace {

HMODULE thisModule = nullptr;

LONG SetText(const std::wstring& subKey, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, subKey.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 4] = {};
    return std::wstring(path, GetModuleFileNameW(thisModule, path, MAX_PATH * 4));
}

const wchar_t* const kModels[] = {L"Apartment", L"Both", L"Free", L""};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) thisModule = instance;
    return TRUE;
}

STDAPI DllRegisterServer() {
    LONG rc = ERROR_SUCCESS;
    for (int n = 1; n <= kLeftClasses && rc == ERROR_SUCCESS; ++n) {
        const std::wstring clsid = L"CLSID\\" + LeftClsid(n);
        const wchar_t* model = kModels[n % 4];
        rc = SetText(clsid, nullptr, L"Tessiver left object " + std::to_wstring(n));
        if (rc == ERROR_SUCCESS) rc = SetText(clsid + L"\\InprocServer32", nullptr, ModulePath());
        if (rc == ERROR_SUCCESS && *model)
            rc = SetText(clsid + L"\\InprocServer32", L"ThreadingModel", model);
        if (rc == ERROR_SUCCESS) rc = SetText(clsid + L"\\ProgID", nullptr, LeftProgId(n));
        if (rc == ERROR_SUCCESS) rc = SetText(LeftProgId(n) + L"\\CLSID", nullptr, LeftClsid(n));
    }
    const std::wstring version = std::wstring(L"TypeLib\\") + kLeftLibid + L"\\1.0";
    const wchar_t* platform = sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32";
    if (rc == ERROR_SUCCESS) rc = SetText(version, nullptr, L"Tessiver left library");
    if (rc == ERROR_SUCCESS) rc = SetText(version + platform, nullptr, ModulePath());
    return HRESULT_FROM_WIN32(rc);
}

STDAPI DllUnregisterServer() {
    for (int n = 1; n <= kLeftClasses; ++n) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, LeftProgId(n).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + LeftClsid(n) + L"\\ProgID").c_str());
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"TypeLib\\") + kLeftLibid).c_str());
    return S_OK;
}
