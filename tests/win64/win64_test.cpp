// The window's Register and Unregister on a 64-bit system: 64-bit servers run
// by the helper, 32-bit ones in the process, each class landing in its own
// view of the registry, every failure of a 64-bit server explained and survived.
#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "largefile.h"
#include "leftobjects.h"
#include "main/frmreg.h"
#include "outcome/failure.h"
#include "paths/serverroad.h"
#include "pefile.h"
#include "pump.h"
#include "runtime/handles.h"
#include "testdirs.h"
#include "testobject.h"
#include "win64kit.h"

namespace {

std::wstring Server64(const std::wstring& name) {
    return ServerPath(L"x64\\" + name);
}

// The sweep for leftovers runs beside the window: what it removes goes a little later.
bool GoneWithin(const std::wstring& path, DWORD ms) {
    for (const ULONGLONG until = GetTickCount64() + ms; GetTickCount64() < until; Sleep(20))
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

class Win64 : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        ASSERT_TRUE(services::Is64BitWindows()) << "this test needs the 64-bit prefix";
        ForgetTestClass();
        window.Load(GetModuleHandleW(nullptr));
        window.Show();
    }

    frmReg window;
};

TEST_F(Win64, EachKindRegistersInItsOwnViewFromOneSelection) {
    const std::wstring server32 = ServerPath(L"testcomserver.dll");
    const std::wstring server64 = Server64(L"comserver64.dll");

    for (const std::wstring& path : {server64, server32}) {
        const services::RegistrationOutcome done = window.RegisterOne(path, true);
        EXPECT_TRUE(done.Succeeded) << RegistrationFailureText(done, true);
        EXPECT_EQ(done.InHelper(), path == server64);
    }
    EXPECT_TRUE(SamePath(ServerInView(KEY_WOW64_64KEY), server64));
    EXPECT_TRUE(SamePath(ServerInView(KEY_WOW64_32KEY), server32));

    EXPECT_TRUE(window.RegisterOne(server64, false).Succeeded);
    EXPECT_EQ(ServerInView(KEY_WOW64_64KEY), std::nullopt);
    EXPECT_TRUE(SamePath(ServerInView(KEY_WOW64_32KEY), server32));
    EXPECT_TRUE(window.RegisterOne(server32, false).Succeeded);
    EXPECT_EQ(ServerInView(KEY_WOW64_32KEY), std::nullopt);
}

// What names each file is read in the view of its kind, and said with the view.
TEST_F(Win64, EachAnswerSaysWhatItsOwnViewHolds) {
    const std::wstring left64 = Server64(L"leaveserver64.dll");
    const struct {
        std::wstring file;
        bool registering;
        std::wstring says;
        bool warns;
    } rows[] = {
        {Server64(L"comserver64.dll"), true,
         L"is registered in the 64-bit registry:\r\nclass " + std::wstring(kTestObjectClsidText) +
             L" Tessiver.TestObject (Apartment)",
         false},
        {ServerPath(L"leaveserver.dll"), true,
         L"is registered in the 32-bit registry:\r\nclass " + LeftClsid(1), false},
        {left64, true, L"is registered in the 64-bit registry:\r\nclass " + LeftClsid(1), false},
        {left64, false, L"But 9 classes in the 64-bit registry still name this file:", true},
        {Server64(L"comserver64.dll"), false,
         L"No class or type library in the 64-bit registry names this file now.", false},
        // The usual causes, for the 64-bit kind.
        {Server64(L"needsmfc64.dll"), true,
         L"mfc140u.dll comes with the Microsoft Visual C++ 2015-2022 Redistributable (x64): install it, "
         L"then try again.",
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.file) + (row.registering ? " registered" : " unregistered"));
        const services::RegistrationOutcome outcome = window.RegisterOne(row.file, row.registering);
        const std::wstring text = RegistrationReport({outcome}, row.registering);
        EXPECT_NE(text.find(row.says), std::wstring::npos) << testing::PrintToString(text);
        EXPECT_EQ(RegistryNamesWarn(outcome, row.registering), row.warns);
    }
    const std::wstring assembly = TestProgramDir() + L"\\assembly64.dll";
    ASSERT_TRUE(testkit::DotNetCopy(Server64(L"plain64.dll"), assembly));
    EXPECT_NE(RegistrationFailureText(window.RegisterOne(assembly, true), true)
                  .find(L"The file is a .NET assembly"),
              std::wstring::npos);
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY classes = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 0, KEY_ALL_ACCESS | view,
                          &classes))
            continue;
        for (int n = 1; n <= kLeftClasses; ++n) RegDeleteTreeW(classes, LeftClsid(n).c_str());
        RegCloseKey(classes);
    }
}

