#include "reg.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <cstring>

#include "callbyaddress.h"
#include "errors.h"
#include "guardedcall.h"
#include "loadersearch.h"
#include "serverpath.h"

namespace services {

const wchar_t kSource[] = L"clsReg";

namespace {

HMODULE FindOrLoad(const std::wstring& path) {
    if (path.empty()) {
        rt::Raise(rt::errnum::LibraryMissing, kSource, L"library missing!", ERROR_MOD_NOT_FOUND);
    }
    // A device or an impossible name never reaches the loader: opening a device can block.
    if (CheckPathForm(path).Fault != PathFault::None)
        rt::Raise(rt::errnum::LibraryMissing, kSource, L"library missing!", ERROR_INVALID_NAME);
    // A bare name is found where the loader would look, as a command-line
    // registration tool has it, so a system server's name finds the system's copy.
    const bool bare = IsBareName(path);
    if (bare)
        if (HMODULE loaded = GetModuleHandleW(path.c_str())) return loaded;
    const std::wstring file = bare ? FindBareName(path) : LoaderPath(path);
    if (file.empty())
        rt::Raise(rt::errnum::LibraryMissing, kSource, L"library missing!", ERROR_MOD_NOT_FOUND);
    if (HMODULE loaded = GetModuleHandleW(file.c_str())) return loaded;
    HMODULE module = LoadServerModule(file);
    if (!module) rt::Raise(rt::errnum::LibraryMissing, kSource, L"library missing!", GetLastError());
    return module;
}

}  // namespace

uintptr_t ResolveExport(const std::wstring& path, const char* exportName) {
    HMODULE module = FindOrLoad(path);
    FARPROC proc = GetProcAddress(module, exportName);
    if (!proc) rt::Raise(rt::errnum::NotExported, kSource, L"not a exported function!", GetLastError());
    return reinterpret_cast<uintptr_t>(proc);
}

}  // namespace services

bool clsReg::IsProgIDRegistered(const std::wstring& progId) {
    CLSID clsid{};
    return CLSIDFromProgID(progId.c_str(), &clsid) == S_OK;
}

bool clsReg::RegisterCOMServer(const std::wstring& path) {
    return CallServerExport(path, "DllRegisterServer");
}

bool clsReg::UnregisterCOMServer(const std::wstring& path) {
    return CallServerExport(path, "DllUnregisterServer");
}

bool clsReg::CallServerExport(const std::wstring& path, const char* exportName) {
    rt::ClearErr();
    const services::ServerDllSearch search;
    uintptr_t address = 0;
    if (rt::Suppress([&] { address = services::ResolveExport(path, exportName); })) return false;
    const services::CallThunk call(address);
    uint32_t result = 0;
    services::Fault fault;
    if (!services::GuardedCall(call.Entry(), result, fault)) {
        rt::RecordErr({rt::errnum::ServerException, services::kSource, services::DescribeFault(fault), 0,
                       static_cast<long>(fault.Code)});
        return false;
    }
    const auto hr = static_cast<HRESULT>(result);
    if (SUCCEEDED(hr)) return true;
    // Kept so the window can tell a refusing server from a missing one.
    std::wstring description(exportName, exportName + std::strlen(exportName));
    description += L" failed";
    rt::RecordErr({hr, services::kSource, description, 0, hr});
    return false;
}
