// The commands of the main window's buttons and link label, and what the user
// is told about their outcome.
#include <windows.h>

#include <memory>

#include "frmreg.h"
#include "modfunctions.h"
#include "msgbox.h"

namespace {

const wchar_t kOpenFilter[] =
    L"All ActiveX |*.dll;*.ocx;*.ax;|ActiveX DLL (*.dll)|*.dll|ActiveX OCX (*.ocx)|*.ocx|Directshow AX "
    L"(*.ax)|*.ax|"
    L"All Files (*.*)|*.*";
const wchar_t kOpenTitle[] = L"Open ActiveX";
// Hide read-only, no directory change, multiple selection, create prompt, explorer
// style, no link dereferencing, long names, sizing, hidden files shown.
constexpr DWORD kOpenFlags = 0x10B8220C;

const wchar_t kErrorTitle[] = L"Error!";
const wchar_t kSuccessTitle[] = L"Success!";
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

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring RegistrationFailureText(const rt::ErrorInfo& err, bool registering, const std::wstring& path,
                                     bool fileExists) {
    const std::wstring exportName = registering ? L"DllRegisterServer" : L"DllUnregisterServer";
    const std::wstring head = path + L"\r\n\r\n";
    if (err.Number == rt::errnum::LibraryMissing) {
        if (!fileExists) return head + L"The file does not exist.";
        const unsigned long code = err.LastDllError;
        if (code == ERROR_BAD_EXE_FORMAT)
            return head + WithCode(
                              L"The file could not be loaded: it is not a 32-bit DLL. "
                              L"Only 32-bit servers can be loaded by this program.",
                              code);
        if (code == ERROR_MOD_NOT_FOUND)
            return head + WithCode(L"The file could not be loaded: a DLL it depends on was not found.", code);
        const std::wstring why = SystemText(code);
        return head + WithCode(L"The file could not be loaded." + (why.empty() ? L"" : L"\r\n" + why), code);
    }
    if (err.Number == rt::errnum::NotExported)
        return head + L"The file is not a self-registering COM server: it has no " + exportName + L" export.";
    if (err.HResult < 0) {
        const std::wstring why = SystemText(static_cast<DWORD>(err.HResult));
        return head + L"The server's " + exportName + L" reported failure " +
               Hex32(static_cast<unsigned long>(err.HResult)) + L"." + (why.empty() ? L"" : L"\r\n" + why);
    }
    return head +
           (registering ? L"The server could not be registered." : L"The server could not be unregistered.") +
           (err.Description.empty() ? L"" : L"\r\n" + err.Description);
}

void frmReg::cmdBrowse_Click() {
    long filterIndex = 0;
    std::wstring initialDir, fileName;
    txtSource_->SetText(dlg_->ShowOpenDialogW(hWnd(), kOpenFilter, filterIndex, kOpenTitle, initialDir,
                                              fileName, L"", kOpenFlags, 0));
}

void frmReg::cmdReg_Click() {
    RunRegistration(true);
}

void frmReg::cmdUnreg_Click() {
    RunRegistration(false);
}

void frmReg::RunRegistration(bool registering) {
    if (txtSource_->Text().empty()) {
        rt::MsgBox(kNoPath, rt::MsgBoxExclamation, kErrorTitle, hWnd());
        return;
    }
    const std::wstring path = txtSource_->Text();
    const bool done = registering ? reg_->RegisterCOMServer(path) : reg_->UnregisterCOMServer(path);
    if (done) {
        rt::MsgBox(registering ? L"Registered successfully" : L"Unregistered successfully",
                   rt::MsgBoxInformation, kSuccessTitle, hWnd());
        return;
    }
    // A refusal is explained, never silent; the path field keeps what the user chose.
    rt::MsgBox(RegistrationFailureText(rt::Err(), registering, path, FileExists(path)), rt::MsgBoxExclamation,
               kErrorTitle, hWnd());
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
    std::wstring failure;
    if (rt::Suppress([&] { failure = modFunctions::OpenURL(address, L"", L""); })) {
        rt::MsgBox(kConnectionFailed, rt::MsgBoxInformation, kErrorTitle, hWnd());
        return;
    }
    // The shell could be asked but had no resources to start anything.
    if (!failure.empty()) rt::MsgBox(failure, rt::MsgBoxExclamation, kErrorTitle, hWnd());
}
