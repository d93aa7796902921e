// Every word the window and the command line say to the user, in one place:
// box texts and titles, the report of a command, the words shown while a wait
// lasts, the usage and the command line's faults. Texts that take values are
// functions; the rest are constants (messages.cpp, failuretext.cpp, namestext.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "registration/registrar.h"
#include "task/servertask.h"

// The maker's home page, set by the build; the community page is this followed by kForumPath.
inline constexpr const wchar_t* kHomePage = TESSIVER_HOME_PAGE;
inline constexpr wchar_t kForumPath[] = L"/forum/";

namespace msg {

// The window's commands.
inline constexpr wchar_t kOpenFilter[] =
    L"All ActiveX |*.dll;*.ocx;*.ax;|ActiveX DLL (*.dll)|*.dll|ActiveX OCX (*.ocx)|*.ocx|Directshow AX "
    L"(*.ax)|*.ax|"
    L"All Files (*.*)|*.*";
inline constexpr wchar_t kOpenTitle[] = L"Open ActiveX";
inline constexpr wchar_t kAboutTitle[] = L"About";
inline constexpr wchar_t kNoPath[] = L"Select an ActiveX";
inline constexpr wchar_t kConnectionFailed[] =
    L"An error has occured while trying to connect to the internet\r\n"
    L"Please ensure that your internet connection is functioning correctly and try again.";
// The title of the boxes that say a command went well; rt::kErrorTitle for the others.
inline constexpr wchar_t kSuccessTitle[] = L"Success!";
// What OpenURL gives when the shell ran out of memory.
inline constexpr wchar_t kOpenUrlFailed[] = L"Insufficent system memory or corrupt program file";
inline constexpr wchar_t kNoDesktopShell[] = L"No desktop shell answered.";
inline constexpr wchar_t kWindowNotBuilt[] = L"The main window could not be built: ";
std::wstring AboutText();

// The command line.
inline constexpr wchar_t kNoFileFault[] = L"No file was given.";
inline constexpr wchar_t kUnknownSwitch[] = L"Unknown switch: ";
inline constexpr wchar_t kTwoDocuments[] =
    L"/manifest and /wix each write the whole output: give one of them.";
inline constexpr wchar_t kExportWithChanges[] =
    L"/manifest and /wix tell what a registration writes: not with /u, /i or /n.";
inline constexpr wchar_t kNothingToCall[] = L"/n needs /i: without either there is nothing to call.";
inline constexpr wchar_t kNoOle[] = L"OLE could not be started, so no server was registered.";
extern const wchar_t kUsage[];

// What the window says while it waits, on its link label and in its title.
std::wstring WaitingLink(const std::wstring& name);
std::wstring WaitingTail(const std::wstring& name);
std::wstring ReadingLink(const std::wstring& name);
std::wstring ReadingTail();

// The export forms' box, their summaries and the fault of a manifest of both kinds.
std::wstring ManifestSummary(size_t classes, size_t libraries, size_t files);
std::wstring FragmentSummary(size_t components, size_t values);
std::wstring MixedKindsFault(const std::wstring& first, const std::wstring& other);
std::wstring ExportDoneText(const std::wstring& summary, bool manifest, bool redirected);

}  // namespace msg

// Why one file did not succeed, from the error the registration service
// recorded and, for a file that would not load, what a look at the files found
// (failuretext.cpp).
std::wstring RegistrationFailureText(const services::RegistrationOutcome& outcome,
                                     const services::ServerTask& task);
inline std::wstring RegistrationFailureText(const services::RegistrationOutcome& outcome, bool registering) {
    return RegistrationFailureText(outcome, services::RegistrationTask(registering));
}
// The text of the one box a command shows for all its files: the success text
// exactly when every file succeeded; else each failure's path and cause.
std::wstring RegistrationReport(const std::vector<services::RegistrationOutcome>& outcomes,
                                const services::ServerTask& task);
inline std::wstring RegistrationReport(const std::vector<services::RegistrationOutcome>& outcomes,
                                       bool registering) {
    return RegistrationReport(outcomes, services::RegistrationTask(registering));
}
inline const wchar_t* RegistrationDoneText(const services::ServerTask& task) {
    if (task.Preview) return L"Preview done: nothing was written to the registry.";
    return task.Registering ? L"Registered successfully" : L"Unregistered successfully";
}
// What the user is told when the desktop shell did not open a page: its answer, read where it has one.
std::wstring PageRefusalText(const std::wstring& address, HRESULT shellAnswer);

// How long a 64-bit server may run before the user is asked whether to end it, and the question.
inline constexpr DWORD kPatienceMs = 10000;
std::wstring NotAnsweringQuestion(const std::wstring& path, const services::ServerTask& task,
                                  ULONGLONG waitedMs);

// What names the file in the registry once its export ran, to follow the
// first line of its box; empty when nothing was read (namestext.cpp).
std::wstring RegistryNamesText(const services::RegistrationOutcome& outcome, bool registering);
// A name as a report shows it: control characters as \r, \n, \t, \xNN or
// \uNNNN, so that no name starts a line of its own.
std::wstring Escaped(const std::wstring& text);
// What a preview found the exports would write (or delete), to follow the first line of its box.
std::wstring PreviewText(const services::RegistrationOutcome& outcome, bool registering);
// The same in one line, for a file among several.
std::wstring RegistryNamesLine(const services::RegistrationOutcome& outcome, bool registering);
// True when the registry belies the export's success: a registered file that
// nothing names, an unregistered one that something still names.
bool RegistryNamesWarn(const services::RegistrationOutcome& outcome, bool registering);
