#include "preview.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "handles.h"
#include "previewnames.h"
#include "reg.h"
#include "regfile.h"
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

bool Import(const std::wstring& text) {
    const std::wstring file = TestProgramDir() + L"\\preview.reg";
    rt::Handle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::wstring bytes = L"\xFEFF" + text;
    DWORD written = 0;
    WriteFile(out.Get(), bytes.data(), static_cast<DWORD>(bytes.size() * 2), &written, nullptr);
    out.Reset();
    std::wstring command = L"reg.exe import \"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started))
        return false;
    const rt::Handle process(started.hProcess), thread(started.hThread);
    WaitForSingleObject(process.Get(), 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.Get(), &code);
    DeleteFileW(file.c_str());
    return code == 0;
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
    ASSERT_TRUE(Import(text));
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
        {L"HKLM\\Software\\Classes", L""},
        {L"HKLM", L""},
        {L"", L""},
    };
    for (const auto& row : rows) EXPECT_EQ(services::PreviewKeyName(row.scratch), row.real) << row.scratch;
}

}  // namespace
