// A real in-process COM server: one class with a class factory, registered
// under its CLSID and ProgID by its own DllRegisterServer.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <atomic>
#include <new>
#include <string>

#include "testobject.h"

namespace {

HMODULE thisModule = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

class TestObject final : public ITessiverTestObject {
public:
    TestObject() { ++liveObjects; }
    ~TestObject() { --liveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITessiverTestObject)) {
            *out = static_cast<ITessiverTestObject*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE Add(LONG a, LONG b, LONG* sum) override {
        if (!sum) return E_POINTER;
        *sum = a + b;
        return S_OK;
    }

private:
    std::atomic<long> refs_{1};
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static; its life is the module's.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) TestObject;
        if (!object) return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(riid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++serverLocks : --serverLocks;
        return S_OK;
    }
};

Factory factory;

LONG SetText(HKEY root, const std::wstring& subKey, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(thisModule, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) thisModule = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_TessiverTestObject)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, out);
}

STDAPI DllCanUnloadNow() {
    return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kTestObjectClsidText;
    const LONG results[] = {
        SetText(HKEY_CLASSES_ROOT, clsidKey, nullptr, L"Tessiver test object"),
        SetText(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, ModulePath()),
        SetText(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
        SetText(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", nullptr, kTestObjectProgId),
        SetText(HKEY_CLASSES_ROOT, kTestObjectProgId, nullptr, L"Tessiver test object"),
        SetText(HKEY_CLASSES_ROOT, std::wstring(kTestObjectProgId) + L"\\CLSID", nullptr,
                kTestObjectClsidText),
    };
    for (LONG rc : results) {
        if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kTestObjectClsidText;
    const LONG a = RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey.c_str());
    const LONG b = RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestObjectProgId);
    for (LONG rc : {a, b}) {
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(rc);
    }
    return S_OK;
}
