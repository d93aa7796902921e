#include "registrar.h"

#include "errors.h"
#include "resource_names.h"
#include "serverroad.h"

RegistrationOutcome Registrar::RegisterOne(const std::wstring& path, const services::ServerTask& task,
                                           const HelperWait& wait) {
    return RegisterOne(services::ChooseRoad(path), path, task, wait);
}

RegistrationOutcome Registrar::RegisterOne(const services::ServerRoad& road, const std::wstring& path,
                                           const services::ServerTask& task, const HelperWait& wait) {
    RegistrationOutcome outcome;
    if (road.road == services::Road::Helper) {
        DWORD error = 0;
        if (auto call = Helper().Start(road.file, task, error)) {
            wait(*call);
            static_cast<services::ServerOutcome&>(outcome) = call->Outcome();
        } else {
            outcome.Err = {rt::errnum::HelperUnavailable, L"clsReg", L"", error, 0};
        }
        outcome.InHelper = true;
    } else if (road.road == services::Road::Needs64BitWindows) {
        outcome.Err = {rt::errnum::LibraryMissing, L"clsReg", L"library missing!", ERROR_BAD_EXE_FORMAT, 0};
        outcome.Problem.kind = services::LoadProblem::Kind::Needs64BitWindows;
    } else {
        static_cast<services::ServerOutcome&>(outcome) = services::RunTask(road.file, task);
    }
    outcome.Path = path;
    return outcome;
}

services::Helper64& Registrar::Helper() {
    if (!helper64_)
        helper64_ = std::make_unique<services::Helper64>(services::EmbeddedHelper(module_, res::Helper64));
    return *helper64_;
}
