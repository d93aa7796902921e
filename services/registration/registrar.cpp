#include "registrar.h"

#include "call/reg.h"
#include "outcome/failure.h"
#include "runtime/errors.h"

namespace services {

bool ExportRan(const RegistrationOutcome& outcome) {
    return outcome.Succeeded || failure::ReachedBy(outcome.Err.Number) == failure::Reached::ExportCalled;
}

RegistrationOutcome Registrar::RegisterOne(const ServerFile& server, const ServerTask& task,
                                           const HelperWait& wait) {
    RegistrationOutcome outcome;
    switch (server.road) {
        case Road::Helper: {
            DWORD error = 0;
            if (auto call = Helper().Start(HelperRecord(server), task, error)) {
                wait(*call);
                static_cast<ServerOutcome&>(outcome) = call->Outcome();
            } else {
                outcome.Err = {failure::HelperUnavailable, kSource, L"", error, 0};
            }
            break;
        }
        case Road::Needs64BitWindows:
            outcome.Err = {failure::Needs64BitWindows, kSource, L"", ERROR_BAD_EXE_FORMAT, 0};
            break;
        case Road::InProcess:
            static_cast<ServerOutcome&>(outcome) = RunTask(server, task);
            break;
    }
    outcome.Server = server;
    // The usual cause of a missing export: the file is a .NET assembly.
    if (outcome.Err.Number == failure::NotExported) outcome.DotNetAssembly = server.image && server.image->clr;
    return outcome;
}

Helper64& Registrar::Helper() {
    if (!helper64_) helper64_ = std::make_unique<Helper64>(EmbeddedHelper(module_, helperResource_));
    return *helper64_;
}

}  // namespace services
