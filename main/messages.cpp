#include "messages.h"

#include <string>

namespace msg {

const wchar_t kUsage[] =
    L"Usage: tessiver [/u] [/s] [/i[:text]] [/n] [/c] [/preview | /manifest[:Name] | /wix] file ...\r\n"
    L"\r\n"
    L"Registers each in-process COM server file in turn, 32-bit and 64-bit alike.\r\n"
    L"/u  Unregister: DllUnregisterServer instead of DllRegisterServer.\r\n"
    L"/s  Silent: no message box.\r\n"
    L"/i  DllInstall(TRUE, text) after a successful DllRegisterServer; with /u, DllInstall(FALSE, text) "
    L"before DllUnregisterServer. /i alone passes no text. Quote a text with blanks: /i:\"a b\".\r\n"
    L"/n  No DllRegisterServer or DllUnregisterServer; only with /i.\r\n"
    L"/c  Accepted and ignored.\r\n"
    L"/preview  Runs the exports against a scratch copy of the registry and tells what they would write "
    L"(with /u: delete), as a .reg file when the output is redirected. The server's code runs with "
    L"administrator rights: only what it writes through the registry's root keys is caught; the files, "
    L"services and other processes it touches are real.\r\n"
    L"/manifest  Previews the files and writes a side-by-side assembly manifest of their classes, type "
    L"libraries and interfaces, for using them unregistered: tessiver /manifest[:Name] a.ocx > app.manifest. "
    L"Files of one kind only.\r\n"
    L"/wix  Previews the files and writes an installer fragment (WiX v3) that installs each file with its "
    L"registration: tessiver /wix a.ocx > a.wxs.\r\n"
    L"/?  This text.\r\n"
    L"Switches may start with - too, in any case, anywhere among the files. Without any switch the files "
    L"wait in the window's path field.\r\n"
    L"\r\n"
    L"Exit code: 0 every file succeeded; 1 the command line is wrong, or asked for this text; 2 OLE could "
    L"not "
    L"be started; 3 a file "
    L"could not be loaded; 4 the export is missing; 5 the export failed, crashed or was ended. With several "
    L"files, the code of the last one that failed.";

std::wstring AboutText() {
    return L"ActiveX DLL, OCX & AX korvatter\r\n"
           L"Developer Orvik\r\n"
           L"CEO of Quorvane System\r\n"
           L"Web: " +
           std::wstring(kHomePage);
}

std::wstring WaitingLink(const std::wstring& name) {
    return L"Waiting for " + name + L" to answer...";
}

std::wstring WaitingTail(const std::wstring& name) {
    return L" - waiting for " + name;
}

std::wstring ReadingLink(const std::wstring& name) {
    return L"Reading what the registry holds for " + name + L"...";
}

std::wstring ReadingTail() {
    return L" - reading the registry";
}

namespace {

// "1 file", "2 files".
std::wstring Count(size_t n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

}  // namespace

std::wstring ManifestSummary(size_t classes, size_t libraries, size_t files) {
    return L"The manifest holds " + Count(classes, L"class", L"classes") + L" and " +
           Count(libraries, L"type library", L"type libraries") + L" of " + Count(files, L"file", L"files") +
           L".";
}

std::wstring FragmentSummary(size_t components, size_t values) {
    return L"The installer fragment holds " + Count(components, L"component", L"components") + L" with " +
           Count(values, L"registry value", L"registry values") + L".";
}

std::wstring MixedKindsFault(const std::wstring& first, const std::wstring& other) {
    return L"One manifest holds servers of one kind: " + first + L" and " + other +
           L" are one 32-bit, one 64-bit. Make a manifest for each kind.";
}

// As every command ends unless silent: one box, here with how to keep what it made.
std::wstring ExportDoneText(const std::wstring& summary, bool manifest, bool redirected) {
    const std::wstring how =
        manifest ? L"tessiver /manifest a.ocx b.dll > app.manifest" : L"tessiver /wix a.ocx > a.wxs";
    return summary + L"\r\n\r\nNothing was registered." +
           (redirected ? L"" : L" To write it to a file, redirect the output:\r\n" + how);
}

}  // namespace msg

std::wstring NotAnsweringQuestion(const std::wstring& path, const services::ServerTask& task,
                                  ULONGLONG waitedMs) {
    return path + L"\r\n\r\nThe server's " + services::TaskExportsText(task) + L" has not answered for " +
           std::to_wstring(waitedMs / 1000) + L" seconds.\r\nEnd it? Yes ends it now; No waits " +
           std::to_wstring(kPatienceMs / 1000) + L" seconds more.";
}
