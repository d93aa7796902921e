// Finding and calling a server's exports inside this process, for clsReg and the 64-bit helper.
#pragma once

#include <cstdint>
#include <string>

#include "outcome/failure.h"
#include "paths/serverroad.h"

// Errors raised while finding an export (services::failure::LibraryMissing, with the
// loader's code as LastDllError, and services::failure::NotExported); clsReg's public
// operations suppress them and leave them in rt::Err() for the caller to explain.
// An exception that escapes the export leaves services::failure::ServerException, with
// its code, name, module and offset as the description (DescribeFault) and its
// code as HResult. An export that returns a failure HRESULT leaves an error
// whose Number and HResult are that HRESULT.
namespace services {

inline constexpr char kInstallExport[] = "DllInstall";

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
