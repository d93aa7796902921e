// Servers with real class factories whose registration the manifest, the
// installer fragment and the registration file are written from. One source,
// four shapes chosen when built:
//   EXPORT_DUAL     two classes, ProgIDs with and without a version, a dual
//                   interface and the type library in the file, registered;
//   EXPORT_PROXY    a class that is the proxy/stub of an interface it registers;
//   EXPORT_CLAIM    two classes that both claim one ProgID, whose key names the second;
//   EXPORT_NEWLINE  a class with a value name that holds line ends and a key line.
#include <windows.h>
// The platform headers below build on windows.h.
#include <oleauto.h>

#include <atomic>
#include <new>
#include <string>

#include "exportservers.h"

namespace {

#if defined(EXPORT_DUAL)
const ExportEntry kEntries[] = {
    {L"CLSID\\" TESSIVER_DUAL_A, nullptr, L"Tessiver dual A"},
    {L"CLSID\\" TESSIVER_DUAL_A L"\\InprocServer32", nullptr, L"%path%"},
    {L"CLSID\\" TESSIVER_DUAL_A L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\" TESSIVER_DUAL_A L"\\ProgID", nullptr, L"Tessiver.DualA.1"},
    {L"CLSID\\" TESSIVER_DUAL_A L"\\VersionIndependentProgID", nullptr, L"Tessiver.DualA"},
    {L"CLSID\\" TESSIVER_DUAL_A L"\\TypeLib", nullptr, TESSIVER_DUAL_LIB},
    {L"CLSID\\" TESSIVER_DUAL_A L"\\MiscStatus", nullptr, L"131473"},
    {L"CLSID\\" TESSIVER_DUAL_A L"\\MiscStatus\\1", nullptr, L"131473"},
    {L"Tessiver.DualA.1\\CLSID", nullptr, TESSIVER_DUAL_A},
    {L"Tessiver.DualA\\CLSID", nullptr, TESSIVER_DUAL_A},
    {L"Tessiver.DualA\\CurVer", nullptr, L"Tessiver.DualA.1"},
    {L"CLSID\\" TESSIVER_DUAL_B, nullptr, L"Tessiver dual B"},
    {L"CLSID\\" TESSIVER_DUAL_B L"\\InprocServer32", nullptr, L"%path%"},
    {L"CLSID\\" TESSIVER_DUAL_B L"\\InprocServer32", L"ThreadingModel", L"Both"},
    {L"CLSID\\" TESSIVER_DUAL_B L"\\ProgID", nullptr, L"Tessiver.DualB.1"},
    {L"Tessiver.DualB.1\\CLSID", nullptr, TESSIVER_DUAL_B},
};
const wchar_t* const kClasses[] = {TESSIVER_DUAL_A, TESSIVER_DUAL_B};
const wchar_t* const kTopKeys[] = {L"CLSID\\" TESSIVER_DUAL_A,    L"CLSID\\" TESSIVER_DUAL_B,
                                   L"Tessiver.DualA.1",           L"Tessiver.DualA",
                                   L"Tessiver.DualB.1",           L"Interface\\" TESSIVER_DUAL_IID,
                                   L"TypeLib\\" TESSIVER_DUAL_LIB};
constexpr bool kTypeLib = true;
#elif defined(EXPORT_PROXY)
const ExportEntry kEntries[] = {
    {L"CLSID\\" TESSIVER_PROXY_CLASS, nullptr, L"Tessiver proxy stub"},
    {L"CLSID\\" TESSIVER_PROXY_CLASS L"\\InprocServer32", nullptr, L"%path%"},
    {L"CLSID\\" TESSIVER_PROXY_CLASS L"\\InprocServer32", L"ThreadingModel", L"Both"},
    {L"Interface\\" TESSIVER_PROXIED_IID, nullptr, L"ITessiverProxied"},
    {L"Interface\\" TESSIVER_PROXIED_IID L"\\ProxyStubClsid32", nullptr, TESSIVER_PROXY_CLASS},
    {L"Interface\\" TESSIVER_PROXIED_IID L"\\NumMethods", nullptr, L"4"},
};
const wchar_t* const kClasses[] = {TESSIVER_PROXY_CLASS};
const wchar_t* const kTopKeys[] = {L"CLSID\\" TESSIVER_PROXY_CLASS, L"Interface\\" TESSIVER_PROXIED_IID};
constexpr bool kTypeLib = false;
#elif defined(EXPORT_CLAIM)
const ExportEntry kEntries[] = {
    {L"CLSID\\" TESSIVER_CLAIM_FIRST L"\\InprocServer32", nullptr, L"%path%"},
    {L"CLSID\\" TESSIVER_CLAIM_FIRST L"\\ProgID", nullptr, L"Tessiver.Claimed"},
    {L"CLSID\\" TESSIVER_CLAIM_SECOND L"\\InprocServer32", nullptr, L"%path%"},
    {L"CLSID\\" TESSIVER_CLAIM_SECOND L"\\ProgID", nullptr, L"Tessiver.Claimed"},
    {L"Tessiver.Claimed\\CLSID", nullptr, TESSIVER_CLAIM_SECOND},
};
const wchar_t* const kClasses[] = {TESSIVER_CLAIM_FIRST, TESSIVER_CLAIM_SECOND};
const wchar_t* const kTopKeys[] = {L"CLSID\\" TESSIVER_CLAIM_FIRST, L"CLSID\\" TESSIVER_CLAIM_SECOND,
                                   L"Tessiver.Claimed"};
constexpr bool kTypeLib = false;
#elif defined(EXPORT_NEWLINE)
const ExportEntry kEntries[] = {
    {L"CLSID\\" TESSIVER_NEWLINE_CLASS L"\\InprocServer32", nullptr, L"%path%"},
    {L"CLSID\\" TESSIVER_NEWLINE_CLASS, L"two\r\nlines\r\n[HKEY_CURRENT_USER\\Software\\Tessiver injected]",
     L"x"},
};
const wchar_t* const kClasses[] = {TESSIVER_NEWLINE_CLASS};
const wchar_t* const kTopKeys[] = {L"CLSID\\" TESSIVER_NEWLINE_CLASS};
constexpr bool kTypeLib = false;
#endif

HMODULE thisModule = nullptr;
std::atomic<long> liveObjects{0};

// IDispatch's own methods answer nothing: the tests call Add through the vtable.
struct ITessiverDual : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Add(LONG a, LONG b, LONG* sum) = 0;
};

// IPersist tells a client which class it made, as a ProgID resolved it.
class DualObject final : public ITessiverDual, public IPersist {
public:
    explicit DualObject(const CLSID& clsid) : clsid_(clsid) { ++liveObjects; }
    ~DualObject() { --liveObjects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(riid, IID_IPersist))
            *out = static_cast<IPersist*>(this);
        else if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
                 IsEqualIID(riid, IID_ITessiverDual))
            *out = static_cast<ITessiverDual*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
        if (!clsid) return E_POINTER;
        *clsid = clsid_;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Add(LONG a, LONG b, LONG* sum) override {
        if (!sum) return E_POINTER;
        *sum = a + b;
        return S_OK;
    }

private:
    std::atomic<long> refs_{1};
    const CLSID clsid_;
};

