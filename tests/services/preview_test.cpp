#include "preview/preview.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "call/reg.h"
#include "containobjects.h"
#include "paths/serverroad.h"
#include "preview/previewnames.h"
#include "preview/previewscratch.h"
#include "preview/regfile.h"
#include "registration/clsreg.h"
#include "registry/regtext.h"
#include "regtools.h"
#include "runtime/handles.h"
#include "task/previewtask.h"
#include "testdirs.h"
#include "testobject.h"

namespace {

const std::wstring kClsidKey = std::wstring(L"CLSID\\") + kTestObjectClsidText;

void Forget() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kClsidKey.c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestObjectProgId);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kTestObjectProgId);
}

// What the registry holds for the test class, as a registration file would say it.
std::wstring TestClassInRegistry() {
    services::RegDiff all;
    for (const std::wstring& path : {kClsidKey, std::wstring(kTestObjectProgId)}) {
        rt::RegKey key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) continue;
        for (services::RegKey& k : services::ReadRegTree(key.Get())) {
            k.Path = k.Path.empty() ? path : path + L"\\" + k.Path;
            all.Written.push_back(std::move(k));
        }
    }
    return services::RegFileText(all, [](const std::wstring& p) { return L"HKEY_CLASSES_ROOT\\" + p; });
}

void ExpectTheTestClass(const services::RegistryNames& names) {
    ASSERT_EQ(names.classes.size(), 1u);
    EXPECT_EQ(names.classes[0].clsid, kTestObjectClsidText);
    EXPECT_EQ(names.classes[0].progId, kTestObjectProgId);
    EXPECT_EQ(names.classes[0].name, L"Tessiver test object");
    EXPECT_EQ(names.classes[0].threadingModel, L"Apartment");
    EXPECT_TRUE(names.typeLibs.empty());
}

TEST(Preview, ARegistrationPreviewedWritesNothingAndImportsAsTheRealOne) {
    Forget();
    clsReg reg;
    const std::wstring server = ServerPath(L"testcomserver.dll");
    services::RegDiff diff;
    {
        services::RegistryPreview preview;
        ASSERT_EQ(preview.Error(), 0);
        EXPECT_TRUE(reg.RegisterCOMServer(server));
        diff = preview.Finish();
    }
    EXPECT_EQ(TestClassInRegistry(), L"Windows Registry Editor Version 5.00\r\n")
        << "nothing real was written";
    const std::wstring text = services::PreviewRegText(diff);
    EXPECT_EQ(text.rfind(L"Windows Registry Editor Version 5.00\r\n", 0), 0u);
    EXPECT_NE(text.find(L"\r\n[HKEY_CLASSES_ROOT\\" + kClsidKey + L"\\InprocServer32]\r\n"),
              std::wstring::npos)
        << testing::PrintToString(text);
    EXPECT_EQ(text.find(L"[HKEY_CLASSES_ROOT\\CLSID]"), std::wstring::npos)
        << "keys that only lead on stay out";

    ASSERT_TRUE(reg.RegisterCOMServer(server));
    const std::wstring real = TestClassInRegistry();
    Forget();
    ASSERT_EQ(testkit::ImportRegText(text, TestProgramDir() + L"\\preview.reg"), 0u);
    EXPECT_EQ(TestClassInRegistry(), real);
    Forget();
}

TEST(Preview, AnUnregistrationPreviewedSaysWhatGoesAndLeavesIt) {
    Forget();
    clsReg reg;
    const std::wstring server = ServerPath(L"testcomserver.dll");
    ASSERT_TRUE(reg.RegisterCOMServer(server));
    const std::wstring real = TestClassInRegistry();
    services::RegDiff diff;
    {
        services::RegistryPreview preview({kClsidKey, kTestObjectProgId});
        ASSERT_EQ(preview.Error(), 0);
        EXPECT_TRUE(reg.UnregisterCOMServer(server));
        diff = preview.Finish();
    }
    EXPECT_EQ(TestClassInRegistry(), real);
    ExpectTheTestClass(services::NamesInPreview(diff.Removed, services::RegistryView::Bits32, server));
    EXPECT_EQ(services::PreviewRegText(diff), std::wstring(L"Windows Registry Editor Version 5.00\r\n") +
                                                  L"\r\n[-HKEY_CLASSES_ROOT\\" + kClsidKey +
                                                  L"]\r\n\r\n[-HKEY_CLASSES_ROOT\\Tessiver.TestObject]\r\n");
    Forget();
    // Its scratch went with it, and the program's own key too.
    rt::RegKey own;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Quorvane Tessiver", 0, KEY_READ, own.Put()),
              ERROR_FILE_NOT_FOUND);
}

