#include "reg.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <cstring>

#include "callbyaddress.h"
#include "errors.h"
#include "guardedcall.h"
#include "serverpath.h"

namespace services {

const wchar_t kSource[] = L"clsReg";

namespace {

// Relative paths are made full so that the module's own folder is known to
// the loader and GetModuleHandleW can match an earlier load of the same file.
std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return full;
}

HMODULE FindOrLoad(const std::wstring& path) {
    if (path.empty()) {
        rt::Raise(rt::errnum::LibraryMissing, kSource, L"library missing!", ERROR_MOD_NOT_FOUND);
    }
    // A device or an impossible name never reaches the loader: opening a device can block.
    if (CheckPathForm(path).Fault != PathFault::None)
        rt::Raise(rt::errnum::LibraryMissing, kSource, L"library missing!", ERROR_INVALID_NAME);
    if (IsBareName(path)) {
        // The loader's own search, as a command-line registration tool has it,
        // so that a system server's bare name finds the system's copy.
        if (HMODULE loaded = GetModuleHandleW(path.c_str())) return loaded;
        HMODULE module = LoadLibraryW(path.c_str());
        if (!module) rt::Raise(rt::errnum::LibraryMissing, kSource, L"library missing!", GetLastError());
        return module;
    }
    const std::wstring full = FullPath(path);
    if (HMODULE loaded = GetModuleHandleW(full.c_str())) return loaded;
    // The server's folder comes first when its own dependencies are searched,
    // so a control that ships a helper DLL beside it loads.
    HMODULE module = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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
