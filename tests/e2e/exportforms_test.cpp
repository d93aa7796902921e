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
#include "exportclient.h"
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

// Each name a client creates, and the class it must get: the classes, and
// the ProgIDs, the one two classes claim going to the class its key names.
std::vector<std::pair<std::wstring, std::wstring>> Expected() {
    std::vector<std::pair<std::wstring, std::wstring>> names;
    for (const std::wstring& clsid : kClasses) names.emplace_back(clsid, clsid);
    names.insert(names.end(), {{L"Tessiver.DualA.1", TESSIVER_DUAL_A},
                               {L"Tessiver.DualA", TESSIVER_DUAL_A},
                               {L"Tessiver.DualB.1", TESSIVER_DUAL_B},
                               {L"Tessiver.Claimed", TESSIVER_CLAIM_SECOND},
                               {kTestObjectProgId, kTestObjectClsidText}});
    return names;
}

// What the loader finds inside the context: each class made, each ProgID's class, each proxy/stub.
void ExpectResolvedInContext() {
    for (const auto& [name, clsid] : Expected()) EXPECT_EQ(Made(name), clsid) << testing::PrintToString(name);
    const struct {
        std::wstring iid, proxyStub;
    } interfaces[] = {{TESSIVER_DUAL_IID, L"{00020424-0000-0000-C000-000000000046}"},
                      {TESSIVER_PROXIED_IID, TESSIVER_PROXY_CLASS}};
    for (const auto& row : interfaces) {
        CLSID proxyStub{};
        EXPECT_EQ(CoGetPSClsid(Guid(row.iid), &proxyStub), S_OK) << testing::PrintToString(row.iid);
        EXPECT_EQ(GuidText(proxyStub), row.proxyStub) << testing::PrintToString(row.iid);
    }
    ITypeLib* library = nullptr;
    EXPECT_EQ(LoadRegTypeLib(Guid(TESSIVER_DUAL_LIB), 1, 0, 0, &library), S_OK);
    if (library) library->Release();
}

// The manifest of the servers in `folder` (the plain test server copied there
// too), written beside them; its path.
std::wstring ManifestBeside(const std::wstring& folder, const std::vector<std::wstring>& names,
                            const std::wstring& plainServer) {
    const std::wstring plain = folder + L"\\" + plainServer;
    EXPECT_TRUE(CopyFileW((folder + L"\\..\\" + plainServer).c_str(), plain.c_str(), FALSE));
    std::wstring files;
    for (const std::wstring& name : names) files += L" " + Quoted(folder + L"\\" + name);
    const CommandResult run =
        RunCommand(L"/s /manifest:Tessiver.Export" + files + L" " + Quoted(plain), L"", true);
    EXPECT_EQ(run.exitCode, 0u) << testing::PrintToString(run.output);
    EXPECT_NE(run.output.find(L"name=\"Tessiver.Export\" version=\"1.2.3.4\""), std::wstring::npos);
    EXPECT_NE(run.output.find(L"<!-- ProgID Tessiver.Claimed stays with class " TESSIVER_CLAIM_SECOND),
              std::wstring::npos)
        << testing::PrintToString(run.output);
    const std::wstring manifest = folder + L"\\app.manifest";
    WriteUtf8(manifest, run.output);
    return manifest;
}

TEST(ExportForms, ManifestServesEveryClassUnregistered) {
    for (const std::wstring& clsid : kClasses)
        ASSERT_FALSE(Registered(clsid)) << testing::PrintToString(clsid);
    const std::wstring manifest =
        ManifestBeside(ServerPath(L"export"), {L"dualserver.dll", L"proxyserver.dll", L"claimserver.dll"},
                       L"testcomserver.dll");
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.lpSource = manifest.c_str();
    const HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << GetLastError();
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

#ifdef EXPORT_TEST_64
// The 64-bit servers' manifest, taken by a 64-bit client; and no manifest of both kinds.
TEST(ExportForms, Manifest64ServesEveryClassUnregistered) {
    const std::wstring manifest =
        ManifestBeside(ServerPath(L"x64\\export"),
                       {L"dualserver64.dll", L"proxyserver64.dll", L"claimserver64.dll"}, L"comserver64.dll");
    std::wstring command = Quoted(ServerPath(L"x64\\actctxclient.exe")) + L" " + Quoted(manifest);
    for (const auto& [name, clsid] : Expected()) command += L" " + name + L"=" + clsid;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &startup, &started));
    WaitForSingleObject(started.hProcess, 20000);
    DWORD differed = STILL_ACTIVE;
    GetExitCodeProcess(started.hProcess, &differed);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    EXPECT_EQ(differed, 0u);
    const CommandResult both = RunCommand(L"/s /manifest " + Quoted(ServerPath(L"export\\dualserver.dll")) +
                                              L" " + Quoted(ServerPath(L"x64\\export\\dualserver64.dll")),
                                          L"", true);
    EXPECT_EQ(both.exitCode, 1u);
    EXPECT_NE(both.output.find(L"are one 32-bit, one 64-bit"), std::wstring::npos)
        << testing::PrintToString(both.output);
}
#endif

}  // namespace
