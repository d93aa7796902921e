// The registration of one file on the road its kind asks for, and the window's
// wait for the 64-bit helper: painting and answering all along, saying what it
// waits for, and offering to end a server that does not answer.
#include "app.h"
#include "frmreg.h"
#include "loadersearch.h"
#include "msgbox.h"

services::RegistrationOutcome frmReg::RegisterOne(const std::wstring& path, bool registering) {
    const services::ServerFile server = services::ResolveServer(path);
    const std::optional<services::NamesTarget> target = services::TargetOf(server);
    const auto reading = target ? Names().ExportStarts(*target) : nullptr;
    services::RegistrationOutcome outcome =
        registrar_->RegisterOne(server, services::RegistrationTask(registering),
                                [&](services::HelperCall& call) { WaitForHelper(call, path, registering); });
    if (reading) NoteRegistryNames(outcome, *reading);
    return outcome;
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
    const std::wstring name = services::FileNameOf(path).empty() ? path : services::FileNameOf(path);
    lblLink_->SetCaption(L"Waiting for " + name + L" to answer...");
    form_.SetCaption(title + L" - waiting for " + name);
    const ULONGLONG started = GetTickCount64();
    ULONGLONG askAt = started + kPatienceMs;
    while (!call.Poll()) {
        // Woken by its end, by input, or by answer bytes: taken at once, no answer stalls the helper.
        const HANDLE woken[] = {call.Process(), call.AnswerArrived()};
        const ULONGLONG now = GetTickCount64();
        MsgWaitForMultipleObjectsEx(2, woken, now < askAt ? static_cast<DWORD>(askAt - now) : 0, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        if (rt::DoEvents() == 0 || !form_.IsLoaded()) {
            call.End();
            return false;
        }
        if (GetTickCount64() < askAt || call.Poll()) continue;
        const std::wstring question =
            NotAnsweringQuestion(path, services::RegistrationTask(registering), GetTickCount64() - started);
        const int answer =
            rt::MsgBox(question, rt::MsgBoxExclamation | rt::MsgBoxYesNo, rt::kErrorTitle, hWnd());
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