class Factory final : public IClassFactory {
public:
    CLSID clsid{};
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) DualObject(clsid);
        if (!object) return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(riid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory factories[std::size(kClasses)];

std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(thisModule, path, MAX_PATH);
    return path;
}

LONG Write(const ExportEntry& entry, const std::wstring& path) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    const std::wstring value = wcscmp(entry.value, L"%path%") == 0 ? path : entry.value;
    rc = RegSetValueExW(key, entry.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) thisModule = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, 40);
    for (size_t i = 0; i < std::size(kClasses); ++i) {
        if (_wcsicmp(text, kClasses[i]) != 0) continue;
        factories[i].clsid = clsid;
        return factories[i].QueryInterface(riid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return liveObjects == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    const std::wstring path = ModulePath();
    for (const ExportEntry& entry : kEntries)
        if (const LONG rc = Write(entry, path)) return HRESULT_FROM_WIN32(rc);
    if (!kTypeLib) return S_OK;
    ITypeLib* library = nullptr;
    const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &library);
    if (library) library->Release();
    return hr;
}

STDAPI DllUnregisterServer() {
    for (const wchar_t* key : kTopKeys) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    for (const wchar_t* key : kTopKeys) RegDeleteKeyW(HKEY_CLASSES_ROOT, key);
    return S_OK;
}
