// The manifest taken by what consumes it: with the servers unregistered, the
// system's loader creates every class, resolves every ProgID, the type library
// and the interfaces' proxy/stubs from an activation context made of it.
#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <oleauto.h>

#include <string>
#include <vector>

#include "driver.h"
#include "exportservers.h"
#include "testobject.h"

using namespace e2e;

namespace {

const std::vector<std::wstring> kClasses = {TESSIVER_DUAL_A,       TESSIVER_DUAL_B,
                                            TESSIVER_PROXY_CLASS,  TESSIVER_CLAIM_FIRST,
                                            TESSIVER_CLAIM_SECOND, kTestObjectClsidText};

bool Registered(const std::wstring& clsid) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void WriteUtf8(const std::wstring& file, const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size() - 1), &written, nullptr);
    CloseHandle(out);
}

CLSID Guid(const std::wstring& text) {
    CLSID guid{};
    CLSIDFromString(text.c_str(), &guid);
    return guid;
}

std::wstring Text(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// The class an object says it is: its IPersist, or the plain test object's own interface.
std::wstring ClassOf(IUnknown* object) {
    IPersist* persist = nullptr;
    CLSID clsid{};
    if (SUCCEEDED(object->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)))) {
        persist->GetClassID(&clsid);
        persist->Release();
        return Text(clsid);
    }
    IUnknown* plain = nullptr;
    if (FAILED(object->QueryInterface(IID_ITessiverTestObject, reinterpret_cast<void**>(&plain)))) return L"";
    plain->Release();
    return kTestObjectClsidText;
}

// The class made for an identifier or a ProgID, as the loader resolves it; empty when none is.
std::wstring Made(const std::wstring& name) {
    CLSID clsid{};
    if (name[0] == L'{' ? FAILED(CLSIDFromString(name.c_str(), &clsid))
                        : FAILED(CLSIDFromProgID(name.c_str(), &clsid)))
        return L"";
    IUnknown* object = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&object))))
        return L"";
    const std::wstring made = ClassOf(object);
    object->Release();
    return made;
}

// What the loader finds inside the context: each class made, each ProgID's class, each proxy/stub.
void ExpectResolvedInContext() {
    for (const std::wstring& clsid : kClasses) EXPECT_EQ(Made(clsid), clsid);
    const struct {
        const wchar_t* progId;
        std::wstring clsid;
    } progIds[] = {{L"Tessiver.DualA.1", TESSIVER_DUAL_A},
                   {L"Tessiver.DualA", TESSIVER_DUAL_A},
                   {L"Tessiver.DualB.1", TESSIVER_DUAL_B},
                   {L"Tessiver.Claimed", TESSIVER_CLAIM_SECOND},
                   {kTestObjectProgId, kTestObjectClsidText}};
    for (const auto& row : progIds)
        EXPECT_EQ(Made(row.progId), row.clsid) << testing::PrintToString(row.progId);
    const struct {
        std::wstring iid, proxyStub;
    } interfaces[] = {{TESSIVER_DUAL_IID, L"{00020424-0000-0000-C000-000000000046}"},
                      {TESSIVER_PROXIED_IID, TESSIVER_PROXY_CLASS}};
    for (const auto& row : interfaces) {
        CLSID proxyStub{};
        EXPECT_EQ(CoGetPSClsid(Guid(row.iid), &proxyStub), S_OK) << testing::PrintToString(row.iid);
        EXPECT_EQ(Text(proxyStub), row.proxyStub) << testing::PrintToString(row.iid);
    }
    ITypeLib* library = nullptr;
    EXPECT_EQ(LoadRegTypeLib(Guid(TESSIVER_DUAL_LIB), 1, 0, 0, &library), S_OK);
    if (library) library->Release();
}

TEST(ExportForms, ManifestServesEveryClassUnregistered) {
    const std::wstring folder = ServerPath(L"export");
    const std::wstring plain = folder + L"\\testcomserver.dll";
    ASSERT_TRUE(CopyFileW(ServerPath(L"testcomserver.dll").c_str(), plain.c_str(), FALSE));
    for (const std::wstring& clsid : kClasses)
        ASSERT_FALSE(Registered(clsid)) << testing::PrintToString(clsid);
    std::wstring files;
    for (const wchar_t* name :
         {L"dualserver.dll", L"proxyserver.dll", L"claimserver.dll", L"testcomserver.dll"})
        files += L" " + Quoted(folder + L"\\" + name);
    const CommandResult run = RunCommand(L"/s /manifest:Tessiver.Export" + files, L"", true);
    ASSERT_EQ(run.exitCode, 0u) << testing::PrintToString(run.output);
    EXPECT_NE(run.output.find(L"<!-- ProgID Tessiver.Claimed stays with class " TESSIVER_CLAIM_SECOND),
              std::wstring::npos)
        << testing::PrintToString(run.output);
    const std::wstring manifest = folder + L"\\app.manifest";
    WriteUtf8(manifest, run.output);
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.lpSource = manifest.c_str();
    const HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << GetLastError() << testing::PrintToString(run.output);
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ExpectResolvedInContext();
    CoUninitialize();
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
    for (const std::wstring& clsid : kClasses)
        EXPECT_FALSE(Registered(clsid)) << testing::PrintToString(clsid);
}

}  // namespace
