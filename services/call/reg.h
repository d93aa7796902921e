// clsReg: registers and unregisters an in-process COM server by calling its
// self-registration export inside this process.
#pragma once

#include <cstdint>
#include <string>

#include "serverroad.h"

// Errors raised while finding an export (rt::errnum::LibraryMissing, with the
// loader's code as LastDllError, and rt::errnum::NotExported); the public
// operations suppress them and leave them in rt::Err() for the caller to explain.
// An exception that escapes the export leaves rt::errnum::ServerException, with
// its code, name, module and offset as the description (DescribeFault) and its
// code as HResult. An export that returns a failure HRESULT leaves an error
// whose Number and HResult are that HRESULT.
namespace services {

// The source every error of a registration carries.
inline constexpr wchar_t kSource[] = L"clsReg";

// Address of `exportName` in the server's module. A module already loaded from
// its file is reused; otherwise it is loaded with its own folder searched first
// for its dependencies.
// Nothing is ever unloaded. Raises LibraryMissing (LastDllError
// ERROR_INVALID_NAME for a device or impossible path) or NotExported.
// An exception escaping the server's DllMain while it loads raises
// ServerLoadException instead, described as DescribeFault does.
uintptr_t ResolveExport(const ServerFile& server, const char* exportName);

// Calls the export found at `address` (named `exportName`) guarded; true when
// it returned a success code, else false with the cause recorded in rt::Err().
bool CallResolvedExport(uintptr_t address, const char* exportName);
// The same for DllInstall(install, commandLine); a null commandLine is passed as NULL.
bool CallResolvedInstall(uintptr_t address, bool install, const wchar_t* commandLine);
}  // namespace services

class clsReg {
public:
    // True exactly when the ProgID resolves to a class identifier with S_OK.
    bool IsProgIDRegistered(const std::wstring& progId);
    // True when DllRegisterServer was found, called and returned a success code.
    // An exception escaping the export is caught at the call: False, with
    // ServerException recorded.
    bool RegisterCOMServer(const std::wstring& path);
    // True when DllUnregisterServer was found, called and returned a success code.
    bool UnregisterCOMServer(const std::wstring& path);

private:
    bool CallServerExport(const std::wstring& path, bool registering);
};
