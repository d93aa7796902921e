// A server that imports a DLL the system folder holds, under a name a user
// could plant on the PATH or in the current folder: its copy must never load.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

// Bound at load, never called: the import alone makes the loader find the DLL.
void* volatile bound = reinterpret_cast<void*>(&AlphaBlend);

STDAPI DllRegisterServer() {
    return bound ? S_OK : E_FAIL;
}
STDAPI DllUnregisterServer() {
    return bound ? S_OK : E_FAIL;
}
