#include "clsreg.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include "paths/serverpath.h"
#include "runtime/errors.h"

clsReg::clsReg(HINSTANCE module, const wchar_t* helperResource) {
    registrar_.emplace(module, helperResource);
}

bool clsReg::IsProgIDRegistered(const std::wstring& progId) {
    CLSID clsid{};
    return CLSIDFromProgID(progId.c_str(), &clsid) == S_OK;
}

bool clsReg::RegisterCOMServer(const std::wstring& path) {
    return Run(services::ResolveServer(path), services::RegistrationTask(true), {}).Succeeded;
}

bool clsReg::UnregisterCOMServer(const std::wstring& path) {
    return Run(services::ResolveServer(path), services::RegistrationTask(false), {}).Succeeded;
}

services::RegistrationOutcome clsReg::RegisterCOMServer(const services::ServerFile& server,
                                                        const HelperWait& wait) {
    return Run(server, services::RegistrationTask(true), wait);
}

services::RegistrationOutcome clsReg::UnregisterCOMServer(const services::ServerFile& server,
                                                          const HelperWait& wait) {
    return Run(server, services::RegistrationTask(false), wait);
}

// The cause stays readable in rt::Err() afterwards, as it is after a call in this process.
services::RegistrationOutcome clsReg::Run(const services::ServerFile& server,
                                          const services::ServerTask& task, const HelperWait& wait) {
    services::RegistrationOutcome outcome;
    if (registrar_) {
        outcome = registrar_->RegisterOne(server, task, wait);
    } else {
        // No helper to run it: every file takes this process's road.
        services::ServerFile here = server;
        here.road = services::Road::InProcess;
        outcome = services::Registrar(nullptr, nullptr).RegisterOne(here, task, wait);
    }
    rt::ClearErr();
    if (!outcome.Succeeded) rt::RecordErr(outcome.Err);
    return outcome;
}

void clsReg::EndHelpers() {
    if (registrar_) registrar_->EndHelpers();
}
