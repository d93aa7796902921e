// The switches scripts use, the exit code each outcome gives, and the words
// of command mode's output.
#include "commandline.h"

#include <gtest/gtest.h>

#include "commandmode.h"
#include "frmreg.h"

namespace {

// Switches as letters: w switched, s silent, ? usage, u unregister, n no registration export, i DllInstall, t
// text.
std::string Flags(const CommandLine& c) {
    std::string flags;
    for (const auto& [on, letter] : {std::pair{c.Switched, 'w'},
                                     {c.Silent, 's'},
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
        {{L"/s", L"/ss", L"/x", L"a.dll"}, "ws", L"", {L"a.dll"}, L"Unknown switch: /ss"},
        {{L"-", L"a.dll"}, "w", L"", {L"a.dll"}, L"Unknown switch: -"},
        {{L"/s:", L"a.dll"}, "w", L"", {L"a.dll"}, L"Unknown switch: /s:"},
        {{L"/s", L"\" \"", L""}, "ws", L"", {}, L"No file was given."},
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

TEST(CommandLine, EachOutcomeHasItsExitCodeAndOneLine) {
    const struct {
        long number;
        ExitCode code;
    } codes[] = {
        {rt::errnum::LibraryMissing, kExitNotLoaded},     {rt::errnum::ServerLoadException, kExitNotLoaded},
        {rt::errnum::HelperUnavailable, kExitNotLoaded},  {rt::errnum::NotExported, kExitNoExport},
        {rt::errnum::ServerException, kExitExportFailed}, {rt::errnum::NotAnswering, kExitExportFailed},
        {rt::errnum::HelperEnded, kExitExportFailed},     {static_cast<long>(E_FAIL), kExitExportFailed},
    };
    RegistrationOutcome outcome;
    outcome.Path = L"C:\\x\\s.dll";
    for (const auto& c : codes) {
        outcome.Err.Number = c.number;
        EXPECT_EQ(ExitCodeOf(outcome), c.code) << c.number;
    }
    outcome.Succeeded = true;
    EXPECT_EQ(ExitCodeOf(outcome), kExitDone);

    // Which export a failure names: the one at fault, or every one the task calls when none is known.
    services::ServerTask install;
    install.Install = true;
    outcome.Succeeded = false;
    outcome.Err = {rt::errnum::NotAnswering, L"clsReg", L"", 0, 0};
    outcome.EndedAfterSeconds = 60;
    EXPECT_EQ(
        OutputLine(outcome, install),
        L"C:\\x\\s.dll: The server's DllRegisterServer or DllInstall did not answer in 60 seconds and was "
        L"ended. The server may have left its work half done.");
    outcome.Err = {static_cast<long>(E_FAIL), L"clsReg", L"DllInstall failed", 0, static_cast<long>(E_FAIL)};
    outcome.Export = L"DllInstall";
    EXPECT_EQ(RegistrationFailureText(outcome, install)
                  .rfind(L"The server's DllInstall reported failure 0x80004005.", 0),
              0u);
    install.Registering = false;
    outcome.Succeeded = true;
    EXPECT_EQ(OutputLine(outcome, install), L"C:\\x\\s.dll: Unregistered successfully");
}

}  // namespace
