// One resolved server registered on the road its kind asks for: loaded into
// this process, or run by the 64-bit helper. The window and the command line
// take the same roads; only their wait for the helper differs (the window
// paints and asks meanwhile, the command line has no window).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "helper64/helper64.h"
#include "paths/serverroad.h"
#include "protocol/serveroutcome.h"
#include "registry/registrynames.h"
#include "task/servertask.h"

namespace services {

// One file and how it went.
struct RegistrationOutcome : ServerOutcome {
    ServerFile Server;  // the file as it was resolved for this registration
    const std::wstring& Path() const { return Server.given; }
    // Run by the 64-bit helper, whose loader wants 64-bit DLLs.
    bool InHelper() const { return Server.road == Road::Helper; }
    unsigned EndedAfterSeconds = 0;  // ended unasked for not answering in that time
    bool DotNetAssembly = false;     // for a missing export: the file has a .NET header
    // Once its export ran: what names the file in the registry of its kind.
    std::optional<RegistryNames> Names;
};

// True when the server's export was called, so the registry may have changed.
bool ExportRan(const RegistrationOutcome& outcome);

class Registrar {
public:
    // `module` carries the embedded helper as the RCDATA resource `helperResource`.
    Registrar(HINSTANCE module, const wchar_t* helperResource)
        : module_(module), helperResource_(helperResource) {}

    // Waits until the helper has answered or was ended: once it returns, Poll has seen it end.
    using HelperWait = std::function<void(HelperCall&)>;
    RegistrationOutcome RegisterOne(const ServerFile& server, const ServerTask& task, const HelperWait& wait);

    // Made when a 64-bit server first needs it.
    Helper64& Helper();
    bool HasHelper() const { return helper64_ != nullptr; }
    // Ends every helper and removes the helper's file.
    void EndHelpers() { helper64_.reset(); }

private:
    HINSTANCE module_;
    const wchar_t* helperResource_;
    std::unique_ptr<Helper64> helper64_;
};

}  // namespace services
