// What one server file is asked to do: its registration export, DllInstall, or
// both, in the order a command-line registration tool calls them. Run here
// for a 32-bit server, and by the 64-bit helper for a 64-bit one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "call/reg.h"
#include "paths/serverroad.h"

namespace services {

struct ServerOutcome;

struct ServerTask {
    bool Registering = true;
    bool RegistrationExport = true;  // DllRegisterServer or DllUnregisterServer
    bool Install = false;            // DllInstall(Registering, text)
    bool HasInstallText = false;     // without it DllInstall gets NULL
    std::wstring InstallText;
    bool Preview = false;  // against a scratch copy of the registry: nothing real changes

    bool operator==(const ServerTask&) const = default;
};

// The registration export alone, as the window's commands call it.
inline ServerTask RegistrationTask(bool registering) {
    ServerTask task;
    task.Registering = registering;
    return task;
}


// The exports in the order they are called: DllRegisterServer, then
// DllInstall(TRUE); DllInstall(FALSE), then DllUnregisterServer.
std::vector<const char*> TaskExports(const ServerTask& task);

// The export names as the user reads them: "DllRegisterServer or DllInstall".
std::wstring TaskExportsText(const ServerTask& task);

// Learns each export just before it is called.
using BeforeExport = std::function<void(const char* exportName)>;

// Runs the task on the server in this process. Every export is
// resolved before any is called, so a missing one leaves the server
// untouched; they are then called in order until one fails. True when all
// reported success; else false with the cause in rt::Err() and the export at
// fault (missing, failing or crashing) in `failedExport`.
bool CallTask(const ServerFile& server, const ServerTask& task, std::wstring& failedExport,
              const BeforeExport& before = {});

// The same as an outcome, with what a look at the files finds for a server that would not load.
ServerOutcome RunTask(const ServerFile& server, const ServerTask& task, const BeforeExport& before = {});

}  // namespace services