TEST_F(Win64, EveryFailureOfA64BitServerIsExplained) {
    using Kind = services::LoadProblem::Kind;
    const struct {
        std::wstring file;
        bool registering;
        long number;
        const wchar_t* says;
    } rows[] = {
        {L"failreg64.dll", true, static_cast<long>(E_ACCESSDENIED), L"reported failure 0x80070005"},
        {L"plain64.dll", false, services::failure::NotExported,
         L"The file is not a self-registering COM server: it has no DllUnregisterServer export."},
        {L"crashserver64.dll", true, services::failure::ServerException,
         L"failed with an exception: C0000005 (access violation writing address 0x00000000) in "
         L"crashserver64.dll "
         L"at offset 0x"},
        {L"crashserver64.dll", false, services::failure::ServerException,
         L"failed with an exception: C00000FD (stack overflow) in crashserver64.dll at offset 0x"},
        {L"dllmaincrash64.dll", true, services::failure::ServerLoadException,
         L"crashed while it was being loaded, in its DllMain, before its DllRegisterServer could run: "
         L"C0000005 "
         L"(access violation writing address 0x00000000) in dllmaincrash64.dll at offset 0x"},
        {L"probe\\probeserver.dll", true, services::failure::LibraryMissing,
         L"it needs probemiddle.dll, which needs probehelper.dll, which was not found"},
        {L"hangserver64.dll", false, services::failure::HelperEnded,
         L"The server ended the process that ran it (exit code 3) before its DllUnregisterServer answered."},
        // Writing without end into every pipe it holds, the helper's answer among them.
        {L"chattyserver64.dll", false, services::failure::AnswerTooLong,
         L"The server's DllUnregisterServer wrote into the 64-bit helper's answer, more than any answer "
         L"holds, "
         L"and was ended."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.file);
        const services::RegistrationOutcome outcome = window.RegisterOne(Server64(row.file), row.registering);
        EXPECT_FALSE(outcome.Succeeded);
        EXPECT_TRUE(outcome.InHelper());
        EXPECT_EQ(outcome.Err.Number, row.number);
        const std::wstring text = RegistrationFailureText(outcome, row.registering);
        EXPECT_NE(text.find(row.says), std::wstring::npos) << testing::PrintToString(text);
        if (row.number == services::failure::LibraryMissing) {
            EXPECT_EQ(outcome.Problem.kind, Kind::MissingDll);
        }
    }
    EXPECT_FALSE(HelperRunning());
    // And the window goes on as before.
    EXPECT_TRUE(window.RegisterOne(Server64(L"comserver64.dll"), true).Succeeded);
    EXPECT_TRUE(window.RegisterOne(Server64(L"comserver64.dll"), false).Succeeded);
}

TEST_F(Win64, AServerThatNeverAnswersIsEndedWhenTheUserSaysSo) {
    // The question comes after ten seconds; whoever answers it here says Yes.
    HWND question = nullptr;
    std::thread answer([&] {
        const ULONGLONG until = GetTickCount64() + 30000;
        while (!question && GetTickCount64() < until) {
            Sleep(100);
            question = FindWindowW(L"#32770", L"Error!");
        }
        if (question) PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    });
    const ULONGLONG started = GetTickCount64();
    const services::RegistrationOutcome outcome = window.RegisterOne(Server64(L"hangserver64.dll"), true);
    const ULONGLONG took = GetTickCount64() - started;
    answer.join();
    ASSERT_NE(question, nullptr);
    EXPECT_GE(took, 10000u);
    EXPECT_EQ(outcome.Err.Number, services::failure::NotAnswering);
    EXPECT_NE(RegistrationFailureText(outcome, true).find(L"DllRegisterServer did not answer and was ended"),
              std::wstring::npos);
    EXPECT_FALSE(HelperRunning());
}

