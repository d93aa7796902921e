#include "registration/clsreg.h"

#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <optional>
#include <string>

#include "outcome/failure.h"
#include "paths/loaddiagnosis.h"
#include "runtime/errors.h"
#include "runtime/latebound.h"
#include "selfhandled.h"
#include "testdirs.h"
#include "testobject.h"

namespace {

// The window thread of the program is an OLE apartment, in a process whose
// DLL search is narrowed to the system folder; so is the test's.
class OleApartment : public ::testing::Environment {
public:
    void SetUp() override {
        rt::NarrowDllSearch();
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    }
    void TearDown() override { OleUninitialize(); }
};
const auto* const oleApartment = ::testing::AddGlobalTestEnvironment(new OleApartment);

const std::wstring kClsidKey = std::wstring(L"CLSID\\") + kTestObjectClsidText;

std::optional<std::wstring> RegistryText(const std::wstring& subKey, const wchar_t* name = nullptr) {
    wchar_t value[2048] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CLASSES_ROOT, subKey.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(value);
}

bool KeyExists(const std::wstring& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A working object made by ProgID, with a method called: 0 when all went well.
HRESULT CreateByProgIdAndAdd() {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(kTestObjectProgId, &clsid);
    if (FAILED(hr)) return hr;
    ITessiverTestObject* object = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ITessiverTestObject,
                          reinterpret_cast<void**>(&object));
    if (FAILED(hr)) return hr;
    LONG sum = 0;
    hr = object->Add(40, 2, &sum);
    object->Release();
    if (FAILED(hr)) return hr;
    return sum == 42 ? S_OK : E_UNEXPECTED;
}

class ClsReg : public ::testing::Test {
protected:
    void SetUp() override {
        // A run that stopped halfway must not leave the class registered.
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey.c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestObjectProgId);
    }

