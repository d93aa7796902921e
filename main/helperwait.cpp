// The registration of one file on the road its kind asks for, and the window's
// wait for the 64-bit helper: painting and answering all along, saying what it
// waits for, and offering to end a server that does not answer.
#include "app.h"
#include "frmreg.h"
#include "loadersearch.h"
#include "msgbox.h"
#include "resource_names.h"
#include "serverroad.h"

namespace {

constexpr DWORD kPatienceMs = 10000;

}  // namespace

RegistrationOutcome frmReg::RegisterOne(const std::wstring& path, bool registering) {
    const services::ServerRoad road = services::ChooseRoad(path);
    const std::optional<services::NamesTarget> target = services::TargetOf(road);
    const auto reading = target ? Names().ExportStarts(*target) : nullptr;
    RegistrationOutcome outcome = RunOnRoad(road, path, registering);
    if (reading) NoteRegistryNames(outcome, *reading);
    return outcome;
}

RegistrationOutcome frmReg::RunOnRoad(const services::ServerRoad& road, const std::wstring& path,
                                      bool registering) {
    if (road.road == services::Road::Helper) return RunInHelper(path, road.file, registering);
    RegistrationOutcome outcome;
    outcome.Path = path;
    if (road.road == services::Road::Needs64BitWindows) {
        outcome.Err = {rt::errnum::LibraryMissing, L"clsReg", L"library missing!", ERROR_BAD_EXE_FORMAT, 0};
        outcome.Problem.kind = services::LoadProblem::Kind::Needs64BitWindows;
        return outcome;
    }
    outcome.Succeeded =
        registering ? reg_->RegisterCOMServer(road.file) : reg_->UnregisterCOMServer(road.file);
    if (outcome.Succeeded) return outcome;
    outcome.Err = rt::Err();
    if (outcome.Err.Number == rt::errnum::LibraryMissing)
        outcome.Problem = services::ExplainLoadFailure(road.file);
    return outcome;
}

services::Helper64& frmReg::Helper() {
    if (!helper64_)
        helper64_ = std::make_unique<services::Helper64>(services::EmbeddedHelper(module_, res::Helper64));
    return *helper64_;
}

RegistrationOutcome frmReg::RunInHelper(const std::wstring& path, const std::wstring& file,
                                        bool registering) {
    RegistrationOutcome outcome;
    DWORD error = 0;
    if (auto call = Helper().Start(file, registering, error)) {
        WaitForHelper(*call, path, registering);
        static_cast<services::ServerOutcome&>(outcome) = call->Outcome();
    } else {
        outcome.Err = {rt::errnum::HelperUnavailable, L"clsReg", L"", error, 0};
    }
    outcome.Path = path;
    outcome.InHelper = true;
    return outcome;
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
            path + L"\r\n\r\nThe server's " + (registering ? L"DllRegisterServer" : L"DllUnregisterServer") +
            L" has not answered for " + std::to_wstring((GetTickCount64() - started) / 1000) +
            L" seconds.\r\nEnd it? Yes ends it now; No waits " + std::to_wstring(kPatienceMs / 1000) +
            L" seconds more.";
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