// What a server writes reaches nobody, and no handle of the window but the
// helper's own two reaches the server.
TEST_F(Win64, AServersOutputAndTheWindowsHandlesStayApartFromTheAnswer) {
    const std::wstring probe = TestProgramDir() + L"\\stray-handle.txt";
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE stray = CreateFileW(probe.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(stray, INVALID_HANDLE_VALUE);
    SetEnvironmentVariableW(L"TESSIVER_PROBE_HANDLE",
                            std::to_wstring(reinterpret_cast<uintptr_t>(stray)).c_str());
    SetEnvironmentVariableW(L"TESSIVER_PROBE_FILE", probe.c_str());

    // Its 100 KB of output neither comes before the answer nor fills anything.
    const services::RegistrationOutcome done = window.RegisterOne(Server64(L"chattyserver64.dll"), true);
    // It writes nothing into the registry, which the answer says too.
    EXPECT_EQ(
        RegistrationReport({done}, true),
        L"Registered successfully\r\n\r\nBut no class or type library in the 64-bit registry names this "
        L"file.")
        << RegistrationFailureText(done, true);
    LARGE_INTEGER size{};
    EXPECT_TRUE(GetFileSizeEx(stray, &size));
    EXPECT_EQ(size.QuadPart, 0) << "the server wrote through the window's inheritable handle";

    SetEnvironmentVariableW(L"TESSIVER_PROBE_HANDLE", nullptr);
    SetEnvironmentVariableW(L"TESSIVER_PROBE_FILE", nullptr);
    CloseHandle(stray);
    DeleteFileW(probe.c_str());
}

// Typing never waits on the disk: which kind the text names is found off the
// window thread, and a server's kind comes from its headers alone.
TEST_F(Win64, TheFieldsChangeReturnsAtOnceWithALargeServerNamed) {
    const std::wstring large = TestProgramDir() + L"\\large64.dll";
    ASSERT_TRUE(LargeCopy(Server64(L"comserver64.dll"), large));
    EXPECT_FALSE(HelperRunning());
    const ULONGLONG started = GetTickCount64();
    window.Form().Find<rt::TextBox>(L"txtSource")->SetText(L"\"" + large + L"\"");
    EXPECT_LT(GetTickCount64() - started, 250u);
    // The answer comes back to the window thread, and the helper gets ready.
    for (const ULONGLONG until = GetTickCount64() + 10000; !HelperRunning() && GetTickCount64() < until;)
        Pump(50);
    // One that dies while it waits is replaced.
    const rt::Handle ready(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, HelperProcess()));
    ASSERT_TRUE(ready);
    TerminateProcess(ready.Get(), 9);
    WaitForSingleObject(ready.Get(), 5000);
    EXPECT_TRUE(window.RegisterOne(large, true).Succeeded);
    EXPECT_TRUE(window.RegisterOne(large, false).Succeeded);
    DeleteFileW(large.c_str());
}

// Links a user without elevation could plant in a temporary folder under the
// names of the program's leftovers, leading elsewhere: what they lead to
// survives the next helper, and a real leftover goes.
TEST_F(Win64, LinksPlantedUnderLeftoversNamesLeadTheProgramNowhere) {
    const std::wstring victim = TestProgramDir() + L"\\victim";
    CreateDirectoryW(victim.c_str(), nullptr);
    const std::wstring precious = victim + L"\\tessiver64.exe";
    ASSERT_TRUE(CopyFileW(Server64(L"failreg64.dll").c_str(), precious.c_str(), FALSE));
    const std::wstring name = L"tessiver-0123456789ABCDEF0123456789ABCDE";
    const std::wstring linkedFolder = SystemTemp() + name + L"0", realFolder = SystemTemp() + name + L"1",
                       leftover = SystemTemp() + name + L"2",
                       oldName = UserTemp() + L"tessiver-00000001-00000002";
    ASSERT_TRUE(PlantLink(linkedFolder, victim));
    ASSERT_TRUE(PlantLink(oldName, victim));
    // A real folder of that name whose file is a link.
    ASSERT_TRUE(CreateDirectoryW(realFolder.c_str(), nullptr));
    ASSERT_TRUE(PlantLink(realFolder + L"\\tessiver64.exe", precious));
    // A real leftover, as a killed program's file that the system could not delete.
    ASSERT_TRUE(CreateDirectoryW(leftover.c_str(), nullptr));
    ASSERT_TRUE(
        CopyFileW(Server64(L"failreg64.dll").c_str(), (leftover + L"\\tessiver64.exe").c_str(), FALSE));

    EXPECT_TRUE(window.RegisterOne(Server64(L"failreg64.dll"), true).InHelper());
    EXPECT_TRUE(GoneWithin(leftover, 10000));
    EXPECT_NE(GetFileAttributesW(precious.c_str()), INVALID_FILE_ATTRIBUTES);

    RemoveLink(realFolder + L"\\tessiver64.exe");
    RemoveDirectoryW(realFolder.c_str());
    RemoveLink(linkedFolder);
    RemoveLink(oldName);
    DeleteFileW((leftover + L"\\tessiver64.exe").c_str());
    RemoveDirectoryW(leftover.c_str());
    DeleteFileW(precious.c_str());
    RemoveDirectoryW(victim.c_str());
}

