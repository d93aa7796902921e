// clsReg: the registration service. It registers and unregisters COM servers
// on the road each file's kind asks for: loaded into this process and its
// export called on the calling thread, or run by the 64-bit helper.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "registrar.h"

class clsReg {
public:
    // Without a module carrying the helper every file is loaded into this process.
    clsReg() = default;
    // `module` carries the embedded 64-bit helper as the RCDATA resource `helperResource`.
    clsReg(HINSTANCE module, const wchar_t* helperResource);

    // True exactly when the ProgID resolves to a class identifier with S_OK.
    bool IsProgIDRegistered(const std::wstring& progId);
    // True when DllRegisterServer was found, called and returned a success code;
    // else false with the cause in rt::Err() (services/call/reg.h tells which).
    bool RegisterCOMServer(const std::wstring& path);
    // The same with DllUnregisterServer.
    bool UnregisterCOMServer(const std::wstring& path);

    // The same for a resolved file, with all that is known of how it went;
    // `wait` lasts until a helper that runs the file has answered or was ended.
    using HelperWait = services::Registrar::HelperWait;
    services::RegistrationOutcome RegisterCOMServer(const services::ServerFile& server,
                                                    const HelperWait& wait);
    services::RegistrationOutcome UnregisterCOMServer(const services::ServerFile& server,
                                                      const HelperWait& wait);
    // Any task on a resolved file: DllInstall, a preview, as a command line asks.
    services::RegistrationOutcome Run(const services::ServerFile& server, const services::ServerTask& task,
                                      const HelperWait& wait);

    // The helper that runs 64-bit servers, made when first needed; only with a module that carries it.
    services::Helper64& Helper() { return registrar_->Helper(); }
    bool HasHelper() const { return registrar_ && registrar_->HasHelper(); }
    // Ends every helper and removes the helper's file.
    void EndHelpers();

private:
    std::optional<services::Registrar> registrar_;
};