    // Registers the server at `path`, uses its class, unregisters it, and checks
    // the registry of the prefix at every step.
    void RoundTrip(const std::wstring& path, const std::wstring& fullPath) {
        EXPECT_FALSE(reg.IsProgIDRegistered(kTestObjectProgId));

        ASSERT_TRUE(reg.RegisterCOMServer(path));
        EXPECT_FALSE(rt::Err().IsSet());
        const auto server = RegistryText(kClsidKey + L"\\InprocServer32");
        ASSERT_TRUE(server.has_value());
        EXPECT_EQ(CompareStringOrdinal(server->c_str(), -1, fullPath.c_str(), -1, TRUE), CSTR_EQUAL)
            << "registered path: " << *server;
        EXPECT_EQ(RegistryText(kClsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(RegistryText(std::wstring(kTestObjectProgId) + L"\\CLSID"), kTestObjectClsidText);
        EXPECT_TRUE(reg.IsProgIDRegistered(kTestObjectProgId));
        EXPECT_EQ(CreateByProgIdAndAdd(), S_OK);
        HMODULE loaded = GetModuleHandleW(fullPath.c_str());
        EXPECT_NE(loaded, nullptr);

        ASSERT_TRUE(reg.UnregisterCOMServer(fullPath));
        EXPECT_FALSE(KeyExists(kClsidKey));
        EXPECT_FALSE(KeyExists(kTestObjectProgId));
        EXPECT_FALSE(reg.IsProgIDRegistered(kTestObjectProgId));
        EXPECT_EQ(CreateByProgIdAndAdd(), CO_E_CLASSSTRING);
        // Found again through the loaded module, and never unloaded.
        EXPECT_EQ(GetModuleHandleW(fullPath.c_str()), loaded);
    }

    clsReg reg;
};

TEST_F(ClsReg, RealServerRegistersFromARelativePathAndUnregisters) {
    const std::wstring full = ServerPath(L"testcomserver.dll");
    ASSERT_EQ(GetModuleHandleW(full.c_str()), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(TestProgramDir().c_str()));
    RoundTrip(L"..\\servers\\testcomserver.dll", full);
}

TEST_F(ClsReg, ServerInAFolderTheAnsiCodePageCannotNameRegisters) {
    const std::wstring folder = ServersDir() + L"\\\u03A9\u043C\u0435\u0433\u0430 \u6E2C\u8A66";
    const std::wstring copy = folder + L"\\\u0441\u0435\u0440\u0432\u0435\u0440 \u2603.dll";
    if (GetACP() != CP_UTF8) {
        BOOL lossy = FALSE;
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, copy.c_str(), -1, nullptr, 0, nullptr, &lossy);
        ASSERT_TRUE(lossy) << "the name must not survive the ANSI code page";
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(ServerPath(L"testcomserver.dll").c_str(), copy.c_str(), FALSE) ||
                GetModuleHandleW(copy.c_str()));
    RoundTrip(copy, copy);
}

TEST_F(ClsReg, HelperDllBesideTheServerIsFound) {
    const std::wstring helper = ServersDir() + L"\\beside\\besidehelper.dll";
    ASSERT_EQ(GetFileAttributesW((TestProgramDir() + L"\\besidehelper.dll").c_str()),
              INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(SetCurrentDirectoryW(TestProgramDir().c_str()));
    EXPECT_TRUE(reg.RegisterCOMServer(L"..\\servers\\beside\\needsdep.dll")) << rt::Err().LastDllError;
    EXPECT_NE(GetModuleHandleW(helper.c_str()), nullptr);
    EXPECT_TRUE(reg.UnregisterCOMServer(ServersDir() + L"\\beside\\needsdep.dll"));
}

// Servers keep the search they had before the program narrowed its own: a
// helper on the PATH is found, and so is a bare name.
TEST_F(ClsReg, ThePathStillNamesServersAndTheirHelpers) {
    const std::wstring server = ServersDir() + L"\\pathserver\\pathserver.dll";
    EXPECT_FALSE(reg.RegisterCOMServer(server));
    EXPECT_EQ(rt::Err().LastDllError, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(services::ExplainLoadFailure(services::ResolveServer(server)).chain,
              std::vector<std::wstring>{L"pathhelper.dll"});
    EXPECT_FALSE(reg.RegisterCOMServer(L"sfalsereg"));

    wchar_t saved[32767] = {};
    GetEnvironmentVariableW(L"PATH", saved, static_cast<DWORD>(std::size(saved)));
    const std::wstring path = std::wstring(saved) + L";" + ServersDir() + L"\\onpath;" + ServersDir();
    ASSERT_TRUE(SetEnvironmentVariableW(L"PATH", path.c_str()));
    EXPECT_TRUE(reg.RegisterCOMServer(server)) << rt::Err().LastDllError;
    EXPECT_TRUE(reg.UnregisterCOMServer(server));
    EXPECT_NE(GetModuleHandleW((ServersDir() + L"\\onpath\\pathhelper.dll").c_str()), nullptr);
    EXPECT_TRUE(reg.RegisterCOMServer(L"sfalsereg"));
    EXPECT_NE(GetModuleHandleW(ServerPath(L"sfalsereg.dll").c_str()), nullptr);
    SetEnvironmentVariableW(L"PATH", saved);
}

TEST_F(ClsReg, ResultsAndRecordedErrors) {
    struct Row {
        const wchar_t* file;
        bool result;
        long number;         // recorded error, 0 for none
        DWORD lastDllError;  // the loader's code, where loading failed
        HRESULT hresult;     // the export's answer, where it failed
        bool staysLoaded;
    };
    const Row rows[] = {
        {L"sfalsereg.dll", true, 0, 0, S_OK, true},
        {L"john.doe\\sfalsereg", true, 0, 0, S_OK, true},
        {L"john.doe\\sfalsereg.", false, 999, ERROR_MOD_NOT_FOUND, S_OK, false},
        {L"failreg.dll", false, E_ACCESSDENIED, 0, E_ACCESSDENIED, true},
        {L"plain.dll", false, 998, ERROR_PROC_NOT_FOUND, S_OK, true},
        {L"notadll.ocx", false, 999, ERROR_BAD_EXE_FORMAT, S_OK, false},
        {L"x64server.dll", false, 999, ERROR_BAD_EXE_FORMAT, S_OK, false},
        {L"no such server.dll", false, 999, ERROR_MOD_NOT_FOUND, S_OK, false},
    };
    for (const Row& row : rows) {
        const std::wstring path = ServerPath(row.file);
        for (bool registering : {true, false}) {
            SCOPED_TRACE(testing::Message() << (registering ? "register " : "unregister ") << path);
            const bool result = registering ? reg.RegisterCOMServer(path) : reg.UnregisterCOMServer(path);
            EXPECT_EQ(result, row.result);
            const rt::ErrorInfo& err = rt::Err();
            EXPECT_EQ(err.Number, row.number);
            if (row.number == 999) {
                EXPECT_EQ(err.Description, L"library missing!");
            } else if (row.number == 998) {
                EXPECT_EQ(err.Description, L"not a exported function!");
            }
            EXPECT_EQ(err.LastDllError, row.lastDllError);
            EXPECT_EQ(err.HResult, row.hresult);
            EXPECT_EQ(GetModuleHandleW(path.c_str()) != nullptr, row.staysLoaded);
        }
    }
}

// The head of this thread's list of exception handler frames.
void* HandlerChain() {
#ifdef _MSC_VER
    return reinterpret_cast<void*>(__readfsdword(0));
#else
    void* head = nullptr;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
#endif
}

TEST_F(ClsReg, ExceptionsThatEscapeTheExportAreCaughtAtTheCall) {
    void* const chain = HandlerChain();
    const struct {
        const wchar_t* file;
        bool registering;
        DWORD code;
        const wchar_t* described;
    } rows[] = {
        {L"crashserver.dll", true, EXCEPTION_ACCESS_VIOLATION,
         L"C0000005 (access violation writing address 0x00000000) in crashserver.dll at offset 0x"},
        {L"crashserver.dll", false, EXCEPTION_STACK_OVERFLOW,
         L"C00000FD (stack overflow) in crashserver.dll"},
        {L"raiseserver.dll", true, 0xE06D7363, L"E06D7363 (C++ exception) in "},
    };
    // Twice: what the first round leaves behind (the stack's guard page above all) must not matter.
    for (int round = 0; round < 2; ++round) {
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message() << row.file << " round " << round);
            const std::wstring path = ServerPath(row.file);
            EXPECT_FALSE(row.registering ? reg.RegisterCOMServer(path) : reg.UnregisterCOMServer(path));
            EXPECT_EQ(rt::Err().Number, services::failure::ServerException);
            EXPECT_EQ(static_cast<DWORD>(rt::Err().HResult), row.code);
            EXPECT_EQ(rt::Err().Description.rfind(row.described, 0), 0u) << rt::Err().Description;
            EXPECT_EQ(HandlerChain(), chain);
        }
    }

    // Exceptions the server handles itself stay its own business.
    ASSERT_TRUE(reg.UnregisterCOMServer(ServerPath(L"selfhandled.dll")));
    EXPECT_TRUE(reg.RegisterCOMServer(ServerPath(L"selfhandled.dll")));
    EXPECT_EQ(SelfHandledNote(L"Handled"), 1u);
    EXPECT_EQ(SelfHandledNote(L"Probed"), 1u);
    EXPECT_TRUE(reg.UnregisterCOMServer(ServerPath(L"selfhandled.dll")));
    EXPECT_EQ(HandlerChain(), chain);

    // And the next server registers as if nothing had happened.
    EXPECT_TRUE(reg.RegisterCOMServer(ServerPath(L"testcomserver.dll")));
    EXPECT_TRUE(reg.UnregisterCOMServer(ServerPath(L"testcomserver.dll")));
}

// The loader makes a bare 998 of it and unmaps the server; what and where are kept from the moment it
// happened.
TEST_F(ClsReg, ACrashInDllMainIsToldApartFromAFileThatWillNotLoad) {
    const std::wstring path = ServerPath(L"dllmaincrash.dll");
    for (bool registering : {true, false}) {
        EXPECT_FALSE(registering ? reg.RegisterCOMServer(path) : reg.UnregisterCOMServer(path));
        EXPECT_EQ(rt::Err().Number, services::failure::ServerLoadException);
        EXPECT_EQ(static_cast<DWORD>(rt::Err().HResult), EXCEPTION_ACCESS_VIOLATION);
        EXPECT_EQ(
            rt::Err().Description.rfind(
                L"C0000005 (access violation writing address 0x00000000) in dllmaincrash.dll at offset 0x",
                0),
            0u)
            << rt::Err().Description;
        EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr);
    }
    // An exception the loader never saw is no crash in DllMain.
    EXPECT_FALSE(reg.RegisterCOMServer(ServerPath(L"no such server.dll")));
    EXPECT_EQ(rt::Err().Number, services::failure::LibraryMissing);
}