// A temporary folder filled with look-alikes of the program's folders, as any
// user may fill it: the first 64-bit registration answers as soon as with an
// empty one, and what a killed program left still goes, beside the window.
TEST_F(Win64, LookAlikesInTheTemporaryFolderDelayNoAnswer) {
    const auto timedRegistration = [](frmReg& form) {
        const ULONGLONG started = GetTickCount64();
        EXPECT_TRUE(form.RegisterOne(Server64(L"failreg64.dll"), true).InHelper());
        return GetTickCount64() - started;
    };
    ULONGLONG calm = 0;
    {
        frmReg other;
        other.Load(GetModuleHandleW(nullptr));
        calm = timedRegistration(other);
    }
    std::vector<std::wstring> planted;
    for (int i = 0; i < 5000; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"tessiver-%032X", 0x5EED0000 + i);
        planted.push_back(SystemTemp() + name);
        ASSERT_TRUE(CreateDirectoryW(planted.back().c_str(), nullptr));
    }
    const std::wstring leftover = planted[planted.size() / 2];
    ASSERT_TRUE(
        CopyFileW(Server64(L"failreg64.dll").c_str(), (leftover + L"\\tessiver64.exe").c_str(), FALSE));

    const ULONGLONG crowded = timedRegistration(window);
    EXPECT_LT(crowded, calm + 1000) << "calm " << calm;
    const ULONGLONG swept = GetTickCount64();
    EXPECT_TRUE(GoneWithin(leftover, 120000));
    std::printf(
        "first 64-bit registration: %llu ms calm, %llu ms among 5,000 look-alikes; swept %llu ms later\n",
        calm, crowded, GetTickCount64() - swept);
    for (const std::wstring& folder : planted) {
        DeleteFileW((folder + L"\\tessiver64.exe").c_str());
        RemoveDirectoryW(folder.c_str());
    }
}

TEST_F(Win64, APathIntoTheSystemFolderMeansTheShellsFile) {
    wchar_t system[MAX_PATH] = {}, windows[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring name = L"\\tessiver-comserver64.dll";
    // Copied where the shell shows it: the 64-bit system folder, which this process reaches by its alias.
    ASSERT_TRUE(CopyFileW(Server64(L"comserver64.dll").c_str(),
                          (std::wstring(windows) + L"\\Sysnative" + name).c_str(), FALSE));
    const std::wstring path = std::wstring(system) + name;
    ASSERT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "redirected, it is not there";

    // By its path, and by its bare name, found as the 64-bit loader finds it: the same file.
    for (const std::wstring& given : {path, name.substr(1)}) {
        SCOPED_TRACE(testing::Message() << given);
        const services::RegistrationOutcome done = window.RegisterOne(given, true);
        EXPECT_TRUE(done.Succeeded) << RegistrationFailureText(done, true);
        EXPECT_TRUE(done.InHelper());
        EXPECT_TRUE(SamePath(ServerInView(KEY_WOW64_64KEY), path));
        EXPECT_EQ(ServerInView(KEY_WOW64_32KEY), std::nullopt);
        // Read from here, the system folder the value names is the 64-bit one, where the file is.
        ASSERT_TRUE(done.Names);
        EXPECT_EQ(done.Names->classes.size(), 1u);
        EXPECT_TRUE(window.RegisterOne(given, false).Succeeded);
        EXPECT_EQ(ServerInView(KEY_WOW64_64KEY), std::nullopt);
    }
    DeleteFileW((std::wstring(windows) + L"\\Sysnative" + name).c_str());
}

TEST(Win64End, NothingIsLeftOnceTheWindowIsGone) {
    {
        frmReg window;
        window.Load(GetModuleHandleW(nullptr));
        EXPECT_TRUE(window.RegisterOne(Server64(L"failreg64.dll"), true).InHelper());
        EXPECT_EQ(TempFoldersLeft(), 1);
    }
    EXPECT_EQ(TempFoldersLeft(), 0);
    EXPECT_FALSE(HelperRunning());
}

}  // namespace
