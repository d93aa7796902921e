// What names a file in the registry once its export has run, read on the
// names reader's thread while the window paints and answers.
#include "app.h"
#include "frmreg.h"
#include "loadersearch.h"

namespace {

// A reading that takes longer than this (the whole registry read again) says what the window waits for.
constexpr DWORD kQuietMs = 300;

}  // namespace

services::NamesReader& frmReg::Names() {
    if (!names_) names_ = std::make_unique<services::NamesReader>();
    return *names_;
}

void frmReg::NoteRegistryNames(services::RegistrationOutcome& outcome, services::NamesReading& reading) {
    const bool ran = services::ExportRan(outcome);
    Names().ExportEnded(reading, ran);
    if (ran) outcome.Names = WaitForNames(reading);
}

std::optional<services::RegistryNames> frmReg::WaitForNames(const services::NamesReading& reading) {
    const services::NamesTarget& target = reading.Target();
    const HANDLE done = reading.Done();
    const ULONGLONG sayAt = GetTickCount64() + kQuietMs;
    std::wstring link, title;
    bool said = false;
    while (WaitForSingleObject(done, 0) == WAIT_TIMEOUT) {
        const ULONGLONG now = GetTickCount64();
        const DWORD until = said ? INFINITE : now < sayAt ? static_cast<DWORD>(sayAt - now) : 0;
        MsgWaitForMultipleObjectsEx(1, &done, until, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (rt::DoEvents() == 0 || !form_.IsLoaded()) return std::nullopt;
        if (said || GetTickCount64() < sayAt || WaitForSingleObject(done, 0) == WAIT_OBJECT_0) continue;
        // Said on the window and in its title, as the wait for a 64-bit server is.
        said = true;
        link = lblLink_->Caption();
        title = form_.Caption();
        const std::wstring name = services::FileNameOf(target.shown);
        lblLink_->SetCaption(L"Reading what the registry holds for " + name + L"...");
        form_.SetCaption(title + L" - reading the registry");
    }
    if (said) {
        lblLink_->SetCaption(link);
        form_.SetCaption(title);
    }
    return reading.Result();
}
