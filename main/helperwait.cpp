// The registration of one file on the road its kind asks for, and the window's
// wait for the 64-bit helper: painting and answering all along, saying what it
// waits for, and offering to end a server that does not answer.
#include "app.h"
#include "frmreg.h"
#include "msgbox.h"

RegistrationOutcome frmReg::RegisterOne(const std::wstring& path, bool registering) {
    return registrar_->RegisterOne(
        path, services::RegistrationTask(registering),
        [&](services::HelperCall& call) { WaitForHelper(call, path, registering); });
}

std::wstring NotAnsweringQuestion(const std::wstring& path, const services::ServerTask& task,
                                  ULONGLONG waitedMs) {
    return path + L"\r\n\r\nThe server's " + services::TaskExportsText(task) + L" has not answered for " +
           std::to_wstring(waitedMs / 1000) + L" seconds.\r\nEnd it? Yes ends it now; No waits " +
           std::to_wstring(kPatienceMs / 1000) + L" seconds more.";
}

// False when the window went away meanwhile (the helper is ended then too).
bool frmReg::WaitForHelper(services::HelperCall& call, const std::wstring& path, bool registering) {
    // Said on the window and in its title, which the taskbar shows.
    const std::wstring link = lblLink_->Caption();
    const std::wstring title = form_.Caption();
    const std::wstring name = FileOfPath(path).empty() ? path : FileOfPath(path);
    lblLink_->SetCaption(L"Waiting for " + name + L" to answer...");
    form_.SetCaption(title + L" - waiting for " + name);
    const ULONGLONG started = GetTickCount64();
    ULONGLONG askAt = started + kPatienceMs;
    while (!call.Poll()) {
        const HANDLE process = call.Process();
        const ULONGLONG now = GetTickCount64();
        MsgWaitForMultipleObjectsEx(1, &process, now < askAt ? static_cast<DWORD>(askAt - now) : 0,
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (rt::DoEvents() == 0 || !form_.IsLoaded()) {
            call.End();
            return false;
        }
        if (GetTickCount64() < askAt || call.Poll()) continue;
        const std::wstring question =
            NotAnsweringQuestion(path, services::RegistrationTask(registering), GetTickCount64() - started);
        const int answer = rt::MsgBox(question, rt::MsgBoxExclamation | rt::MsgBoxYesNo, kErrorTitle, hWnd());
        if (!form_.IsLoaded()) {
            call.End();
            return false;
        }
        // An answer that came while the question was up wins over the question.
        if (answer == IDYES && !call.Poll()) call.End();
        askAt = GetTickCount64() + kPatienceMs;
    }
    lblLink_->SetCaption(link);
    form_.SetCaption(title);
    return true;
}
