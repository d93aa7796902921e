#include "reg.h"

#include <windows.h>

#include <cstring>
#include <functional>

#include "guardedcall.h"
#include "loadwatch.h"
#include "outcome/failure.h"
#include "paths/loaddiagnosis.h"
#include "paths/loadersearch.h"
#include "paths/serverpath.h"
#include "runtime/errors.h"
#if defined(_M_IX86) || defined(__i386__)
#include "callbyaddress.h"
#endif

namespace services {

namespace {

[[noreturn]] void RaiseLibraryMissing(DWORD loaderCode) {
    rt::Raise(failure::LibraryMissing, kSource, L"library missing!", loaderCode);
}

// A crash in the server's DllMain is told apart from a file that would not load.
HMODULE Load(const std::function<HMODULE()>& load) {
    LoadCrash crash;
    HMODULE module = LoadWatched(load, crash);
    if (crash.Happened)
        rt::Raise(failure::ServerLoadException, kSource, crash.Description, GetLastError(),
                  static_cast<long>(crash.Code));
    if (!module) RaiseLibraryMissing(GetLastError());
    return module;
}

HMODULE FindOrLoad(const ServerFile& server) {
    // A device or an impossible name never reaches the loader: opening a device can block.
    if (server.fault == ServerFault::Device || server.fault == ServerFault::Malformed)
        RaiseLibraryMissing(ERROR_INVALID_NAME);
    // A bare name is found where the loader would look, as a command-line
    // registration tool has it, so a system server's name finds the system's copy.
    if (server.bareName)
        if (HMODULE loaded = GetModuleHandleW(server.given.c_str())) return loaded;
    if (server.loaded.empty()) RaiseLibraryMissing(ERROR_MOD_NOT_FOUND);
    if (HMODULE loaded = GetModuleHandleW(server.loaded.c_str())) return loaded;
    return Load([&] { return LoadServerModule(server.loaded, NeededOutsideSystem(server)); });
}

}  // namespace

uintptr_t ResolveExport(const ServerFile& server, const char* exportName) {
    HMODULE module = FindOrLoad(server);
    FARPROC proc = GetProcAddress(module, exportName);
    if (!proc) rt::Raise(failure::NotExported, kSource, L"not a exported function!", GetLastError());
    return reinterpret_cast<uintptr_t>(proc);
}

}  // namespace services

namespace services {
namespace {

// How a guarded call of an export went, as rt::Err() tells it.
bool Judge(bool returned, uint32_t result, const Fault& fault, const char* exportName) {
    if (!returned) {
        rt::RecordErr(
            {failure::ServerException, kSource, DescribeFault(fault), 0, static_cast<long>(fault.Code)});
        return false;
    }
    const auto hr = static_cast<HRESULT>(result);
    if (SUCCEEDED(hr)) return true;
    // Kept so the window can tell a refusing server from a missing one.
    std::wstring description(exportName, exportName + std::strlen(exportName));
    description += L" failed";
    rt::RecordErr({hr, kSource, description, 0, hr});
    return false;
}

}  // namespace

bool CallResolvedExport(uintptr_t address, const char* exportName) {
    uint32_t result = 0;
    Fault fault;
#if defined(_M_IX86) || defined(__i386__)
    const CallThunk call(address);
    const bool returned = GuardedCall(call.Entry(), result, fault);
#else
    // One calling convention on x64: the export is called as it is.
    const bool returned = GuardedCall(address, result, fault);
#endif
    return Judge(returned, result, fault, exportName);
}

bool CallResolvedInstall(uintptr_t address, bool install, const wchar_t* commandLine) {
    uint32_t result = 0;
    Fault fault;
#if defined(_M_IX86) || defined(__i386__)
    const int32_t args[] = {install ? TRUE : FALSE,
                            static_cast<int32_t>(reinterpret_cast<uintptr_t>(commandLine))};
    const CallThunk call(address, args);
    const bool returned = GuardedCall(call.Entry(), result, fault);
#else
    const bool returned = GuardedCall(address, install ? TRUE : FALSE, commandLine, result, fault);
#endif
    return Judge(returned, result, fault, kInstallExport);
}

}  // namespace services
