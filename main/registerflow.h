// Registering one file, the same for the window and the command line: the
// service runs it on its road, the helper is waited for and the registry's
// names are read as the caller's wait policy has it, and one box tells how a
// command went.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "registration/clsreg.h"
#include "registry/namesreader.h"

// How a command waits: the window pumps its messages and keeps painting, a script just waits.
class WaitPolicy {
public:
    enum class Answer { Wait, End, Gone };
    static constexpr ULONGLONG kForever = ~0ull;

    // Until one of `handles` is signalled, input comes or the tick count
    // `until` passes; false once nobody is left to wait for.
    virtual bool Wait(const HANDLE* handles, DWORD count, ULONGLONG until) = 0;
    // How long a server runs before it is first asked about.
    virtual DWORD Patience() const = 0;
    // Whether a server that has not answered is ended; Gone when nobody is left to answer.
    virtual Answer EndIt(const std::wstring& question) = 0;
    // What a wait is for, said while it lasts (a title gets `titleTail`); Unsay puts back what was there.
    virtual void Say(const std::wstring&, const std::wstring&) {}
    virtual void Unsay() {}
    // The helper has the file: the next file's helper may get ready.
    virtual void HelperStarted() {}

protected:
    ~WaitPolicy() = default;
};

// Where one file's registration goes and how it is waited for; `names` is
// null when nobody reads what names the file.
struct RegistrationFlow {
    WaitPolicy& wait;
    services::NamesReader* names = nullptr;
    services::AheadInProgress ahead = services::AheadInProgress::Stop;
};

// The service's call for one file: RegisterCOMServer, UnregisterCOMServer or Run.
using ServiceCall = std::function<services::RegistrationOutcome(const clsReg::HelperWait& wait)>;

// One resolved file, with what names it in the registry once its export ran.
services::RegistrationOutcome RegisterFile(const RegistrationFlow& flow, const services::ServerFile& server,
                                           const services::ServerTask& task, const ServiceCall& call);

// The one box that ends a command, owned by `owner` (none for a script).
void ShowReport(const std::vector<services::RegistrationOutcome>& outcomes, const services::ServerTask& task,
                HWND owner = nullptr);
