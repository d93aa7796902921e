// The commands of the main window's buttons and link label, and what the user
// is told about their outcome.
#include <windows.h>
// The platform headers below build on windows.h.
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "frmreg.h"
#include "modfunctions.h"
#include "msgbox.h"
#include "serverpath.h"
#include "serverroad.h"

namespace {

const wchar_t kOpenFilter[] =
    L"All ActiveX |*.dll;*.ocx;*.ax;|ActiveX DLL (*.dll)|*.dll|ActiveX OCX (*.ocx)|*.ocx|Directshow AX "
    L"(*.ax)|*.ax|"
    L"All Files (*.*)|*.*";
const wchar_t kOpenTitle[] = L"Open ActiveX";
// Hide read-only, no directory change, multiple selection, create prompt, explorer
// style, no link dereferencing, long names, sizing, hidden files shown.
constexpr DWORD kOpenFlags = 0x10B8220C;

const wchar_t kAboutTitle[] = L"About";
const wchar_t kNoPath[] = L"Select an ActiveX";
const wchar_t kConnectionFailed[] =
    L"An error has occured while trying to connect to the internet\r\n"
    L"Please ensure that your internet connection is functioning correctly and try again.";

struct LocalFreeDeleter {
    void operator()(wchar_t* p) const { LocalFree(p); }
};

// The system's own description of an error code, without its trailing line break.
std::wstring SystemText(DWORD code) {
    wchar_t* raw = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
    std::unique_ptr<wchar_t, LocalFreeDeleter> owned(raw);
    std::wstring text = n ? std::wstring(raw, n) : std::wstring();
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::wstring Hex32(unsigned long value) {
    wchar_t buffer[11];
    wsprintfW(buffer, L"0x%08lX", value);
    return buffer;
}

std::wstring WithCode(const std::wstring& text, unsigned long code) {
    return text + L" (error " + std::to_wstring(code) + L")";
}

// Small exit codes as numbers; the system's status codes (crashes, fail-fast) in hex.
std::wstring ExitCodeText(unsigned long code) {
    return code >= 0xC0000000ul ? Hex32(code) : std::to_wstring(code);
}

// The wait cursor while servers' code runs; the previous one afterwards.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// "it needs a.dll, which needs b.dll, "
std::wstring NeedsChain(const std::vector<std::wstring>& chain) {
    std::wstring text = L"it needs " + chain.front();
    for (size_t i = 1; i < chain.size(); ++i) text += L", which needs " + chain[i];
    return text + L", ";
}

// A DLL on the way is judged by the process that loads it: the window's, or the 64-bit helper's.
std::wstring WrongKindText(const services::LoadProblem& problem, bool inHelper) {
    using Kind = services::LoadProblem::Kind;
    if (problem.kind == Kind::Damaged) return L"is damaged: " + problem.detail + L".";
    if (problem.kind == Kind::NotPe) return L"is not a DLL.";
    return inHelper ? L"is not a 64-bit DLL." : L"is not a 32-bit DLL.";
}

std::wstring LoaderCodeText(unsigned long code) {
    if (code == ERROR_BAD_EXE_FORMAT)
        return WithCode(
            L"The file could not be loaded: it is not a DLL for x86 or x64 Windows. "
            L"This program registers 32-bit and 64-bit servers.",
            code);
    if (code == ERROR_MOD_NOT_FOUND)
        return WithCode(L"The file could not be loaded: a DLL it depends on was not found.", code);
    const std::wstring why = SystemText(code);
    return WithCode(L"The file could not be loaded." + (why.empty() ? L"" : L"\r\n" + why), code);
}

std::wstring LoadFailureText(const RegistrationOutcome& outcome) {
    using Kind = services::LoadProblem::Kind;
    const services::LoadProblem& problem = outcome.Problem;
    const unsigned long code = outcome.Err.LastDllError;
    switch (problem.kind) {
        case Kind::NotFound:
            if (!services::IsBareName(outcome.Path)) return L"The file does not exist.";
            return L"No file of that name was found where the system looks for DLLs: the program's folder, "
                   L"the system folders and the folders on the PATH.";
        case Kind::Folder:
            return L"This is a folder, not a file. Choose a server file (.dll, .ocx or .ax) in it.";
        case Kind::Device:
            return L"This is the name of a device, not of a file.";
        case Kind::Malformed:
            return L"This is not a valid path: " + problem.detail;
        case Kind::Needs64BitWindows:
            return L"The file is a 64-bit server: only 64-bit Windows can load it, and this system is "
                   L"32-bit.";
        case Kind::MissingDll:
            return WithCode(
                L"The file could not be loaded: " + NeedsChain(problem.chain) +
                    L"which was not found in the server's folder or where the system looks for DLLs.",
                code);
        case Kind::NotPe:
        case Kind::OtherMachine:
        case Kind::Damaged:
            if (!problem.chain.empty())
                return WithCode(L"The file could not be loaded: " + NeedsChain(problem.chain) + L"which " +
                                    WrongKindText(problem, outcome.InHelper),
                                code);
            if (problem.kind == Kind::Damaged)
                return WithCode(
                    L"The file could not be loaded: it " + WrongKindText(problem, outcome.InHelper), code);
            return LoaderCodeText(ERROR_BAD_EXE_FORMAT);
        case Kind::Unknown:
            break;
    }
    return LoaderCodeText(code);
}

// ShellExecute's own results above the system's error codes, as the errors they stand for.
DWORD ShellResultError(INT_PTR result) {
    switch (result) {
        case SE_ERR_SHARE:
            return ERROR_SHARING_VIOLATION;
        case SE_ERR_ASSOCINCOMPLETE:
        case SE_ERR_NOASSOC:
            return ERROR_NO_ASSOCIATION;
        case SE_ERR_DDETIMEOUT:
        case SE_ERR_DDEFAIL:
        case SE_ERR_DDEBUSY:
            return ERROR_DDE_FAIL;
        case SE_ERR_DLLNOTFOUND:
            return ERROR_DLL_NOT_FOUND;
        default:
            return static_cast<DWORD>(result);
    }
}

}  // namespace

std::wstring RegistrationFailureText(const RegistrationOutcome& outcome, const services::ServerTask& task) {
    const rt::ErrorInfo& err = outcome.Err;
    // Which export was at work is not known when the helper ended or was ended: the task's are named.
    const std::wstring exportName = outcome.Export.empty() ? services::TaskExportsText(task) : outcome.Export;
    if (err.Number == rt::errnum::LibraryMissing) return LoadFailureText(outcome);
    if (err.Number == rt::errnum::NotExported && exportName == L"DllInstall")
        return L"The server has no DllInstall export.";
    if (err.Number == rt::errnum::NotExported)
        return L"The file is not a self-registering COM server: it has no " + exportName + L" export.";
    if (err.Number == rt::errnum::ServerException)
        return L"The server's " + exportName + L" failed with an exception: " + err.Description +
               L".\r\nThe program caught it and carries on; the server may have left its work half done.";
    if (err.Number == rt::errnum::ServerLoadException)
        return L"The server crashed while it was being loaded, in its DllMain, before its " + exportName +
               L" could run: " + err.Description + L".\r\nThe program caught it and carries on.";
    if (err.Number == rt::errnum::HelperEnded)
        return L"The server ended the process that ran it (exit code " + ExitCodeText(err.LastDllError) +
               L") before its " + exportName +
               L" answered.\r\nThe program carries on; the server may have left its work half done.";
    if (err.Number == rt::errnum::NotAnswering)
        return L"The server's " + exportName + L" did not answer" +
               (outcome.EndedAfterSeconds ? L" in " + std::to_wstring(outcome.EndedAfterSeconds) + L" seconds"
                                          : L"") +
               L" and was ended.\r\nThe server may have left its work half done.";
    if (err.Number == rt::errnum::HelperUnavailable) {
        const std::wstring why = SystemText(err.LastDllError);
        return WithCode(L"The program's 64-bit helper, which runs 64-bit servers, could not be started." +
                            (why.empty() ? L"" : L"\r\n" + why),
                        err.LastDllError);
    }
    if (err.HResult < 0) {
        const std::wstring why = SystemText(static_cast<DWORD>(err.HResult));
        return L"The server's " + exportName + L" reported failure " +
               Hex32(static_cast<unsigned long>(err.HResult)) + L"." + (why.empty() ? L"" : L"\r\n" + why);
    }
    return std::wstring(task.Registering ? L"The server could not be registered."
                                         : L"The server could not be unregistered.") +
           (err.Description.empty() ? L"" : L"\r\n" + err.Description);
}

std::wstring RegistrationReport(const std::vector<RegistrationOutcome>& outcomes,
                                const services::ServerTask& task) {
    const wchar_t* done = RegistrationDoneText(task);
    const auto succeeded =
        std::count_if(outcomes.begin(), outcomes.end(), [](const auto& o) { return o.Succeeded; });
    if (static_cast<size_t>(succeeded) == outcomes.size()) return done;
    if (outcomes.size() == 1)
        return outcomes[0].Path + L"\r\n\r\n" + RegistrationFailureText(outcomes[0], task);
    std::wstring text = (task.Registering ? L"Registered " : L"Unregistered ") + std::to_wstring(succeeded) +
                        L" of " + std::to_wstring(outcomes.size()) + L" files.";
    for (size_t i = 0; i < outcomes.size(); ++i) {
        const RegistrationOutcome& o = outcomes[i];
        text += L"\r\n\r\n" + std::to_wstring(i + 1) + L". " + o.Path + L"\r\n" +
                (o.Succeeded ? std::wstring(done) : RegistrationFailureText(o, task));
    }
    return text;
}

std::wstring PageRefusalText(const std::wstring& address, INT_PTR shellResult) {
    const DWORD code = ShellResultError(shellResult);
    const std::wstring why = SystemText(code);
    return L"The page could not be opened:\r\n" + address + L"\r\n\r\n" +
           WithCode(why.empty() ? L"The system refused to open it." : why, code);
}

void frmReg::cmdBrowse_Click() {
    long filterIndex = 0;
    std::wstring initialDir, fileName;
    const std::wstring chosen = dlg_->ShowOpenDialogW(hWnd(), kOpenFilter, filterIndex, kOpenTitle,
                                                      initialDir, fileName, L"", kOpenFlags, 0);
    // Several files go into the one-line field quoted, one after another.
    txtSource_->SetText(services::FieldTextForSelection(chosen));
}

// A 64-bit server in the field is about to be registered, however it came
// there (chosen, typed, pasted, dropped, given at start): its helper gets
// ready meanwhile, so that the click costs no process start.
void frmReg::txtSource_Change() {
    if (!services::Is64BitWindows()) return;
    for (const std::wstring& path : services::SplitServerPaths(txtSource_->Text()))
        if (services::ChooseRoad(path).road == services::Road::Helper) {
            registrar_->Helper().GetReady();
            return;
        }
}

void frmReg::cmdReg_Click() {
    RunRegistration(true);
}

void frmReg::cmdUnreg_Click() {
    RunRegistration(false);
}

// Each file the field names, in order, and one box for them all. The field
// keeps what the user typed, whatever happened.
void frmReg::RunRegistration(bool registering) {
    const std::vector<std::wstring> paths = services::SplitServerPaths(txtSource_->Text());
    if (paths.empty()) {
        rt::MsgBox(kNoPath, rt::MsgBoxExclamation, kErrorTitle, hWnd());
        return;
    }
    // The window answers while a 64-bit server runs; another command meanwhile is let go.
    if (registrationRunning_) return;
    registrationRunning_ = true;
    std::vector<RegistrationOutcome> outcomes;
    {
        const WaitCursor wait;
        for (const std::wstring& path : paths) {
            outcomes.push_back(RegisterOne(path, registering));
            // Closed meanwhile: nobody is left to tell.
            if (!form_.IsLoaded()) return;
        }
    }
    registrationRunning_ = false;
    const bool allDone =
        std::all_of(outcomes.begin(), outcomes.end(), [](const auto& o) { return o.Succeeded; });
    rt::MsgBox(RegistrationReport(outcomes, registering),
               allDone ? rt::MsgBoxInformation : rt::MsgBoxExclamation, allDone ? kSuccessTitle : kErrorTitle,
               hWnd());
    // Once the answer is read, not before it: the next helper gets ready for the next command.
    if (registrar_->HasHelper() && form_.IsLoaded()) registrar_->Helper().GetReady();
}

void frmReg::cmdAbout_Click() {
    const std::wstring text =
        L"ActiveX DLL, OCX & AX korvatter\r\n"
        L"Developer Orvik\r\n"
        L"CEO of Quorvane System\r\n"
        L"Web: " +
        std::wstring(kHomePage);
    rt::MsgBox(text, rt::MsgBoxPlain, kAboutTitle, hWnd());
}

void frmReg::cmdHome_Click() {
    OpenPage(kHomePage);
}

void frmReg::lblLink_Click() {
    OpenPage(kHomePage);
}

void frmReg::cmdCommunity_Click() {
    OpenPage(std::wstring(kHomePage) + L"/forum/");
}

void frmReg::OpenPage(const std::wstring& address) {
    INT_PTR result = 0;
    if (rt::Suppress([&] { result = modFunctions::ShellOpen(address, L"", L""); })) {
        rt::MsgBox(kConnectionFailed, rt::MsgBoxInformation, kErrorTitle, hWnd());
        return;
    }
    // The shell could be asked but had no resources to start anything.
    const std::wstring failure = modFunctions::OpenUrlResultText(result);
    if (!failure.empty()) {
        rt::MsgBox(failure, rt::MsgBoxExclamation, kErrorTitle, hWnd());
        return;
    }
    // It refused: no browser registered for the address, say.
    if (result <= 32)
        rt::MsgBox(PageRefusalText(address, result), rt::MsgBoxExclamation, kErrorTitle, hWnd());
}
