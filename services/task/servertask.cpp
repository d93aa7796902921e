#include "servertask.h"

#include <cstring>

#include "call/quietoutput.h"
#include "call/reg.h"
#include "outcome/failure.h"
#include "outcome/outcome.h"
#include "previewtask.h"
#include "runtime/errors.h"

namespace services {
namespace {

std::wstring Wide(const char* name) {
    return std::wstring(name, name + std::strlen(name));
}

}  // namespace

std::vector<const char*> TaskExports(const ServerTask& task) {
    std::vector<const char*> names;
    const char* registration = task.Registering ? "DllRegisterServer" : "DllUnregisterServer";
    if (task.RegistrationExport && task.Registering) names.push_back(registration);
    if (task.Install) names.push_back(kInstallExport);
    if (task.RegistrationExport && !task.Registering) names.push_back(registration);
    return names;
}

std::wstring TaskExportsText(const ServerTask& task) {
    std::wstring text;
    for (const char* name : TaskExports(task)) text += (text.empty() ? L"" : L" or ") + Wide(name);
    return text;
}

bool CallTask(const ServerFile& server, const ServerTask& task, std::wstring& failedExport,
              const BeforeExport& before) {
    rt::ClearErr();
    failedExport.clear();
    const QuietOutput quiet;
    const std::vector<const char*> names = TaskExports(task);
    std::vector<uintptr_t> addresses;
    for (const char* name : names) {
        uintptr_t address = 0;
        if (rt::Suppress([&] { address = ResolveExport(server, name); })) {
            if (rt::Err().Number == failure::NotExported) failedExport = Wide(name);
            return false;
        }
        addresses.push_back(address);
    }
    const wchar_t* text = task.HasInstallText ? task.InstallText.c_str() : nullptr;
    for (size_t i = 0; i < names.size(); ++i) {
        if (before) before(names[i]);
        const bool succeeded = names[i] == kInstallExport
                                   ? CallResolvedInstall(addresses[i], task.Registering, text)
                                   : CallResolvedExport(addresses[i], names[i]);
        if (!succeeded) {
            failedExport = Wide(names[i]);
            return false;
        }
    }
    return true;
}

ServerOutcome RunTask(const ServerFile& server, const ServerTask& task, const BeforeExport& before) {
    if (task.Preview) return RunPreview(server, task, before);
    ServerOutcome outcome;
    outcome.Succeeded = CallTask(server, task, outcome.Export, before);
    outcome.Err = rt::Err();
    if (outcome.Err.Number == failure::LibraryMissing) outcome.Problem = ExplainLoadFailure(server);
    return outcome;
}

}  // namespace services