services::ServerOutcome Previewed(const wchar_t* server, bool registering) {
    services::ServerTask task = services::RegistrationTask(registering);
    task.Preview = true;
    return services::RunPreview(services::ResolveServer(ServerPath(server)), task);
}

// The real key the test servers' links name, with its value; what it holds at the end.
class LinkedKey {
public:
    LinkedKey() {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kLinkedKey, L"v", REG_SZ, kLinkedValue,
                        static_cast<DWORD>((wcslen(kLinkedValue) + 1) * sizeof(wchar_t)));
    }
    ~LinkedKey() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kLinkedKey); }
    static std::wstring Value() {
        const auto value = services::ReadRegText(HKEY_LOCAL_MACHINE, kLinkedKey, L"v");
        return value ? value->text : L"(gone)";
    }
};

bool Exists(HKEY root, const std::wstring& key) {
    rt::RegKey opened;
    return RegOpenKeyExW(root, key.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, opened.Put()) == ERROR_SUCCESS;
}

// Whom a key admits: only administrators and the system, whatever it inherits from above.
bool AdminsAndSystemOnly(HKEY key) {
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<uint8_t> descriptor(size);
    if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data(), &size) != ERROR_SUCCESS)
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted) || !present || !dacl)
        return false;  // no list admits everyone
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace))) return false;
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        const PSID sid = &ace->SidStart;
        if (!IsWellKnownSid(sid, WinBuiltinAdministratorsSid) && !IsWellKnownSid(sid, WinLocalSystemSid))
            return false;
    }
    return dacl->AceCount > 0;
}

TEST(Preview, TheScratchAdmitsAdministratorsAndTheSystemOnly) {
    rt::RegKey software;  // opened before the preview leads HKEY_LOCAL_MACHINE away
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, software.Put()), ERROR_SUCCESS);
    services::RegistryPreview preview;
    ASSERT_EQ(preview.Error(), 0);
    rt::RegKey own;
    ASSERT_EQ(RegOpenKeyExW(software.Get(), L"Quorvane Tessiver", 0, KEY_READ, own.Put()), ERROR_SUCCESS);
    const std::vector<std::wstring> scratches = services::RegSubkeyNames(own.Get());
    ASSERT_EQ(scratches.size(), 1u);
    for (const wchar_t* below :
         {L"", L"\\HKLM\\Software", L"\\HKLM\\Software\\Classes", L"\\HKCU", L"\\HKCC"}) {
        rt::RegKey key;
        ASSERT_EQ(RegOpenKeyExW(own.Get(), (scratches[0] + below).c_str(), 0, READ_CONTROL, key.Put()),
                  ERROR_SUCCESS);
        EXPECT_TRUE(AdminsAndSystemOnly(key.Get())) << below;
    }
}

std::wstring Hex(unsigned long value) {
    wchar_t text[16];
    wsprintfW(text, L"%08lX", value);
    return text;
}

// The program's own key gone before and after, with whatever a test planted there.
struct OwnKeyCleared {
    OwnKeyCleared() { services::DeleteRegTree(HKEY_LOCAL_MACHINE, services::kPreviewOwnKey); }
    ~OwnKeyCleared() { services::DeleteRegTree(HKEY_LOCAL_MACHINE, services::kPreviewOwnKey); }
};

