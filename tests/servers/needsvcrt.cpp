// A server that needs the Visual C++ runtime, as a server built with that
// compiler does: it registers wherever the runtime is installed.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

extern "C" __declspec(dllimport) int __cdecl __std_type_info_compare(const void*, const void*);

namespace {
// A type's record compared with itself, which the runtime answers without reading it.
HRESULT AskTheRuntime() {
    static const char record[16] = {};
    return __std_type_info_compare(record, record) == 0 ? S_OK : E_UNEXPECTED;
}
}  // namespace

STDAPI DllRegisterServer() {
    return AskTheRuntime();
}
STDAPI DllUnregisterServer() {
    return AskTheRuntime();
}
