// The commands of the main window's buttons and link label.
#include <windows.h>

#include <vector>

#include "frmreg.h"
#include "messages.h"
#include "modfunctions.h"
#include "outcome/failure.h"
#include "paths/serverpath.h"
#include "paths/serverroad.h"
#include "registerflow.h"
#include "runtime/msgbox.h"
#include "windowwait.h"

namespace {

// Hide read-only, no directory change, multiple selection, create prompt, explorer
// style, no link dereferencing, long names, sizing, hidden files shown.
constexpr DWORD kOpenFlags = 0x10B8220C;

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

// A registration under way, over on every way out of it, errors included.
class Running {
public:
    explicit Running(bool& flag) : flag_(flag) { flag_ = true; }
    ~Running() { flag_ = false; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    bool& flag_;
};

}  // namespace

void frmReg::cmdBrowse_Click() {
    long filterIndex = 0;
    std::wstring initialDir, fileName;
    const std::wstring chosen = dlg_->ShowOpenDialogW(hWnd(), msg::kOpenFilter, filterIndex, msg::kOpenTitle,
                                                      initialDir, fileName, L"", kOpenFlags, 0);
    // Several files go into the one-line field quoted, one after another.
    txtSource_->SetText(services::FieldTextForSelection(chosen));
}

// A 64-bit server in the field is about to be registered, however it came
// there (chosen, typed, pasted, dropped, given at start): its helper gets
// ready meanwhile, so that the click costs no process start. Which kind the
// text names is found off the window thread; typing never waits on a disk.
void frmReg::txtSource_Change() {
    if (!scout_) {
        // What names the files in the registry is read ahead too, for the files as the scout resolved them.
        services::NamesReader& names = Names();
        scout_ = std::make_unique<RoadScout>(
            [this](const std::wstring& text) {
                // The user may have typed on meanwhile: only the text still in the field counts.
                if (form_.IsLoaded() && reg_ && text == txtSource_->Text()) reg_->Helper().GetReady();
            },
            [&names](const services::ServerFiles& files) { names.LookAhead(files); });
    }
    scout_->Look(txtSource_->Text());
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
        rt::MsgBox(msg::kNoPath, rt::MsgBoxExclamation, rt::kErrorTitle, hWnd());
        return;
    }
    // The window answers while a 64-bit server runs; another command meanwhile is let go.
    if (registrationRunning_) return;
    std::vector<services::RegistrationOutcome> outcomes;
    {
        const WaitCursor wait;
        for (const std::wstring& path : paths) {
            outcomes.push_back(RegisterOne(path, registering));
            // Closed meanwhile: nobody is left to tell.
            if (!form_.IsLoaded()) return;
        }
    }
    ShowReport(outcomes, services::RegistrationTask(registering), hWnd());
    // Once the answer is read, not before it: the next helper gets ready for the next command.
    if (form_.IsLoaded() && reg_->HasHelper()) reg_->Helper().GetReady();
}

services::RegistrationOutcome frmReg::RegisterOne(const std::wstring& path, bool registering) {
    const services::ServerFile server = services::ResolveServer(path);
    services::RegistrationOutcome outcome;
    {
        const Running running(registrationRunning_);
        WindowWait wait(form_, *lblLink_);
        outcome = RegisterFile({wait, &Names()}, server, services::RegistrationTask(registering),
                               [&](const clsReg::HelperWait& helper) {
                                   return registering ? reg_->RegisterCOMServer(server, helper)
                                                      : reg_->UnregisterCOMServer(server, helper);
                               });
    }
    // Closed meanwhile: the service it kept is let go now.
    if (!form_.IsLoaded()) rt::Suppress([this] { reg_.reset(); });
    return outcome;
}

void frmReg::cmdAbout_Click() {
    rt::MsgBox(msg::AboutText(), rt::MsgBoxPlain, msg::kAboutTitle, hWnd());
}

void frmReg::cmdHome_Click() {
    OpenPage(kHomePage);
}

void frmReg::lblLink_Click() {
    OpenPage(kHomePage);
}

void frmReg::cmdCommunity_Click() {
    OpenPage(std::wstring(kHomePage) + kForumPath);
}

void frmReg::OpenPage(const std::wstring& address) {
    HRESULT answer = S_OK;
    std::wstring failure;
    // No desktop shell to open it as the user: say where the page is instead of starting anything here.
    if (rt::Suppress([&] { failure = modFunctions::OpenURL(address, L"", L"", &answer); })) {
        rt::MsgBox(msg::kConnectionFailed + std::wstring(L"\r\n\r\n") + address, rt::MsgBoxInformation,
                   rt::kErrorTitle, hWnd());
        return;
    }
    if (!failure.empty()) {
        rt::MsgBox(failure, rt::MsgBoxExclamation, rt::kErrorTitle, hWnd());
        return;
    }
    // It refused: no browser registered for the address, say.
    if (answer != S_OK)
        rt::MsgBox(PageRefusalText(address, answer), rt::MsgBoxExclamation, rt::kErrorTitle, hWnd());
}
