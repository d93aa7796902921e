// A server that crashes while it is being loaded: its DllMain writes through
// a null pointer, so the loader never gets as far as its exports.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

namespace {
// Volatile, so the compiler cannot see the null and put a trap in its place.
LONG* volatile nowhere = nullptr;
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) *nowhere = 1;
    return TRUE;
}

STDAPI DllRegisterServer() {
    return S_OK;
}
STDAPI DllUnregisterServer() {
    return S_OK;
}
