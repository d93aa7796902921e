// The switches scripts use, wherever and however they are written.
#include "main/commandline.h"

#include <gtest/gtest.h>

namespace {

// Switches as letters: w switched, s silent, q a switch not understood asked for silence, ? usage, u
// unregister, n no registration export, i DllInstall, t text.
std::string Flags(const CommandLine& c) {
    std::string flags;
    for (const auto& [on, letter] : {std::pair{c.Switched, 'w'},
                                     {c.Silent, 's'},
                                     {c.AskedSilence, 'q'},
                                     {c.Usage, '?'},
                                     {!c.Task.Registering, 'u'},
                                     {!c.Task.RegistrationExport, 'n'},
                                     {c.Task.Install, 'i'},
                                     {c.Task.HasInstallText, 't'}})
        if (on) flags += letter;
    return flags;
}

TEST(CommandLine, ReadsTheSwitchesAnywhereInAnyCase) {
    const struct {
        std::vector<std::wstring> args;
        const char* flags;
        std::wstring text;
        std::vector<std::wstring> files;
        std::wstring fault;
    } cases[] = {
        {{L"a.dll", L"b c.ocx"}, "", L"", {L"a.dll", L"b c.ocx"}, L""},
        {{L"a.dll", L"-U", L"/S", L"b.dll"}, "wsu", L"", {L"a.dll", L"b.dll"}, L""},
        {{L"/i:two words", L"a.dll"}, "wit", L"two words", {L"a.dll"}, L""},
        {{L"/I:", L"a.dll"}, "wit", L"", {L"a.dll"}, L""},
        {{L"/i:x", L"-i", L"/c", L"a.dll"}, "wi", L"", {L"a.dll"}, L""},
        {{L"/u", L"/N", L"/i", L"a.dll"}, "wuni", L"", {L"a.dll"}, L""},
        {{L"/n", L"a.dll"}, "wn", L"", {L"a.dll"}, L"/n needs /i: without either there is nothing to call."},
        {{L"/s", L"/ss", L"/x", L"a.dll"}, "wsq", L"", {L"a.dll"}, L"Unknown switch: /ss"},
        {{L"-", L"a.dll"}, "w", L"", {L"a.dll"}, L"Unknown switch: -"},
        {{L"/s:", L"a.dll"}, "wq", L"", {L"a.dll"}, L"Unknown switch: /s:"},
        {{L"-Silent", L"/u"}, "wqu", L"", {}, L"Unknown switch: -Silent"},
        // Each argument is one file, whatever it holds; only no argument at all is no file.
        {{L"/s", L"\" \"", L"", L" "}, "ws", L"", {L"\" \"", L"", L" "}, L""},
        {{L"a\\\"b.dll", L"%WINDIR%\\x.dll", L"two\r\nlines.dll"}, "", L"",
         {L"a\\\"b.dll", L"%WINDIR%\\x.dll", L"two\r\nlines.dll"}, L""},
        {{L"/s"}, "ws", L"", {}, L"No file was given."},
        // Several switches in one argument; /i:text keeps its slashes and dashes.
        {{L"/s/u", L"a.dll"}, "wsu", L"", {L"a.dll"}, L""},
        {{L"-s-U/c", L"a.dll"}, "wsu", L"", {L"a.dll"}, L""},
        {{L"/u/i:C:/a-b /c", L"a.dll"}, "wuit", L"C:/a-b /c", {L"a.dll"}, L""},
        {{L"/s/x", L"a.dll"}, "ws", L"", {L"a.dll"}, L"Unknown switch: /x"},
        {{L"/?", L"/x"}, "w?", L"", {}, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CommandLine command = ParseCommandLine(c.args);
        EXPECT_EQ(Flags(command), c.flags);
        EXPECT_EQ(command.Task.InstallText, c.text);
        EXPECT_EQ(command.Files, c.files);
        EXPECT_EQ(command.Fault, c.fault);
        EXPECT_EQ(UsageText(command).rfind(c.fault.empty() ? L"Usage: " : c.fault + L"\r\n\r\nUsage: ", 0),
                  0u);
    }
}

TEST(CommandLine, TheExportFormsPreviewARegistrationAndTakeTheWholeOutput) {
    const wchar_t kOneForm[] = L"/manifest and /wix each write the whole output: give one of them.";
    const wchar_t kRegistrationOnly[] =
        L"/manifest and /wix tell what a registration writes: not with /u, /i or /n.";
    const struct {
        std::vector<std::wstring> args;
        ExportForm form;
        std::wstring name, fault;
    } cases[] = {
        {{L"a.dll", L"/manifest"}, ExportForm::Manifest, L"", L""},
        {{L"-MANIFEST:My App.1", L"a.dll"}, ExportForm::Manifest, L"My App.1", L""},
        {{L"/Wix", L"a.dll"}, ExportForm::Wix, L"", L""},
        {{L"/manifestx", L"a.dll"}, ExportForm::None, L"", L"Unknown switch: /manifestx"},
        {{L"/wix:a", L"a.dll"}, ExportForm::None, L"", L"Unknown switch: /wix:a"},
        {{L"/manifest", L"/wix", L"a.dll"}, ExportForm::Wix, L"", kOneForm},
        {{L"/u", L"/wix", L"a.dll"}, ExportForm::Wix, L"", kRegistrationOnly},
        {{L"/manifest", L"/i", L"a.dll"}, ExportForm::Manifest, L"", kRegistrationOnly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CommandLine command = ParseCommandLine(c.args);
        EXPECT_EQ(command.Export, c.form);
        EXPECT_EQ(command.Task.Preview, c.form != ExportForm::None);
        EXPECT_EQ(command.AssemblyName, c.name);
        EXPECT_EQ(command.Fault, c.fault);
    }
}

}  // namespace