// Whatever process id a scratch key names, it goes unless its very process still runs; a link in it
// goes as a link.
TEST(Preview, ScratchKeysOfEndedProcessesGoWithoutFollowingTheirLinks) {
    const LinkedKey linked;
    const OwnKeyCleared cleared;
    FILETIME started{}, unused{};
    ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &started, &unused, &unused, &unused));
    const std::wstring pid = Hex(GetCurrentProcessId());
    const std::wstring self =
        L"Preview-" + pid + L"-" + Hex(started.dwHighDateTime) + Hex(started.dwLowDateTime);
    const struct {
        std::wstring name;
        bool stays;
    } rows[] = {
        {L"Preview-FFFFFFF0-0000000000000001-000", false},      // a process that is not there
        {L"Preview-" + pid + L"-0000000000000001-000", false},  // an earlier process of this id
        {L"preview-unreadable", false},
        {self + L"-7FF", true},  // this very process, still running
        {L"Settings", true},     // no scratch key
    };
    rt::RegKey own;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, services::kPreviewOwnKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, own.Put(), nullptr),
              ERROR_SUCCESS);
    for (const auto& row : rows) {
        rt::RegKey key;
        ASSERT_EQ(RegCreateKeyExW(own.Get(), row.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  key.Put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(MakeRegistryLink(key.Get(), L"Linked", kLinkedKeyNative), ERROR_SUCCESS);
    }
    { const services::RegistryPreview preview; }
    for (const auto& row : rows) EXPECT_EQ(Exists(own.Get(), row.name), row.stays) << row.name;
    EXPECT_EQ(LinkedKey::Value(), kLinkedValue);
    own.Reset();
    EXPECT_EQ(services::DeleteRegTree(HKEY_LOCAL_MACHINE, services::kPreviewOwnKey), ERROR_SUCCESS);
    EXPECT_EQ(LinkedKey::Value(), kLinkedValue);
}

// Its class names "CLSID" as its ProgID, and that key leads back to it: still
// only its own class is copied for its unregistration to see.
TEST(Preview, AnUnregistrationSeesOnlyTheKeysOfTheFilesOwnClasses) {
    clsReg reg;
    const std::wstring server = ServerPath(L"progidserver.dll");
    ASSERT_TRUE(reg.RegisterCOMServer(server));
    const services::ServerOutcome outcome = Previewed(L"progidserver.dll", false);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidNamedClsid).c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidNamedClsid).c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"CLSID\\CLSID");
    ASSERT_TRUE(outcome.Succeeded && outcome.Preview);
    EXPECT_NE(outcome.Preview->RegText.find(L"\"count\"=dword:00000001"), std::wstring::npos)
        << outcome.Preview->RegText;
    ASSERT_EQ(outcome.Preview->Names.classes.size(), 1u);
    EXPECT_EQ(outcome.Preview->Names.classes[0].clsid, kClsidNamedClsid);
}

TEST(RegFile, EveryKindOfValueIsWrittenAsTheEditorReadsIt) {
    auto text = [](const std::wstring& s) {
        std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(s.c_str()),
                                   reinterpret_cast<const uint8_t*>(s.c_str() + s.size() + 1));
        return bytes;
    };
    const struct {
        services::RegValue value;
        const wchar_t* line;
    } rows[] = {
        {{L"", REG_SZ, text(L"C:\\a \"b\"")}, L"@=\"C:\\\\a \\\"b\\\"\""},
        {{L"Threading\"Model", REG_SZ, text(L"Both")}, L"\"Threading\\\"Model\"=\"Both\""},
        {{L"n", REG_DWORD, {1, 2, 0, 0x80}}, L"\"n\"=dword:80000201"},
        {{L"b", REG_BINARY, {0, 0xff}}, L"\"b\"=hex:00,ff"},
        {{L"e", REG_EXPAND_SZ, {'%', 0, 0, 0}}, L"\"e\"=hex(2):25,00,00,00"},
        {{L"two lines", REG_SZ, text(L"a\nb")}, L"\"two lines\"=hex(1):61,00,0a,00,62,00,00,00"},
        {{L"q", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}}, L"\"q\"=hex(b):01,00,00,00,00,00,00,00"},
    };
    for (const auto& row : rows) {
        services::RegDiff diff;
        diff.Written.push_back({L"k", {row.value}, false, {}});
        diff.DeletedValues.push_back({L"k", L"old"});
        EXPECT_EQ(
            services::RegFileText(diff, [](const std::wstring& p) { return L"HKEY_CURRENT_USER\\" + p; }),
            std::wstring(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\k]\r\n") +
                row.line + L"\r\n\r\n[HKEY_CURRENT_USER\\k]\r\n\"old\"=-\r\n");
    }
}

TEST(RegFile, ScratchKeysAreNamedAsTheRealRegistryNamesThem) {
    const struct {
        const wchar_t* scratch;
        const wchar_t* real;
    } rows[] = {
        {L"HKLM\\Software\\Classes\\CLSID\\{x}", L"HKEY_CLASSES_ROOT\\CLSID\\{x}"},
        {L"hklm\\SOFTWARE\\classes\\.ocx", L"HKEY_CLASSES_ROOT\\.ocx"},
        {L"HKCU\\Software\\Classes\\TypeLib\\{y}", L"HKEY_CLASSES_ROOT\\TypeLib\\{y}"},
        {L"HKLM\\Software\\ClassesX", L"HKEY_LOCAL_MACHINE\\Software\\ClassesX"},
        {L"HKCU\\Software\\Maker", L"HKEY_CURRENT_USER\\Software\\Maker"},
        {L"HKU\\.DEFAULT\\x", L"HKEY_USERS\\.DEFAULT\\x"},
        {L"HKCC\\Software\\x", L"HKEY_CURRENT_CONFIG\\Software\\x"},
        {L"HKLM\\Software\\Classes", L""},
        {L"HKLM", L""},
        {L"", L""},
    };
    for (const auto& row : rows) EXPECT_EQ(services::PreviewKeyName(row.scratch), row.real) << row.scratch;
}

}  // namespace
