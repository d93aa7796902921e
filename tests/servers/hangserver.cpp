// A server that never answers: registering waits forever, as one stuck on a
// deadlock or on a dialog nobody sees would. Unregistering ends the process.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

STDAPI DllRegisterServer() {
    Sleep(INFINITE);
    return S_OK;
}
STDAPI DllUnregisterServer() {
    ExitProcess(3);
}