// The window's service takes each file's road; without the helper it carries, a 64-bit server is
// refused there as the window refuses it, and what a file met is readable afterwards either way.
TEST_F(ClsReg, WithAHelperModuleEachFileTakesItsRoad) {
    clsReg running(GetModuleHandleW(nullptr), L"no such helper");
    const long refused =
        services::Is64BitWindows() ? services::failure::HelperUnavailable : services::failure::Needs64BitWindows;
    const struct {
        const wchar_t* file;
        bool result;
        long number;
    } rows[] = {
        {L"x64server.dll", false, refused},
        {L"sfalsereg.dll", true, 0},
        {L"plain.dll", false, services::failure::NotExported},
        {L"failreg.dll", false, static_cast<long>(E_ACCESSDENIED)},
    };
    for (const auto& row : rows) {
        for (bool registering : {true, false}) {
            SCOPED_TRACE(testing::Message() << row.file << (registering ? " register" : " unregister"));
            const std::wstring path = ServerPath(row.file);
            EXPECT_EQ(registering ? running.RegisterCOMServer(path) : running.UnregisterCOMServer(path),
                      row.result);
            EXPECT_EQ(rt::Err().Number, row.number);
            const services::RegistrationOutcome outcome =
                running.Run(services::ResolveServer(path), services::RegistrationTask(registering), {});
            EXPECT_EQ(outcome.Succeeded, row.result);
            EXPECT_EQ(outcome.Err.Number, row.number);
            EXPECT_EQ(outcome.Path(), path);
        }
    }
    if (!services::Is64BitWindows()) {
        EXPECT_FALSE(running.HasHelper());
    }
}

TEST_F(ClsReg, EmptyPathIsAMissingLibrary) {
    EXPECT_FALSE(reg.RegisterCOMServer(L""));
    EXPECT_EQ(rt::Err().Number, 999);
}

TEST_F(ClsReg, UnknownProgIdsAreNotRegistered) {
    for (const wchar_t* progId : {L"Tessiver.NoSuchClass", L"", L"{not a clsid}"}) {
        EXPECT_FALSE(reg.IsProgIDRegistered(progId)) << progId;
    }
}

}  // namespace
